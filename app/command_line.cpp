#include "app/command_line.h"

namespace app {

std::string command_line_text(int argc, const char* const* argv) {
    std::string out;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) out += ' ';
        if (argv[i]) out += argv[i];
    }
    return out;
}

CommandLine parse_command_line(std::string_view cmdline) {
    (void)cmdline;
    return {};
}

}  // namespace app
