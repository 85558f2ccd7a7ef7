// The command-line program's own GNU-style options, taken out of argv before the suite's
// switches are joined and parsed: --help, --version, --list, --quiet, --repeat N,
// --output-dir DIR, --summary-json, --compare OLD NEW [--format F], --store PATH, --no-store,
// --import FILE..., --history [--host NAME] [--last N], --report OUT.html [RUN-ID...|all]
// [--host NAME] [--last N] [--profile NAME.rst]; "--" ends them.
#pragma once

#include <string>
#include <vector>

namespace cli {

struct Options {
    bool help = false;
    bool version = false;
    int repeat = 1;
    bool list = false;
    bool quiet = false;         // only the closing summary on standard output
    bool summary_json = false;  // the closing summary as one JSON object
    std::string output_dir;     // where results and logs go (empty: the working directory)
    bool compare = false;
    std::string compare_old, compare_new;
    std::string format = "text";  // of --compare: text, csv or json
    std::string store;            // --store PATH (empty: the default results store)
    bool no_store = false;        // --no-store: record nothing
    bool import = false;          // --import FILE...: the files in import_files
    std::vector<std::string> import_files;
    bool history = false;  // --history [--host NAME] [--last N]
    std::string host;
    int last = 0;
    bool report = false;  // --report OUT.html [RUN-ID...|all]
    std::string report_path;
    std::vector<long long> report_ids;  // none: the newest run (or --host / --last / all)
    bool report_all = false;
    std::string profile;            // --profile NAME.rst: the comparison bars of the report
    std::vector<std::string> rest;  // argv[0] and the suite's switches, in order
    std::string error;              // non-empty: a bad option (exit status 2)
};

Options parse_options(int argc, const char* const* argv);

// "--help": usage, the suite's switches, these options and the exit statuses.
std::string help_text();
// "--list": every benchmark with its switch and the sub-score it feeds.
std::string list_text();
// "--version": version and revision, build, compiler, Qt (not linked in this program).
std::string version_text();

}  // namespace cli
