// The dialog's figures: bar lengths and their cut, the graph's step and points.
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

TEST(MatrixGraph, PointsShareTheFirstColumnAndScaleToTheMaximum) {
    EXPECT_EQ(blas::graph_x_step(24), 13);
    EXPECT_EQ(blas::graph_x_step(0), 1);
    const auto p0 = blas::graph_point(10, 20, 24, 0, 500.0, 1000.0);
    const auto p1 = blas::graph_point(10, 20, 24, 1, 1000.0, 1000.0);
    EXPECT_EQ(p0.x, p1.x);
    EXPECT_EQ(p0.x, 10 + 1 + 13);
    EXPECT_EQ(p1.y, 20 + 1);                                     // the maximum touches the top
    EXPECT_EQ(p0.y, 20 + 1 + 215 - 107);                         // half of it: trunc(107.5)
    EXPECT_EQ(blas::graph_point(0, 0, 24, 5, 0.0, 0.0).y, 216);  // no run yet: the floor
    EXPECT_EQ(blas::graph_label(23), "1536x1536");
    EXPECT_EQ(blas::bar_value_text(1234.5), "1234.50 MFLOPS");
}

}  // namespace
