// lumetra2-cli: the program without a window. The start-up runs in the same order with the
// same texts; the console streams to standard output and the log file is written as usual.
// The locale is left at "C" (setlocale is never called), so figures print with a point.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/console.h"
#include "app/interrupt.h"
#include "app/run_registry.h"
#include "app/startup.h"
#include "cli/console_stream.h"
#include "suite/cli_report.h"

int main(int argc, char** argv) {
    // A reader that went away must not kill the run before its files are written: the failed
    // write is noted and the exit status tells.
    ::signal(SIGPIPE, SIG_IGN);
    // SIGINT/SIGTERM stop the run in progress and keep what was measured.
    app::install_interrupt_handlers();
    std::string busy;
    if (!app::lock_working_directory(".", &busy)) {
        std::fprintf(stderr, "Error: %s\n", busy.c_str());
        return suite::kExitRunFailed;
    }
    cli::stream_console_to_stdout();
    const app::CommandLine cmd = app::run_startup(app::command_line_text(argc, argv));
    if (cmd.errors != 0) return cli::finish_stdout(suite::kExitCommandLine, stderr);
    // The suite runs the queue; progress goes to standard error only when it is a terminal.
    const int status = suite::run_queue_for_cli(cmd, app::run_registry(), app::modal_runner(),
                                                stdout, ::isatty(STDERR_FILENO) ? stderr : nullptr);
    return cli::finish_stdout(status, stderr);
}
