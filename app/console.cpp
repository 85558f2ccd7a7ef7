#include "app/console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/format.h"
#include "app/message_sink.h"

namespace app {

std::string with_cursor(std::string_view text) {
    std::string s(text);
    s += kCursorMarker;
    s += "\r\n";
    return s;
}

std::string console_log_file_name(int month, int day, int year, int hour, int minute, int second) {
    return strprintf("Console-%d-%d-%d-%d-%d-%d.txt", month, day, year, hour, minute, second);
}

namespace {

// Writes text with every LF stored as CR LF, as a text-mode stream would.
bool write_text_mode(std::FILE* f, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') continue;
        if (i > start && std::fwrite(text.data() + start, 1, i - start, f) != i - start)
            return false;
        if (std::fwrite("\r\n", 1, 2, f) != 2) return false;
        start = i + 1;
    }
    if (start < text.size()) {
        const std::size_t n = text.size() - start;
        if (std::fwrite(text.data() + start, 1, n, f) != n) return false;
    }
    return true;
}

}  // namespace

Console::Console(std::size_t capacity) : capacity_(capacity) {
    text_.reserve(capacity_ > 4096 ? 4096 : capacity_);
}

void Console::append_locked(std::string_view text) {
    // Only the newest cursor blinks: old markers in the last 10 bytes become fillers.
    const std::size_t from = text_.size() > 10 ? text_.size() - 10 : 0;
    for (std::size_t i = from; i < text_.size(); ++i) {
        if (text_[i] != '\x1c') continue;
        text_[i] = '\x1b';
        if (i + 1 < text_.size()) text_[i + 1] = '\x1b';
    }
    // The text stops growing one byte short of its capacity (room for the terminating zero).
    const std::size_t room = text_.size() + 1 < capacity_ ? capacity_ - 1 - text_.size() : 0;
    text_.append(text.substr(0, room));
    if (listener_) listener_(text);
}

void Console::append(std::string_view text) {
    std::lock_guard lock(mutex_);
    append_locked(text);
}

void Console::log(std::string_view text) {
    // The file is opened before the text is appended, and a failure is reported first, as the
    // log operation always did. The box is raised without the lock held: the GUI's sink waits
    // for its own thread, which may be painting the console meanwhile.
    std::filesystem::path path;
    {
        std::lock_guard lock(mutex_);
        path = log_path_;
    }
    std::FILE* f = nullptr;
    if (!path.empty()) {
        f = std::fopen(path.c_str(), "ab");
        if (!f) report_log_failure(kLogOpenWarning, path, errno);
    }
    bool written = true;
    int write_errno = 0;
    {
        // Appending and writing under one lock keeps the file in the order of the text.
        std::lock_guard lock(mutex_);
        append_locked(text);
        // Flushed under the lock too, so a later line never reaches the disk first.
        if (f) {
            errno = 0;
            written = write_text_mode(f, text) && std::fflush(f) == 0;
            write_errno = errno;
        }
    }
    changed_.set();
    if (f) {
        errno = 0;
        if (std::fclose(f) != 0 && written) {
            written = false;
            write_errno = errno;
        }
        if (!written) report_log_failure(kLogWriteWarning, path, write_errno);
    }
}

void Console::report_log_failure(std::string_view warning, const std::filesystem::path& path,
                                 int error) {
    if (!log_failure_shown_.exchange(true)) {
        message_sink().message_box(warning, "File error");
        return;
    }
    // Later failures: the same words on standard error, with the file and the reason.
    const std::string line =
        strprintf("File error: %.*s (%s: %s)\n", static_cast<int>(warning.size()), warning.data(),
                  path.string().c_str(), error != 0 ? std::strerror(error) : "unknown reason");
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

bool Console::create_log_file(const std::filesystem::path& path, bool exclusive) {
    std::lock_guard lock(mutex_);
    std::FILE* f = std::fopen(path.c_str(), exclusive ? "wbx" : "wb");
    if (!f && exclusive && errno == EEXIST) return false;
    log_path_ = path;
    if (!f) return false;
    const bool ok = write_text_mode(f, text_);
    return std::fclose(f) == 0 && ok;
}

std::filesystem::path Console::log_path() const {
    std::lock_guard lock(mutex_);
    return log_path_;
}

std::string Console::text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

std::size_t Console::size() const {
    std::lock_guard lock(mutex_);
    return text_.size();
}

void Console::set_listener(std::function<void(std::string_view)> listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void Console::reset() {
    std::lock_guard lock(mutex_);
    text_.clear();
    log_path_.clear();
    changed_.reset();
    log_failure_shown_.store(false);
}

Console& console() {
    static Console instance;
    return instance;
}

}  // namespace app
