// The geometry of the molecular dynamics dialog's two scrolling energy graphs: which steps a
// plot shows, their range and the pixel each value lands on. Any face draws the polyline.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace md {

// A plot area in pixels, and how many of the newest steps it shows.
inline constexpr int kGraphWidth = 230;
inline constexpr int kGraphHeight = 155;
inline constexpr int32_t kGraphSteps = 231;
// The distance between the left edges of the kinetic and the potential plot.
inline constexpr int kGraphSpacing = 255;

// The steps a plot shows (first .. first + count - 1) and their extremes.
struct GraphWindow {
    int32_t first = 0;
    int32_t count = 0;
    double min = 0, max = 0;
};

// The last at most 231 of `step_count` history entries; non-finite entries are left out of the
// extremes.
GraphWindow graph_window(const double* history, int32_t step_count);

// The y pixel of `value` in a plot whose top edge is `top`. A flat window (max == min) and a
// non-finite value land in the middle of the plot.
int graph_y(double value, double min, double max, int top);

struct GraphPoint {
    int x, y;
    bool operator==(const GraphPoint&) const = default;
};

// The curve of a plot at (left, top): the first step at the left edge, then one pixel per step
// from left + 1. Empty without data.
std::vector<GraphPoint> graph_polyline(const double* history, int32_t step_count, int left,
                                       int top);

// "Max: %.7f" and "Min: %.7f" of a window.
std::string graph_max_text(const GraphWindow& w);
std::string graph_min_text(const GraphWindow& w);

}  // namespace md
