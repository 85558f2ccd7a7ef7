// lumetra2-cli: the program without a window. The start-up runs in the same order with the
// same texts; the console streams to standard output and the log file is written as usual.
// The locale is left at "C" (setlocale is never called), so figures print with a point.
#include <unistd.h>

#include "app/console.h"
#include "app/run_registry.h"
#include "app/startup.h"
#include "cli/console_stream.h"
#include "suite/cli_report.h"

int main(int argc, char** argv) {
    cli::stream_console_to_stdout();
    const app::CommandLine cmd = app::run_startup(app::command_line_text(argc, argv));
    if (cmd.errors != 0) return 2;
    // The suite runs the queue; progress goes to standard error only when it is a terminal.
    return suite::run_queue_for_cli(cmd, app::run_registry(), app::modal_runner(), stdout,
                                    ::isatty(STDERR_FILENO) ? stderr : nullptr);
}
