#include "cli/options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/benchmarks.h"
#include "app/command_line.h"
#include "app/format.h"
#include "app/provenance.h"
#include "app/startup.h"
#include "suite/results_file.h"

namespace cli {
namespace {

constexpr int kMaxRepeat = 1000;

// A whole number from 1 to kMaxRepeat, nothing else (no sign, no trailing text).
bool parse_count(const std::string& text, int& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || v < 1 || v > kMaxRepeat) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

Options parse_options(int argc, const char* const* argv) {
    Options o;
    o.rest.emplace_back(argc > 0 && argv[0] ? argv[0] : "lumetra2-cli");
    auto fail = [&](std::string message) {
        if (o.error.empty()) o.error = std::move(message);
    };
    bool format_given = false;
    // "--name VALUE" or "--name=VALUE"; false with an error when the value is missing.
    auto value_of = [&](const std::string& arg, const char* name, int& i, std::string& out) {
        const std::size_t n = std::strlen(name);
        if (arg.size() > n) {
            out = arg.substr(n + 1);
            return true;
        }
        if (i + 1 < argc && argv[i + 1]) {
            out = argv[++i];
            return true;
        }
        return false;
    };
    auto is_option = [](const std::string& arg, const char* name) {
        const std::size_t n = std::strlen(name);
        return arg.compare(0, n, name) == 0 && (arg.size() == n || arg[n] == '=');
    };
    bool options_over = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (options_over) {
            o.rest.push_back(arg);
        } else if (arg == "--") {
            options_over = true;
        } else if (arg == "--help") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--list") {
            o.list = true;
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else if (arg == "--summary-json") {
            o.summary_json = true;
        } else if (is_option(arg, "--repeat")) {
            std::string value;
            if (!value_of(arg, "--repeat", i, value))
                fail("--repeat needs a count: --repeat N with N a whole number from 1 to " +
                     std::to_string(kMaxRepeat));
            else if (!parse_count(value, o.repeat))
                fail("--repeat: '" + value + "' is not a whole number from 1 to " +
                     std::to_string(kMaxRepeat));
        } else if (is_option(arg, "--output-dir")) {
            if (!value_of(arg, "--output-dir", i, o.output_dir) || o.output_dir.empty())
                fail("--output-dir needs a folder: --output-dir DIR");
        } else if (is_option(arg, "--format")) {
            format_given = true;
            if (!value_of(arg, "--format", i, o.format))
                fail("--format needs one of text, csv, json");
            else if (o.format != "text" && o.format != "csv" && o.format != "json")
                fail("--format: '" + o.format + "' is not one of text, csv, json");
        } else if (is_option(arg, "--store")) {
            if (!value_of(arg, "--store", i, o.store) || o.store.empty())
                fail("--store needs a file: --store PATH");
        } else if (arg == "--no-store") {
            o.no_store = true;
        } else if (arg == "--import") {
            o.import = true;
            // Every argument up to the next option is a file to import.
            while (i + 1 < argc && argv[i + 1] && std::string(argv[i + 1]).rfind("--", 0) != 0)
                o.import_files.push_back(argv[++i]);
            if (o.import_files.empty()) fail("--import needs results files: --import FILE...");
        } else if (arg == "--history") {
            o.history = true;
        } else if (arg == "--report") {
            o.report = true;
            if (i + 1 >= argc || !argv[i + 1] || std::string(argv[i + 1]).rfind("--", 0) == 0 ||
                !*argv[i + 1]) {
                fail("--report needs a file: --report OUT.html [RUN-ID...|all]");
                continue;
            }
            o.report_path = argv[++i];
            // Run ids (or "all") up to the next option.
            while (i + 1 < argc && argv[i + 1] && std::string(argv[i + 1]).rfind("--", 0) != 0) {
                const std::string id = argv[++i];
                char* end = nullptr;
                errno = 0;
                const long long n = std::strtoll(id.c_str(), &end, 10);
                if (id == "all")
                    o.report_all = true;
                else if (id.empty() || *end || errno || n < 1)
                    fail("--report: '" + id + "' is not a run id (see --history) or 'all'");
                else
                    o.report_ids.push_back(n);
            }
        } else if (is_option(arg, "--profile")) {
            if (!value_of(arg, "--profile", i, o.profile) || o.profile.empty())
                fail("--profile needs a profile file: --profile NAME.rst");
        } else if (is_option(arg, "--host")) {
            if (!value_of(arg, "--host", i, o.host) || o.host.empty())
                fail("--host needs a host name: --host NAME");
        } else if (is_option(arg, "--last")) {
            std::string value;
            if (!value_of(arg, "--last", i, value) || !parse_count(value, o.last))
                fail("--last needs a count: --last N with N a whole number from 1 to " +
                     std::to_string(kMaxRepeat));
        } else if (arg == "--compare") {
            if (i + 2 >= argc || !argv[i + 1] || !argv[i + 2]) {
                fail("--compare needs two results files: --compare OLD.json NEW.json");
                i = argc;
            } else {
                o.compare = true;
                o.compare_old = argv[++i];
                o.compare_new = argv[++i];
            }
        } else if (arg.rfind("--", 0) == 0) {
            fail("unknown option '" + arg + "' (try --help)");
        } else {
            o.rest.push_back(arg);
        }
    }
    // --compare runs nothing: switches or run options beside it are a mistake, not ignored.
    if (o.compare && o.rest.size() > 1)
        fail("--compare runs nothing; '" + o.rest[1] + "' cannot be given with it");
    else if (o.compare && (o.repeat != 1 || o.quiet || o.summary_json || !o.output_dir.empty()))
        fail(
            "--compare runs nothing; --repeat, --quiet, --summary-json and --output-dir "
            "cannot be given with it");
    if (format_given && !o.compare) fail("--format applies to --compare only");
    if ((!o.host.empty() || o.last != 0) && !o.history && !o.report)
        fail("--host and --last apply to --history and --report only");
    if (!o.profile.empty() && !o.report) fail("--profile applies to --report only");
    if (o.report && !o.report_ids.empty() && (o.report_all || !o.host.empty() || o.last != 0))
        fail("--report: give run ids, or 'all' / --host / --last, not both");
    if (o.no_store && !o.store.empty()) fail("--store and --no-store cannot be given together");
    if ((o.import || o.history || o.report) && o.no_store)
        fail(
            "--import, --history and --report need the results store; --no-store cannot be "
            "given");
    if (o.import + o.history + o.compare + o.report > 1)
        fail("--import, --history, --report and --compare cannot be given together");
    else if ((o.import || o.history || o.report) &&
             (o.rest.size() > 1 || o.repeat != 1 || o.summary_json || !o.output_dir.empty()))
        fail(std::string(o.import    ? "--import"
                         : o.history ? "--history"
                                     : "--report") +
             " runs nothing; switches, --repeat, --summary-json and --output-dir cannot be "
             "given with it");
    return o;
}

std::string help_text() {
    // Every line fits 80 columns; the descriptions start in column 24.
    std::string switches =
        "  -automate             run unattended and end when done (implied here)\n";
    switches += "  " + std::string(app::run_all_row().cli_help) + "\n";
    for (const app::BenchmarkInfo& b : app::benchmarks())
        if (!b.cli_help.empty()) switches += "  " + std::string(b.cli_help) + "\n";
    switches += "  -help                 list the switches in the console text\n";
    return "Usage: lumetra2-cli [OPTION]... [SWITCH]...\n"
           "   or: lumetra2-cli --compare OLD.json NEW.json [--format FORMAT]\n"
           "   or: lumetra2-cli --import FILE...\n"
           "   or: lumetra2-cli --history [--host NAME] [--last N]\n"
           "   or: lumetra2-cli --report OUT.html [RUN-ID...|all] [--profile NAME.rst]\n"
           "Runs the Lumetra 2.0 benchmarks without a window: the console text goes to\n"
           "standard output and the console log file, the figures to a results file.\n"
           "\n"
           "Switches of the suite (any case):\n" +
           switches +
           "\n"
           "Options:\n"
           "  --repeat N            run the queued selection N times (1 to 1000); print\n"
           "                        min / median / max and the coefficient of variation\n"
           "                        of every headline figure; sub-scores from the medians\n"
           "  --output-dir DIR      write the results file and the console log into DIR\n"
           "  --quiet               print only the closing summary on standard output\n"
           "  --summary-json        print the closing summary as one JSON object\n"
           "  --compare OLD NEW     compare two results files side by side and exit\n"
           "  --format FORMAT       --compare's output: text (default), csv or json\n"
           "  --store PATH          record runs in the results store PATH (default:\n"
           "                        $XDG_DATA_HOME/lumetra2/results.sqlite)\n"
           "  --no-store            do not record the run in the results store\n"
           "  --import FILE...      add results files to the results store and exit\n"
           "  --history             list the recorded runs, newest first, and flag\n"
           "                        possible regressions, then exit\n"
           "  --host NAME           --history, --report: only the runs of host NAME\n"
           "  --last N              --history, --report: only the newest N runs\n"
           "  --report OUT.html     write an HTML report of the runs RUN-ID... (see\n"
           "                        --history; 'all': every run; none: the newest)\n"
           "  --profile NAME.rst    --report: compare with this profile, not the reference\n"
           "  --list                list the benchmarks and their switches and exit\n"
           "  --help                display this help and exit\n"
           "  --version             output version information and exit\n"
           "  --                    end of the options: the rest are switches\n"
           "\n"
           "Exit status:\n"
           "  0    every selected benchmark produced its figure (also with nothing to run)\n"
           "  1    a benchmark failed, was stopped or skipped, the results file was not\n"
           "       written, another program works in the same folder, or there is no\n"
           "       usable working folder; --import refused a file; --history could not\n"
           "       read the results store\n"
           "  2    the command line had errors, or --compare could not read a file\n"
           "  130  interrupted by SIGINT (Ctrl-C); 143: by SIGTERM\n"
           "\n"
           "See lumetra2-cli(1).\n";
}

std::string list_text() {
    std::string out = app::strprintf("%-22s%-20s%s\n", "Benchmark", "Switch", "Sub-score");
    for (const app::BenchmarkInfo& b : app::benchmarks()) {
        std::string sw =
            b.cli_switch.empty() ? std::string("(-runallbench)") : std::string(b.cli_switch);
        for (char& c : sw) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (b.argument == app::SwitchArgument::Deck) sw += "[:FILE.in]";
        if (b.argument == app::SwitchArgument::Kernel) sw += "[:compiler]";
        out += app::strprintf("%-22s%-20s%s\n", std::string(b.name).c_str(), sw.c_str(),
                              std::string(b.score_key).c_str());
    }
    return out;
}

std::string version_text() {
    return "lumetra2-cli (Lumetra) " + app::program_version() + "\n" +
           "Revision: " + app::source_revision() + "\n" + std::string(app::kBuildString) + "\n" +
           "Compiler: " + suite::compiler_name() + "\n" + "Flags: " + suite::compiler_flags() +
           "\n" + "Qt: not linked (the window-less program)\n";
}

}  // namespace cli
