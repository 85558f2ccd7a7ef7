// The figures of the STREAM dialog's bars as plain functions: one row per kernel and form,
// scaled to the largest rate, so the window only paints them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/gradient_bar.h"
#include "stream/stream_run.h"

namespace stream {

inline constexpr int kStreamRows = 12;
inline constexpr int kStreamBarMax = 360;
inline constexpr int kStreamBarHeight = 16;
inline constexpr int kStreamFirstRowTop = 10;
inline constexpr int kStreamRowStep = 21;
inline constexpr int kStreamTextClip = 375;

// Row labels, top to bottom, in the rate table's order; the x87 rows have none.
inline constexpr std::array<const char*, kStreamRows> kStreamRowLabels = {
    "", "Copy SSE2", "Copy SSE2 blk Pref", "", "Scale SSE2",  "Scale SSE2 blk Pref",
    "", "Add SSE2",  "Add SSE2 blk Pref",  "", "Triadd SSE2", "Triadd SSE2 blk Pref"};

// The largest of the twelve rates (0 when none is positive).
double stream_scale(const RateTable& rates);

// "%.2f MB/s", "ISA not supported." for -1, "No result." for a figure that is not a number
// or otherwise negative.
std::string stream_rate_text(double mbs);

// The bars of the eight visible rows; row i's top is kStreamFirstRowTop + i x `row_step`.
std::vector<app::GradientBar> stream_bars(const RateTable& rates, int row_step = kStreamRowStep);

}  // namespace stream
