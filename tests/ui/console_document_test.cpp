// The console view's width rules and layout, its incremental index, and the scroll axis.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "app/console.h"
#include "ui/console_document.h"
#include "ui/console_scroll.h"

namespace {

using ui::ConsoleDocument;
using ui::ConsoleGlyph;
using ui::ScrollAxis;

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

// Appends chunks the way the console does (old cursor marks in the last 10 bytes become
// fillers) and checks that syncing after every chunk gives the same index as one full sync.
TEST(ConsoleDocument, IncrementalSyncMatchesAFreshIndex) {
    std::mt19937 rng(7);
    const char* pieces[] = {"line\r\n", "\x1c_\r\n",  "\r",    "\n", "\t",
                            "\x1e\x14", "wide text ", "\x1dZ", "x"};
    app::Console console(1 << 20);
    console.append("banner text that is long enough\r\n");
    ConsoleDocument incremental;
    for (int i = 0; i < 3000; ++i) {
        console.append(pieces[rng() % std::size(pieces)]);
        if (rng() % 3 == 0) incremental.sync(console);
    }
    incremental.sync(console);
    ConsoleDocument fresh;
    fresh.sync(console.text());
    ASSERT_EQ(incremental.text(), console.text());
    ASSERT_EQ(incremental.line_count(), fresh.line_count());
    for (int i = 0; i <= fresh.line_count(); ++i)
        ASSERT_EQ(incremental.line_start(i), fresh.line_start(i)) << i;
    EXPECT_EQ(incremental.longest_line(), fresh.longest_line());
}

TEST(ScrollAxis, MapsTheThumbOntoZeroToOneHundred) {
    ScrollAxis a;
    a.set_maximum(7);
    a.thumb(50);
    EXPECT_EQ(a.position(), 3);  // 50 / 100 * 7, truncated
    EXPECT_EQ(a.box(), 42);      // 3 / 7 * 100, truncated
    a.thumb(250);
    EXPECT_EQ(a.position(), 7);
    a.set_maximum(3'000'000);
    a.thumb(99);
    EXPECT_EQ(a.position(), 2'970'000);
}

}  // namespace
