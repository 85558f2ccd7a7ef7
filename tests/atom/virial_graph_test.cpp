// The virial graph's mapping: hand-computed pixels for a fixed history, one entry, a flat and a
// non-finite history, and the texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "atom/virial_graph.h"

namespace {

using atom::VirialPoint;

TEST(VirialGraph, MapsAFixedHistoryToHandComputedPixels) {
    const double v[] = {-1.0, -2.0, 0.5};
    const atom::VirialRange r = atom::virial_range(v, 3);
    EXPECT_EQ(r.min, -2.0);
    EXPECT_EQ(r.max, 0.5);
    // 297 - trunc(1 / 2.5 * 261) = 297 - 104; the minimum at 297, the maximum at 36.
    EXPECT_EQ(atom::virial_polyline(v, 3),
              (std::vector<VirialPoint>{{15, 193}, {19, 193}, {21, 297}, {25, 36}}));
    EXPECT_EQ(atom::virial_max_text(r), "Max: 0.5000000");
    EXPECT_EQ(atom::virial_min_text(r), "Min: -2.0000000");
    EXPECT_EQ(atom::virial_current_text(v, 3), "Current: 0.5000000");
    // Two shown: the range and the current entry follow the count, not the array.
    EXPECT_EQ(atom::virial_polyline(v, 2),
              (std::vector<VirialPoint>{{15, 167}, {19, 167}, {21, 297}}));
    EXPECT_EQ(atom::virial_current_text(v, 2), "Current: -2.0000000");
}

TEST(VirialGraph, OneEntryIsTheFirstShortSegmentAndTheRangeHoldsZero) {
    const double negative[] = {-1.0};
    const double positive[] = {0.3};
    EXPECT_EQ(atom::virial_polyline(negative, 1), (std::vector<VirialPoint>{{15, 297}, {19, 297}}));
    EXPECT_EQ(atom::virial_polyline(positive, 1), (std::vector<VirialPoint>{{15, 36}, {19, 36}}));
    EXPECT_TRUE(atom::virial_polyline(negative, 0).empty());
    EXPECT_TRUE(atom::virial_polyline(nullptr, 3).empty());
    EXPECT_EQ(atom::virial_current_text(nullptr, 0), "Current: 0.0000000");
}

TEST(VirialGraph, FlatAndNonFiniteHistoriesNeverDivideByZero) {
    const double flat[] = {0.0, 0.0, 0.0};
    EXPECT_EQ(atom::virial_polyline(flat, 3),
              (std::vector<VirialPoint>{{15, 167}, {19, 167}, {21, 167}, {25, 167}}));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double odd[] = {-inf, -1.0, nan};
    const atom::VirialRange r = atom::virial_range(odd, 3);
    EXPECT_EQ(r.min, -1.0);
    EXPECT_EQ(r.max, 0.0);
    EXPECT_EQ(atom::virial_polyline(odd, 3),
              (std::vector<VirialPoint>{{15, 167}, {19, 167}, {21, 297}, {25, 167}}));
}

TEST(VirialGraph, FiftyIterationsStayInsideTheBox) {
    std::vector<double> v(50);
    for (int k = 0; k < 50; ++k) v[static_cast<size_t>(k)] = std::log(1.0 / (k + 1.0));
    const auto line = atom::virial_polyline(v.data(), 50);
    ASSERT_EQ(line.size(), 51u);
    EXPECT_EQ(line.back(), (VirialPoint{17 + 4 * 49, 297}));
    EXPECT_EQ(line[1], (VirialPoint{19, 36}));
    for (const VirialPoint& p : line) {
        EXPECT_GE(p.x, atom::kVirialBoxLeft);
        EXPECT_LT(p.x, atom::kVirialBoxLeft + atom::kVirialBoxWidth);
        EXPECT_GE(p.y, atom::kVirialBoxTop);
        EXPECT_LE(p.y, atom::kVirialBoxTop + atom::kVirialBoxHeight + 1);
    }
}

}  // namespace
