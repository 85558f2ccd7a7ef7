// Reading what a run logged: a fresh console whose every text is also collected as it is
// written (while the capture lives), split into lines, and the console text with the cursor
// markers taken out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/console.h"

namespace testing_support {

// The console text without cursor markers (0x1C '_') and without the fillers (0x1B) that
// replaced older ones.
inline std::string console_plain() {
    std::string out;
    const std::string text = app::console().text();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x1b') continue;
        if (text[i] == '\x1c' && i + 1 < text.size() && text[i + 1] == '_') {
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

// How often `what` occurs in `text`.
inline int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
}

class ConsoleCapture {
  public:
    ConsoleCapture() {
        app::console().reset();
        app::console().set_listener([this](std::string_view t) { written += t; });
    }
    ~ConsoleCapture() { app::console().set_listener({}); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    // Every text as it was written (cursor markers and all).
    std::string written;

    // The written lines, CR LF removed (cursor markers kept); an unfinished last line is left
    // out.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::size_t start = 0;
        for (std::size_t i = 0; i + 1 < written.size(); ++i) {
            if (written[i] == '\r' && written[i + 1] == '\n') {
                out.push_back(written.substr(start, i - start));
                start = i + 2;
            }
        }
        return out;
    }
};

}  // namespace testing_support
