// The console view's copy of the console text and its line index. The text only grows, so a
// sync copies just the tail that can have changed (new bytes, and the few bytes before them
// whose cursor marker an append may have turned into fillers) and re-indexes from the start
// of the line that tail begins in. Nothing here knows Qt, so the rules are unit-tested.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {
class Console;
}

namespace ui {

// One character of a console line as the view draws it: its column relative to the first
// shown column, the byte, and whether it is a blinking cursor cell.
struct ConsoleGlyph {
    int column;
    unsigned char ch;
    bool blink;
};

class ConsoleDocument {
  public:
    // Brings the copy up to date with the console's whole text (read under its lock).
    // Returns true when anything changed.
    bool sync(const app::Console& console);
    // The same from a plain text (tests, and the console's read callback).
    bool sync(std::string_view text);

    const std::string& text() const { return text_; }
    // Number of CR LF line breaks.
    int line_count() const { return static_cast<int>(line_starts_.size()) - 1; }
    // Widest complete or partial line, in columns.
    int longest_line() const;
    // Offset of line i (0 <= i <= line_count()).
    std::uint32_t line_start(int i) const { return line_starts_[static_cast<std::size_t>(i)]; }
    // Bytes of line i up to the next line start (CR LF included); the last line runs to the
    // end of the text.
    std::string_view line(int i) const;

    // Columns a line occupies for the horizontal extent.
    static int line_columns(std::string_view line);
    // Lays out a line scrolled by `first_column` columns; only glyphs whose column lies in
    // [0, visible_columns] are produced (one partly shown column on the right).
    static void layout_line(std::string_view line, int first_column, int visible_columns,
                            std::vector<ConsoleGlyph>& out);

  private:
    void reindex_from(std::size_t offset);

    std::string text_;
    // Entry 0 is 0; each CR LF starts the next entry.
    std::vector<std::uint32_t> line_starts_{0};
    // widest_so_far_[i]: widest of the complete lines 0..i.
    std::vector<int> widest_so_far_;
    int last_line_columns_ = 0;
};

}  // namespace ui
