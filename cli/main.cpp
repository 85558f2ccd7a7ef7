// lumetra2-cli: the program without a window. The start-up runs in the same order with the
// same texts; the console streams to standard output and the log file is written as usual.
// The locale is left at "C" (setlocale is never called), so figures print with a point.
#include "app/console.h"
#include "app/run_registry.h"
#include "app/startup.h"
#include "cli/console_stream.h"
#include "cli/interim_driver.h"

int main(int argc, char** argv) {
    cli::stream_console_to_stdout();
    const app::CommandLine cmd = app::run_startup(app::command_line_text(argc, argv));
    if (cmd.errors != 0) return 2;
    if (cmd.start_pending) cli::run_queue(cmd, app::run_registry());
    return 0;
}
