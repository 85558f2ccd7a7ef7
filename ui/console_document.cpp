#include "ui/console_document.h"

#include <algorithm>
#include <cstring>

#include "app/console.h"

namespace ui {
namespace {

bool printable(unsigned char c) {
    return (c >= 0x20 && c < 0x7F) || c >= 0x80;
}

// An append rewrites at most the last 10 bytes before it (old cursor markers become fillers).
constexpr std::size_t kRewrittenTail = 10;
// Bytes compared to notice that the console was emptied and written anew between two syncs.
constexpr std::size_t kHeadCheck = 32;

}  // namespace

bool ConsoleDocument::sync(const app::Console& console) {
    bool changed = false;
    console.read([&](std::string_view t) { changed = sync(t); });
    return changed;
}

bool ConsoleDocument::sync(std::string_view t) {
    const std::size_t old = text_.size();
    const std::size_t head = std::min({kHeadCheck, old, t.size()});
    if (t.size() < old || std::memcmp(t.data(), text_.data(), head) != 0) {
        // A fresh console: start over.
        text_.assign(t);
        line_starts_.assign(1, 0);
        widest_so_far_.clear();
        reindex_from(0);
        return true;
    }
    std::size_t from = old > kRewrittenTail ? old - kRewrittenTail : 0;
    while (from < old && text_[from] == t[from]) ++from;
    if (from == old && t.size() == old) return false;
    text_.resize(t.size());
    std::memcpy(text_.data() + from, t.data() + from, t.size() - from);
    reindex_from(from);
    return true;
}

void ConsoleDocument::reindex_from(std::size_t offset) {
    // Line starts at or before `offset` follow a CR LF that did not change.
    while (line_starts_.size() > 1 && line_starts_.back() > offset) line_starts_.pop_back();
    widest_so_far_.resize(line_starts_.size() - 1);

    std::size_t start = line_starts_.back();
    const char* data = text_.data();
    const std::size_t size = text_.size();
    std::size_t i = start;
    while (i + 1 < size) {
        const void* cr = std::memchr(data + i, '\r', size - 1 - i);
        if (!cr) break;
        i = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
        if (data[i + 1] != '\n') {
            ++i;
            continue;
        }
        const int width = line_columns(std::string_view(data + start, i + 2 - start));
        const int widest = widest_so_far_.empty() ? width : std::max(widest_so_far_.back(), width);
        widest_so_far_.push_back(widest);
        start = i + 2;
        line_starts_.push_back(static_cast<std::uint32_t>(start));
        i = start;
    }
    last_line_columns_ = line_columns(std::string_view(data + start, size - start));
}

int ConsoleDocument::longest_line() const {
    const int complete = widest_so_far_.empty() ? 0 : widest_so_far_.back();
    return std::max(complete, last_line_columns_);
}

std::string_view ConsoleDocument::line(int i) const {
    const std::size_t begin = line_starts_[static_cast<std::size_t>(i)];
    const std::size_t end = i + 1 < static_cast<int>(line_starts_.size())
                                ? line_starts_[static_cast<std::size_t>(i) + 1]
                                : text_.size();
    return std::string_view(text_).substr(begin, end - begin);
}

int ConsoleDocument::line_columns(std::string_view line) {
    int columns = 0;
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(line[i]);
        switch (c) {
            case 0x09:
                columns += 5;
                ++i;
                break;
            case 0x1B:
            case 0x1C:
            case 0x1D:
            case 0x1F:
                i += 2;
                break;
            case 0x1E:
                if (i + 1 < n) columns = static_cast<signed char>(line[i + 1]);
                i += 2;
                break;
            default:
                if (printable(c)) ++columns;
                ++i;
                break;
        }
    }
    return columns;
}

void ConsoleDocument::layout_line(std::string_view line, int first_column, int visible_columns,
                                  std::vector<ConsoleGlyph>& out) {
    int column = -first_column;
    bool blink_next = false;
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(line[i]);
        switch (c) {
            case 0x09:
                column += 5;
                ++i;
                break;
            case 0x1B:
                ++i;
                break;
            case 0x1C:
                blink_next = true;
                ++i;
                break;
            case 0x1D:
            case 0x1F:
                i += 2;
                break;
            case 0x1E:
                if (i + 1 < n) column = static_cast<signed char>(line[i + 1]) - first_column;
                i += 2;
                break;
            default:
                if (printable(c)) {
                    // Characters left of the text area are not drawn.
                    if (column >= 0 && column <= visible_columns)
                        out.push_back({column, c, blink_next});
                    blink_next = false;
                    ++column;
                }
                ++i;
                break;
        }
    }
}

}  // namespace ui
