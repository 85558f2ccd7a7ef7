// lumetra2-cli: the program without a window. The start-up runs in the same order with the
// same texts; the console streams to standard output and the log file is written as usual.
// The locale is left at "C" (setlocale is never called), so figures print with a point.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/data_dir.h"
#include "app/interrupt.h"
#include "app/run_registry.h"
#include "app/startup.h"
#include "cli/console_stream.h"
#include "cli/options.h"
#ifdef LUMETRA_HAVE_REPORT
#include "report/report.h"
#endif
#include "store/commands.h"
#include "suite/cli_report.h"
#include "suite/compare.h"
#include "suite/repeat.h"
#include "suite/results_file.h"

int main(int argc, char** argv) {
    // Before anything is opened: a closed standard output must not become the lock file.
    if (app::open_closed_standard_descriptors() & 2) cli::note_stdout_closed();
    // Our own GNU options first; the suite's switches are joined from what is left.
    const cli::Options opt = cli::parse_options(argc, argv);
    if (!opt.error.empty()) {
        std::fprintf(stderr, "lumetra2-cli: %s\n", opt.error.c_str());
        return suite::kExitCommandLine;
    }
    if (opt.help) {
        std::fputs(cli::help_text().c_str(), stdout);
        return cli::finish_stdout(suite::kExitOk, stderr);
    }
    if (opt.version) {
        std::fputs(cli::version_text().c_str(), stdout);
        return cli::finish_stdout(suite::kExitOk, stderr);
    }
    if (opt.list) {
        std::fputs(cli::list_text().c_str(), stdout);
        return cli::finish_stdout(suite::kExitOk, stderr);
    }
    // A reader that went away must not kill the run before its files are written: the failed
    // write is noted and the exit status tells.
    ::signal(SIGPIPE, SIG_IGN);
    // The results store, resolved before the program moves into its working directory.
    std::filesystem::path store_path;
    if (!opt.no_store) {
        std::error_code ec;
        store_path = opt.store.empty() ? store::default_store_path()
                                       : std::filesystem::absolute(opt.store, ec);
    }
    const char* const kNoStore =
        "no results store: neither XDG_DATA_HOME nor HOME is set (give one with --store PATH)";
    if ((opt.import || opt.history || opt.report) && store_path.empty() && !opt.no_store) {
        std::fprintf(stderr, "lumetra2-cli: %s\n", kNoStore);
        return suite::kExitRunFailed;
    }
    if (opt.import)
        return cli::finish_stdout(
            store::import_results_files(store_path, opt.import_files, stdout, stderr), stderr);
    if (opt.history)
        return cli::finish_stdout(
            store::print_history(store_path, opt.host, opt.last, stdout, stderr), stderr);
    if (opt.report) {
#ifdef LUMETRA_HAVE_REPORT
        report::Request rq;
        rq.store_path = store_path;
        rq.out_path = opt.report_path;
        rq.profile_path = opt.profile;
        rq.ids.assign(opt.report_ids.begin(), opt.report_ids.end());
        rq.all = opt.report_all;
        rq.host = opt.host;
        rq.last = opt.last;
        return cli::finish_stdout(report::write_report(rq, stdout, stderr), stderr);
#else
        std::fprintf(stderr, "lumetra2-cli: --report: this program was built without Qt SVG\n");
        return suite::kExitRunFailed;
#endif
    }
    if (opt.compare) {
        const suite::CompareFormat format = opt.format == "csv"    ? suite::CompareFormat::Csv
                                            : opt.format == "json" ? suite::CompareFormat::Json
                                                                   : suite::CompareFormat::Text;
        return cli::finish_stdout(
            suite::run_compare_for_cli(opt.compare_old, opt.compare_new, stdout, stderr, format),
            stderr);
    }
    // --output-dir names a folder as the user sees it: resolved before the program moves into
    // its working directory, made when missing.
    std::filesystem::path output_dir;
    if (!opt.output_dir.empty()) {
        std::error_code ec;
        output_dir = std::filesystem::absolute(opt.output_dir, ec);
        if (!ec) std::filesystem::create_directories(output_dir, ec);
        if (ec || !std::filesystem::is_directory(output_dir)) {
            std::fprintf(stderr, "lumetra2-cli: --output-dir %s: %s\n", opt.output_dir.c_str(),
                         ec ? ec.message().c_str() : "not a folder");
            return suite::kExitRunFailed;
        }
    }

    // SIGINT/SIGTERM stop the run in progress and keep what was measured.
    app::install_interrupt_handlers();
    const app::WorkingDirectoryNote where = app::enter_working_directory();
    for (const std::string& line : where.lines)
        std::fprintf(stderr, "lumetra2-cli: %s\n", line.c_str());
    if (!where.ok) return suite::kExitRunFailed;
    std::string busy;
    if (!app::lock_working_directory(".", &busy)) {
        std::fprintf(stderr, "lumetra2-cli: %s\n", busy.c_str());
        return suite::kExitRunFailed;
    }
    if (!output_dir.empty()) app::set_output_directory(output_dir);
    suite::set_cli_report_options({opt.summary_json, stderr});
    std::vector<const char*> rest;
    for (const std::string& a : opt.rest) rest.push_back(a.c_str());
    // --quiet and --summary-json: the console text goes only to its log file.
    cli::stream_console_to_stdout(!opt.quiet && !opt.summary_json);
    const app::CommandLine cmd =
        app::run_startup(app::command_line_text(static_cast<int>(rest.size()), rest.data()));
    if (cmd.errors != 0) {
        std::fprintf(stderr, "lumetra2-cli: the command line has errors (see above; try --help)\n");
        return cli::finish_stdout(suite::kExitCommandLine, stderr);
    }
    // The suite runs the queue; progress goes to standard error only when it is a terminal.
    std::vector<std::filesystem::path> written;
    suite::set_results_written_hook(
        [&written](const std::filesystem::path& path) { written.push_back(path); });
    const int status =
        suite::run_queue_repeated_for_cli(cmd, app::run_registry(), app::modal_runner(), opt.repeat,
                                          stdout, ::isatty(STDERR_FILENO) ? stderr : nullptr);
    suite::set_results_written_hook(nullptr);
    // The results file is the run's record; the store's copy is a convenience whose failure
    // is told once and changes nothing else.
    if (store_path.empty() && !opt.no_store && !written.empty())
        std::fprintf(stderr, "lumetra2-cli: %s; the run is not recorded\n", kNoStore);
    if (!store_path.empty()) {
        for (const std::filesystem::path& path : written) {
            const std::string warning = store::record_results_file(store_path, path);
            if (!warning.empty()) std::fprintf(stderr, "lumetra2-cli: %s\n", warning.c_str());
        }
    }
    return cli::finish_stdout(status, stderr);
}
