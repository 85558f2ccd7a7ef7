// The dialog's figures: bar lengths and their cut, the size indices and the peak line.
#include "blas/matrix_graph.h"

#include <gtest/gtest.h>

namespace {

TEST(MatrixGraph, BarsGrowWithMflopsAndAreCutAt525) {
    EXPECT_EQ(blas::bar_length(0.0), 1);
    EXPECT_EQ(blas::bar_length(2000.0), 263);  // trunc(262.5) + 1
    EXPECT_EQ(blas::bar_length(3999.0), 525);
    EXPECT_EQ(blas::bar_length(4000.0), 525);
    EXPECT_EQ(blas::bar_length(40000.0), 525);
    EXPECT_EQ(blas::bar_length(-100.0), 0);
}

TEST(MatrixGraph, SixBarsShowTheirSizeIndicesAndTheIsaPeakKeepsItsLineInside) {
    blas::MatrixTables t;
    t.size_count = 24;
    for (int i = 0; i < 24; ++i) t.size_mflops[i] = 100.0 * i;  // index i reads 100 i
    t.size_mflops[23] = 9000.0;                                 // over the cut
    const auto bars = blas::size_bars(t);
    ASSERT_EQ(bars.size(), 6u);
    // Double precision measures 60 x 60 under the "64x64" label: the rows are size indices.
    const int index[] = {0, 1, 3, 7, 15};
    for (int row = 0; row < 5; ++row) {
        EXPECT_EQ(bars[row].text, blas::bar_value_text(100.0 * index[row]));
        EXPECT_EQ(bars[row].length, blas::bar_length(100.0 * index[row]));
        EXPECT_EQ(bars[row].y, 33 * row);
    }
    EXPECT_EQ(bars[2].length, 40);  // trunc(300 / 4000 x 525) + 1
    EXPECT_EQ(bars[5].length, 525);
    EXPECT_EQ(bars[5].text, "9000.00 MFLOPS");
    EXPECT_EQ(bars[0].ramp, (app::BarRamp{{51, 0, 0}, {255, 0, 0}}));

    EXPECT_DOUBLE_EQ(blas::size_max(t), 9000.0);
    EXPECT_DOUBLE_EQ(blas::graph_scale(9000.0, 0.0), 9000.0);     // unknown: the documented max
    EXPECT_DOUBLE_EQ(blas::graph_scale(9000.0, 8100.0), 9000.0);  // measured above the peak
    EXPECT_DOUBLE_EQ(blas::graph_scale(9000.0, 18000.0), 20000.0);
    EXPECT_EQ(blas::peak_line_y(0, 18000.0, 20000.0), 216 - 193);  // trunc(193.5)
}

}  // namespace
