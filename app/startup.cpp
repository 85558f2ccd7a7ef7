#include "app/startup.h"

namespace app {

void startup_banner() {}
void startup_detecting_line() {}
void startup_detect_processors() {}
std::filesystem::path startup_ready_and_log_file(const std::filesystem::path& dir) {
    return dir;
}

CommandLine run_startup(std::string_view cmdline) {
    startup_banner();
    startup_detecting_line();
    startup_detect_processors();
    startup_ready_and_log_file();
    return parse_command_line(cmdline);
}

}  // namespace app
