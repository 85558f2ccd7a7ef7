#include "cli/console_stream.h"

#include <cstdio>
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

void stream_console_to_stdout() {
    auto filter = std::make_shared<ConsoleStreamFilter>();
    // The console calls this under its lock, so lines from workers never interleave.
    app::console().set_listener([filter](std::string_view text) {
        const std::string shown = filter->feed(text);
        if (!shown.empty()) suite::clear_cli_progress_line();
        if (!shown.empty()) std::fwrite(shown.data(), 1, shown.size(), stdout);
        std::fflush(stdout);
    });
}

}  // namespace cli
