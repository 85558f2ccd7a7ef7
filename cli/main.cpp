// lumetra2-cli: the program without a window. The start-up runs in the same order with the
// same texts; the console streams to standard output and the log file is written as usual.
// The locale is left at "C" (setlocale is never called), so figures print with a point.
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/console.h"
#include "app/data_dir.h"
#include "app/run_registry.h"
#include "app/startup.h"
#include "cli/console_stream.h"
#include "cli/options.h"
#include "suite/cli_report.h"
#include "suite/compare.h"
#include "suite/repeat.h"

int main(int argc, char** argv) {
    // Our own GNU options first; the suite's switches are joined from what is left.
    const cli::Options opt = cli::parse_options(argc, argv);
    if (!opt.error.empty()) {
        std::fprintf(stderr, "lumetra2-cli: %s\n", opt.error.c_str());
        return suite::kExitCommandLine;
    }
    if (opt.help) {
        std::fputs(cli::help_text().c_str(), stdout);
        return suite::kExitOk;
    }
    if (opt.version) {
        std::fputs(cli::version_text().c_str(), stdout);
        return suite::kExitOk;
    }
    if (opt.compare)
        return suite::run_compare_for_cli(opt.compare_old, opt.compare_new, stdout, stderr);

    const std::string note = app::enter_working_directory();
    if (!note.empty()) std::fprintf(stderr, "lumetra2-cli: %s\n", note.c_str());

    std::vector<const char*> rest;
    for (const std::string& a : opt.rest) rest.push_back(a.c_str());
    cli::stream_console_to_stdout();
    const app::CommandLine cmd =
        app::run_startup(app::command_line_text(static_cast<int>(rest.size()), rest.data()));
    if (cmd.errors != 0) {
        std::fprintf(stderr, "lumetra2-cli: the command line has errors (see above; try --help)\n");
        return suite::kExitCommandLine;
    }
    // The suite runs the queue; progress goes to standard error only when it is a terminal.
    return suite::run_queue_repeated_for_cli(cmd, app::run_registry(), app::modal_runner(),
                                             opt.repeat, stdout,
                                             ::isatty(STDERR_FILENO) ? stderr : nullptr);
}
