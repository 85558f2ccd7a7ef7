// The console view's width rules and the layout of a line into drawn cells.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "ui/console_document.h"

namespace {

using ui::ConsoleDocument;
using ui::ConsoleGlyph;

std::string laid_out(std::string_view line, int first, int visible) {
    std::vector<ConsoleGlyph> glyphs;
    ConsoleDocument::layout_line(line, first, visible, glyphs);
    std::string out;
    for (const ConsoleGlyph& g : glyphs) {
        out += std::to_string(g.column) + (g.blink ? "*" : ":");
        out += static_cast<char>(g.ch);
        out += ' ';
    }
    return out;
}

TEST(ConsoleDocument, CountsColumnsAndLaysOutLines) {
    // Fillers, cursor marks and two-byte codes take their argument byte with them; 0x1E n sets
    // the column count (n a signed byte); other control bytes and DEL take no column.
    const std::pair<std::string_view, int> widths[] = {
        {"abc\r\n", 3},       {"a\tb", 7},           {"ab\x1b\x1bz", 3},  {"Ready\x1c_\r\n", 5},
        {"a\x1dZb\x1fZc", 3}, {"abc\x1e\x28xy", 42}, {"abc\x1e\xfe", -2}, {"a\x01\x7fz", 2},
    };
    for (const auto& [line, columns] : widths)
        EXPECT_EQ(ConsoleDocument::line_columns(line), columns) << line;
    // Characters left of the text area are not drawn; the right edge keeps one partial column;
    // 0x1E moves to a column counted from the scrolled origin; the cursor mark makes the next
    // printable character a blink cell; fillers are skipped.
    const std::tuple<std::string_view, int, int, std::string> layouts[] = {
        {"ab\tc", 0, 80, "0:a 1:b 7:c "},       {"abcdef", 2, 2, "0:c 1:d 2:e "},
        {"a\x1e\x0aq", 0, 80, "0:a 10:q "},     {"a\x1e\x0aq", 4, 80, "6:q "},
        {"ok\x1c_\r\n", 0, 80, "0:o 1:k 2*_ "}, {"ok\x1b\x1b\r\n", 0, 80, "0:o 1:k "},
        {"a\x1dXb", 0, 80, "0:a 1:b "},
    };
    for (const auto& [line, first, visible, expected] : layouts)
        EXPECT_EQ(laid_out(line, first, visible), expected) << line;
}

}  // namespace
