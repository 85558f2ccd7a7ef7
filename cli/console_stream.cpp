#include "cli/console_stream.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/console.h"
#include "suite/cli_report.h"

namespace cli {

std::string ConsoleStreamFilter::feed(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        if (skip_ > 0) {
            --skip_;
            continue;
        }
        if (pending_cr_) {
            pending_cr_ = false;
            if (ch == '\n') {
                out += '\n';
                continue;
            }
            out += '\r';
        }
        switch (static_cast<unsigned char>(ch)) {
            case 0x0d:
                pending_cr_ = true;
                break;
            case 0x1b:  // filler
                break;
            case 0x1c:  // cursor: the marked character goes with it
            case 0x1d:
            case 0x1e:  // column move: its argument is a column, not text
            case 0x1f:
                skip_ = 1;
                break;
            default:
                out += ch;
        }
    }
    return out;
}

namespace {
// The first failure of standard output (its errno); the run goes on without it.
std::atomic<int> g_stdout_error{0};

void note_stdout_error() {
    int expected = 0;
    g_stdout_error.compare_exchange_strong(expected, errno != 0 ? errno : EIO);
}
}  // namespace

void note_stdout_closed() {
    int expected = 0;
    g_stdout_error.compare_exchange_strong(expected, EBADF);
}

void stream_console_to_stdout(bool to_stdout) {
    auto filter = std::make_shared<ConsoleStreamFilter>();
    auto line = std::make_shared<std::string>();
    // The console calls this under its lock, so lines from workers never interleave.
    app::console().set_listener([filter, line, to_stdout](std::string_view text) {
        const std::string shown = filter->feed(text);
        // Error lines of the console text go to standard error as well, after the name.
        for (char ch : shown) {
            if (ch != '\n') {
                *line += ch;
                continue;
            }
            if (line->rfind("Error", 0) == 0) {
                suite::clear_cli_progress_line();
                std::fprintf(stderr, "lumetra2-cli: %s\n", line->c_str());
            }
            line->clear();
        }
        if (!to_stdout) return;
        if (!shown.empty()) suite::clear_cli_progress_line();
        if (!shown.empty() && std::fwrite(shown.data(), 1, shown.size(), stdout) != shown.size())
            note_stdout_error();
        if (std::fflush(stdout) != 0) note_stdout_error();
    });
}

int finish_stdout(int status, std::FILE* err) {
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) note_stdout_error();
    const int error = g_stdout_error.load();
    if (error == 0) return status;
    if (err) {
        std::fprintf(err, "Error: standard output could not be written: %s\n",
                     std::strerror(error));
        std::fflush(err);
    }
    return status == 0 ? 1 : status;
}

}  // namespace cli
