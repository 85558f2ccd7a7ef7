// The console text: the program's running report, shown by the console view and mirrored line
// by line into the console log file. Workers log while the view reads, so every access is
// under one lock; the text never grows past its capacity, while the log file keeps receiving
// every logged line.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "app/event.h"

namespace app {

inline constexpr std::size_t kConsoleCapacity = 2'000'000;
// The blinking cursor: 0x1C followed by "_".
inline constexpr std::string_view kCursorMarker = "\x1c_";

// What a console log that cannot be written raises ("File error").
inline constexpr std::string_view kLogOpenWarning = "Warning: unable to open console file.";
inline constexpr std::string_view kLogWriteWarning = "Warning: unable to write console file.";

// A line that ends with the cursor marker: text, 0x1C, "_", CR LF.
std::string with_cursor(std::string_view text);

// "Console-%d-%d-%d-%d-%d-%d.txt" from a UTC time: month, day, year, hour, minute, second.
std::string console_log_file_name(int month, int day, int year, int hour, int minute, int second);

class Console {
  public:
    explicit Console(std::size_t capacity = kConsoleCapacity);

    // Appends without logging (the caller refreshes the view itself).
    void append(std::string_view text);
    // Appends, writes the text to the log file (LF written as CR LF), signals the changed
    // event. A file that cannot be opened or written is reported (report_log_failure) and the
    // text is still appended.
    void log(std::string_view text);
    // Start-up: creates (empties) the log file and writes the whole text so far. With
    // `exclusive`, a file that already exists is left alone (false, errno EEXIST) and the log
    // path is not changed. Returns false when the file could not be created.
    bool create_log_file(const std::filesystem::path& path, bool exclusive = false);
    std::filesystem::path log_path() const;

    // A log file that cannot be opened or written: the first failure of a session goes to the
    // message sink (the GUI's box), later ones to standard error only, so an unattended run
    // never stalls on a box per line. `error` is the errno (0: unknown).
    void report_log_failure(std::string_view warning, const std::filesystem::path& path, int error);

    std::string text() const;
    std::size_t size() const;
    // Calls f(std::string_view) with the text under the lock.
    template <class F>
    void read(F&& f) const {
        std::lock_guard lock(mutex_);
        f(std::string_view(text_));
    }

    // Signalled by every log(); the view's refresh timer polls it.
    Event& changed_event() { return changed_; }

    // Receives every appended or logged text, under the lock, in order (the CLI streams the
    // console to standard output through it). Pass an empty function to remove it.
    void set_listener(std::function<void(std::string_view)> listener);

    // Empties the text and forgets the log file (tests, and a fresh start-up).
    void reset();

  private:
    void append_locked(std::string_view text);

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::string text_;
    std::filesystem::path log_path_;
    std::function<void(std::string_view)> listener_;
    Event changed_{Event::Reset::Auto};
    std::atomic<bool> log_failure_shown_{false};
};

// The program's console.
Console& console();

// The two console operations every subsystem uses.
inline void ConsoleAppend(std::string_view text) {
    console().append(text);
}
inline void ConsoleLog(std::string_view text) {
    console().log(text);
}

}  // namespace app
