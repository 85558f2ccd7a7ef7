#include "cli/options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "app/command_line.h"
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
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (arg == "--help") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--repeat" || arg.rfind("--repeat=", 0) == 0) {
            std::string value;
            bool given = true;
            if (arg.size() > 8) {
                value = arg.substr(9);
            } else if (i + 1 < argc && argv[i + 1]) {
                value = argv[++i];
            } else {
                given = false;
            }
            if (!given)
                fail("--repeat needs a count: --repeat N with N a whole number from 1 to " +
                     std::to_string(kMaxRepeat));
            else if (!parse_count(value, o.repeat))
                fail("--repeat: '" + value + "' is not a whole number from 1 to " +
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
        } else if (arg.rfind("--", 0) == 0 && arg.size() > 2) {
            fail("unknown option '" + arg + "' (try --help)");
        } else {
            o.rest.push_back(arg);
        }
    }
    return o;
}

std::string help_text() {
    std::string out =
        "Usage: lumetra2-cli [OPTION]... [SWITCH]...\n"
        "   or: lumetra2-cli --compare OLD.json NEW.json\n"
        "Runs the Lumetra 2.0 benchmarks without a window: the console text goes to standard\n"
        "output and the console log file, the figures to a Results-*.json file in the working\n"
        "directory.\n\n"
        "Switches of the suite (any case):\n";
    for (std::string_view line : app::help_lines()) out += std::string(line) + "\n";
    out +=
        "\nOptions:\n"
        "  --repeat N          run the queued selection N times (1 to 1000, default 1); print\n"
        "                      min / median / max and the coefficient of variation of every\n"
        "                      headline figure; the sub-scores are made from the medians\n"
        "  --compare OLD NEW   compare two results files side by side and exit\n"
        "  --help              display this help and exit\n"
        "  --version           output version information and exit\n"
        "\nExit status:\n"
        "  0  every selected benchmark produced its figure (also with nothing to run)\n"
        "  1  a benchmark failed, was stopped or skipped, or the results file was not written\n"
        "  2  the command line had errors, or --compare could not read a file\n";
    return out;
}

std::string version_text() {
    return "lumetra2-cli (Lumetra) " + app::program_version() + "\n" +
           "Revision: " + app::source_revision() + "\n" + std::string(app::kBuildString) + "\n" +
           "Compiler: " + suite::compiler_name() + "\n" + "Flags: " + suite::compiler_flags() +
           "\n" + "Qt: not linked (the window-less program)\n";
}

}  // namespace cli
