#include "app/startup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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
    // The counter's frequency is measured on first use, which is processor detection's clock
    // line: nothing before it needs the figure.
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
    const std::string name = console_log_file_name(utc.tm_mon + 1, utc.tm_mday, utc.tm_year + 1900,
                                                   utc.tm_hour, utc.tm_min, utc.tm_sec);
    // A program started in the same second as an earlier one keeps that one's log: a taken
    // name gets "-2", "-3", ... before ".txt", as the results files do, and is never emptied.
    const std::string stem = name.substr(0, name.size() - 4);
    std::filesystem::path path = dir / name;
    for (int n = 2;; ++n) {
        errno = 0;
        if (console().create_log_file(path, true)) break;
        const int err = errno;
        if (err != EEXIST || n > 1000) {
            console().report_log_failure(kLogOpenWarning, path, err);
            break;
        }
        path = dir / strprintf("%s-%d.txt", stem.c_str(), n);
    }
    console().changed_event().set();
    return path;
}

DirectoryLock::~DirectoryLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool DirectoryLock::acquire(const std::filesystem::path& dir, std::string* message) {
    if (fd_ >= 0) return true;
    const std::filesystem::path path = dir / kLockFileName;
    std::error_code ec;
    std::filesystem::path where = std::filesystem::absolute(dir, ec).lexically_normal();
    if (!where.has_filename() && where.has_parent_path()) where = where.parent_path();
    if (ec) where = dir;
    auto refuse = [&](int err) {
        if (message)
            *message = strprintf(
                "Cannot take the lock %s in %s (%s), so another Lumetra 2.0 could write the "
                "same files. Remove or repair the lock file, or start this one in another folder.",
                std::string(kLockFileName).c_str(), where.string().c_str(), std::strerror(err));
        return false;
    };
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file this user cannot write (another user's, in a shared folder) or a directory of
    // that name still takes a lock when opened for reading.
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        // No lock file, and none can be made: the folder cannot be written, so there is no
        // output of another program to protect.
        if (err == ENOENT) return true;
        return refuse(err);
    }
    int rc;
    do rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        fd_ = fd;
        return true;
    }
    const int err = errno;
    ::close(fd);
    if (err != EWOULDBLOCK) return refuse(err);
    if (message)
        *message = strprintf(
            "Another Lumetra 2.0 is running in %s and would write the same files. Wait until "
            "it has finished, or start this one in another folder.",
            where.string().c_str());
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

int open_closed_standard_descriptors() {
    int closed = 0;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open() takes the lowest free descriptor, which is this one.
        const int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (got >= 0 && got != fd) ::close(got);
        closed |= 1 << fd;
    }
    return closed;
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
