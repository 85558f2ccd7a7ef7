// A gradient bar as the benchmark dialogs draw it: its place, length, height, colour ramp and
// value text, decided by plain functions next to each run controller; the painter lives in ui/.
#pragma once

#include <algorithm>
#include <string>

namespace app {

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A colour that starts dim and brightens one step per pixel column up to its full value.
struct BarRamp {
    Rgb start;
    Rgb full;

    // The colour of pixel column `column` (0 = the bar's left end).
    Rgb at(int column) const {
        const int step = std::max(column, 0);
        return {std::min(start.r + step, full.r), std::min(start.g + step, full.g),
                std::min(start.b + step, full.b)};
    }
    friend bool operator==(const BarRamp&, const BarRamp&) = default;
};

// The usual ramp: from one fifth of each component of `full` up to `full`.
constexpr BarRamp ramp_from_fifth(Rgb full) {
    return {{full.r / 5, full.g / 5, full.b / 5}, full};
}

struct GradientBar {
    int x = 0, y = 0;  // top-left corner within the drawing area
    int length = 0;    // pixel columns; 0 draws the text alone, in black
    int height = 0;
    BarRamp ramp;
    // Drawn from the bar's left end: white over the bar, black beyond it.
    std::string text;
    // When positive, the text is cut this many pixels right of the bar's left end.
    int text_clip = 0;
    friend bool operator==(const GradientBar&, const GradientBar&) = default;
};

// Pixels for `value` on a bar that reaches `max_px` at `scale`: truncated, at most `max_px`.
// No bar for a value that is not positive or not a number, or without a positive scale.
inline int scaled_bar_length(double value, double scale, int max_px) {
    if (!(value > 0.0) || !(scale > 0.0)) return 0;
    const double px = value / scale * max_px;
    if (!(px < max_px)) return max_px;  // also infinities
    return static_cast<int>(px);
}

}  // namespace app
