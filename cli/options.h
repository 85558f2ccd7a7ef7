// The command-line program's own GNU-style options, taken out of argv before the suite's
// switches are joined and parsed: --help, --version, --repeat N, --compare OLD NEW.
#pragma once

#include <string>
#include <vector>

namespace cli {

struct Options {
    bool help = false;
    bool version = false;
    int repeat = 1;
    bool compare = false;
    std::string compare_old, compare_new;
    std::vector<std::string> rest;  // argv[0] and the suite's switches, in order
    std::string error;              // non-empty: a bad option (exit status 2)
};

Options parse_options(int argc, const char* const* argv);

// "--help": usage, the suite's switches, these options and the exit statuses.
std::string help_text();
// "--version": version and revision, build, compiler, Qt (not linked in this program).
std::string version_text();

}  // namespace cli
