// The STREAM dialog's bars from fixed rate tables: the largest rate gives exactly 360 pixels.
#include "stream/stream_graph.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(StreamGraph, BarsScaleToTheLargestRate) {
    stream::RateTable rates = {{
        {0, 1000, 2000},  // Copy
        {0, 4000, 3000},  // Scale: the largest
        {0, -1, -1},      // Add: no SSE2
        {0, NAN, 500.5},  // Triad: a broken figure
    }};
    EXPECT_DOUBLE_EQ(stream::stream_scale(rates), 4000);
    const auto bars = stream::stream_bars(rates);
    ASSERT_EQ(bars.size(), 8u);  // the four x87 rows are skipped
    struct Row {
        int index, row, length;
        const char* text;
    } rows[] = {
        {0, 1, 90, "1000.00 MB/s"},      {1, 2, 180, "2000.00 MB/s"},
        {2, 4, 360, "4000.00 MB/s"},     {3, 5, 270, "3000.00 MB/s"},
        {4, 7, 0, "ISA not supported."}, {5, 8, 0, "ISA not supported."},
        {6, 10, 0, "No result."},        {7, 11, 45, "500.50 MB/s"},
    };
    for (const Row& r : rows) {
        const app::GradientBar& b = bars[static_cast<std::size_t>(r.index)];
        EXPECT_EQ(b.y, 10 + 21 * r.row) << r.text;
        EXPECT_EQ(b.length, r.length) << r.text;
        EXPECT_EQ(b.text, r.text);
        EXPECT_EQ(b.height, 16);
        EXPECT_EQ(b.text_clip, 375);
        EXPECT_EQ(b.ramp, (app::BarRamp{{0, 0, 51}, {0, 0, 255}}));
    }
    // A wider row distance for large fonts moves the rows, not the lengths.
    EXPECT_EQ(stream::stream_bars(rates, 30)[2].y, 10 + 30 * 4);
}

}  // namespace
