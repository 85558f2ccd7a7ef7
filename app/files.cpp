#include "app/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>

#include "app/format.h"

namespace app {

namespace {
char up(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char low(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

std::string ascii_upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = up(c);
    return out;
}

std::string ascii_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = low(c);
    return out;
}

bool iequals(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return up(x) == up(y); });
}

bool iless(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(up(x)) < static_cast<unsigned char>(up(y));
    });
}

std::optional<std::filesystem::path> find_file_nocase(const std::filesystem::path& dir,
                                                      std::string_view name) {
    std::error_code ec;
    std::optional<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string n = entry.path().filename().string();
        if (n == name) return entry.path();
        if (!found && iequals(n, name)) found = entry.path();
    }
    return found;
}

std::vector<std::filesystem::path> list_files_nocase(const std::filesystem::path& dir,
                                                     std::string_view ext, bool regular_only) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        std::error_code ec2;
        if (regular_only && !entry.is_regular_file(ec2)) continue;
        if (iequals(entry.path().extension().string(), ext)) out.push_back(entry.path());
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return iless(a.filename().string(), b.filename().string());
    });
    return out;
}

std::string base_name(const std::filesystem::path& file) {
    const std::string n = file.filename().string();
    return n.substr(0, n.find('.'));
}

namespace {

// Why a file of this mode is not read; nothing for a regular file.
const char* not_regular(mode_t mode) {
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return "is a directory, not a file";
    if (S_ISFIFO(mode)) return "is a named pipe (FIFO), not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a file";
    if (S_ISSOCK(mode)) return "is a socket, not a file";
    return "is not a regular file";
}

std::string open_problem(int err) {
    if (err == ENOENT) return "cannot be opened";
    return strprintf("cannot be opened (%s)", std::strerror(err));
}

std::string too_large(std::string_view what, std::uintmax_t size, std::uintmax_t limit) {
    return strprintf("%.*s too large (%ju bytes, at most %ju)", static_cast<int>(what.size()),
                     what.data(), size, limit);
}

}  // namespace

bool read_input_file(const std::filesystem::path& path, std::string& text, std::string& error,
                     std::string_view what, std::uintmax_t limit) {
    // Looked at before opening: opening a FIFO would wait for a writer, a device may act.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = open_problem(errno);
        return false;
    }
    if (const char* problem = not_regular(st.st_mode)) {
        error = problem;
        return false;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > limit) {
        error = too_large(what, static_cast<std::uintmax_t>(st.st_size), limit);
        return false;
    }
    // The name may have been replaced since: never block on the open, and look again.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = open_problem(errno);
        return false;
    }
    auto fail = [&](std::string problem) {
        ::close(fd);
        error = std::move(problem);
        return false;
    };
    if (::fstat(fd, &st) != 0) return fail(strprintf("cannot be read (%s)", std::strerror(errno)));
    if (const char* problem = not_regular(st.st_mode)) return fail(problem);
    // Sized for the file as it is now; reading one byte past the limit tells a file that grew.
    const std::size_t cap = static_cast<std::size_t>(limit) + 1;
    std::string buffer(std::min<std::size_t>(static_cast<std::size_t>(st.st_size) + 1, cap), '\0');
    std::size_t got = 0;
    for (;;) {
        if (got == buffer.size()) {
            if (buffer.size() == cap) break;
            buffer.resize(std::min(cap, buffer.size() * 2));
        }
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(strprintf("cannot be read (%s)", std::strerror(errno)));
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (got > limit) {
        error = too_large(what, got, limit);
        return false;
    }
    buffer.resize(got);
    text = std::move(buffer);
    return true;
}

std::string printable_token(std::string_view token, std::size_t max_chars) {
    const bool cut = token.size() > max_chars;
    if (cut) token = token.substr(0, max_chars);
    std::string out;
    for (char c : token) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7f)
            out += c;
        else
            out += strprintf("\\x%02X", b);
    }
    if (cut) out += "...";
    return out;
}

std::string printable_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7f)
            out += strprintf("\\x%02X", b);
        else
            out += c;
    }
    return out;
}

namespace {

std::mutex g_seam_mutex;
int g_seam_errno = 0;
std::string g_seam_name;
std::atomic<unsigned> g_temp_counter{0};

// The injected failure for `path`, or 0.
int injected_failure(const std::filesystem::path& path) {
    std::lock_guard lock(g_seam_mutex);
    if (g_seam_errno == 0) return 0;
    if (!g_seam_name.empty() && path.filename().string() != g_seam_name) return 0;
    return g_seam_errno;
}

}  // namespace

void set_write_failure_for_testing(int err, std::string file_name) {
    std::lock_guard lock(g_seam_mutex);
    g_seam_errno = err;
    g_seam_name = std::move(file_name);
}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::fail(const char* what, int err) {
    if (error_.empty())
        error_ = strprintf("%s %s: %s", what, path_.string().c_str(), std::strerror(err));
    discard();
    return false;
}

bool AtomicFile::open(const std::filesystem::path& path, Sync sync) {
    discard();
    path_ = path;
    sync_ = sync;
    error_.clear();
    // Beside the target, so the rename stays on one file system.
    tmp_ = path;
    tmp_.replace_filename(strprintf(".%s.tmp-%ld-%u", path.filename().string().c_str(),
                                    static_cast<long>(::getpid()), g_temp_counter.fetch_add(1)));
    const int fd = ::open(tmp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return fail("cannot create", errno);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        const int err = errno;
        ::close(fd);
        return fail("cannot create", err);
    }
    return true;
}

bool AtomicFile::write(std::string_view text) {
    if (!file_) return false;
    if (text.empty()) return true;
    if (const int err = injected_failure(path_)) return fail("cannot write", err);
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        return fail("cannot write", errno != 0 ? errno : EIO);
    return true;
}

bool AtomicFile::commit() {
    if (!file_) return false;
    if (const int err = injected_failure(path_)) return fail("cannot write", err);
    errno = 0;
    if (std::fflush(file_) != 0 || (sync_ == Sync::ToDisk && ::fsync(::fileno(file_)) != 0))
        return fail("cannot write", errno != 0 ? errno : EIO);
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) return fail("cannot write", errno);
    if (std::rename(tmp_.c_str(), path_.c_str()) != 0) return fail("cannot replace", errno);
    tmp_.clear();
    return true;
}

void AtomicFile::discard() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!tmp_.empty()) {
        ::unlink(tmp_.c_str());
        tmp_.clear();
    }
}

bool write_file_atomically(const std::filesystem::path& path, std::string_view text,
                           std::string* error, Sync sync) {
    AtomicFile f;
    if (f.open(path, sync) && f.write(text) && f.commit()) return true;
    if (error) *error = f.error();
    return false;
}

bool append_file_atomically(const std::filesystem::path& path, std::string_view block,
                            std::string* error, Sync sync) {
    // A log is a few kilobytes; this bound only keeps a stranger's huge file out of memory.
    constexpr std::uintmax_t kMaxAppendBytes = 64u << 20;
    std::string text;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        std::string problem;
        if (!read_input_file(path, text, problem, "file", kMaxAppendBytes)) {
            if (error)
                *error =
                    strprintf("cannot append to %s: %s", path.string().c_str(), problem.c_str());
            return false;
        }
    } else if (errno != ENOENT) {
        if (error)
            *error =
                strprintf("cannot append to %s: %s", path.string().c_str(), std::strerror(errno));
        return false;
    }
    text.append(block);
    return write_file_atomically(path, text, error, sync);
}

}  // namespace app
