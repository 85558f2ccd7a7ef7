#include "app/startup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "app/console.h"
#include "app/counter.h"
#include "app/format.h"
#include "app/processor_detect.h"
#include "app/processor_info.h"
#include "app/thread.h"

namespace app {
namespace {
int g_processor_count = 1;
}  // namespace

void startup_banner() {
    // The counter's frequency is measured once, before processor detection reads it.
    counter_init();
    g_processor_count = processor_count();
    console().reset();
    std::string banner = strprintf("Lumetra 2.0 64-bit Edition %s\r\n", kBuildString.data());
    banner += "BETA VERSION\r\nAuthors:\r\n";
    for (std::string_view credit : kAuthorCredits) banner += std::string(credit) + "\r\n";
    banner += "Webmaster and special thanks to:\r\n";
    banner += std::string(kAcknowledgement) + "\r\n";
    ConsoleAppend(banner);
}

void startup_detecting_line() {
    processor_info().processor_count = static_cast<uint32_t>(g_processor_count);
    if (g_processor_count == 1)
        ConsoleAppend("\r\nDetecting processor...\r\n");
    else
        ConsoleAppend(strprintf("\r\nDetecting %d processors...\r\n", g_processor_count));
}

void startup_detect_processors() {
    DetectionInputs inputs;
    inputs.processor_count = g_processor_count;
    ConsoleAppend(detect_processors(processor_info(), inputs));
}

std::filesystem::path startup_ready_and_log_file(const std::filesystem::path& dir) {
    ConsoleAppend("\r\n" + with_cursor("Ready to execute."));
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const std::filesystem::path path =
        dir / console_log_file_name(utc.tm_mon + 1, utc.tm_mday, utc.tm_year + 1900, utc.tm_hour,
                                    utc.tm_min, utc.tm_sec);
    errno = 0;
    if (!console().create_log_file(path))
        console().report_log_failure(kLogOpenWarning, path, errno);
    console().changed_event().set();
    return path;
}

DirectoryLock::~DirectoryLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool DirectoryLock::acquire(const std::filesystem::path& dir, std::string* message) {
    if (fd_ >= 0) return true;
    const std::filesystem::path path = dir / kLockFileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return true;
    int rc;
    do rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        fd_ = fd;
        return true;
    }
    const int err = errno;
    ::close(fd);
    // A file system without locks cannot tell; going on is what the program always did.
    if (err != EWOULDBLOCK) return true;
    if (message) {
        std::error_code ec;
        std::filesystem::path where = std::filesystem::absolute(dir, ec).lexically_normal();
        if (!where.has_filename() && where.has_parent_path()) where = where.parent_path();
        *message = strprintf(
            "Another Lumetra 2.0 is running in %s and would write the same files. Wait until "
            "it has finished, or start this one in another folder.",
            (ec ? dir : where).string().c_str());
    }
    return false;
}

bool lock_working_directory(const std::filesystem::path& dir, std::string* message) {
    static DirectoryLock lock;
    return lock.acquire(dir, message);
}

namespace {
std::filesystem::path g_output_directory{"."};
}  // namespace

void set_output_directory(std::filesystem::path dir) {
    g_output_directory = std::move(dir);
}

std::filesystem::path output_directory() {
    return g_output_directory;
}

CommandLine run_startup(std::string_view cmdline) {
    startup_banner();
    startup_detecting_line();
    console().changed_event().reset();
    startup_detect_processors();
    startup_ready_and_log_file(output_directory());
    return parse_command_line(cmdline);
}

}  // namespace app
