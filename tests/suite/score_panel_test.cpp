// The score panel's plain geometry: bar lengths and their cut mark, and texts elided to fit.
#include "suite/score_panel.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

// The panel's bar geometry: 3000 points over the 448 columns a bar has inside its box.
TEST(ScorePanelGeometry, BarsScaleClipAndMarkTheirCut) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        int columns;
        bool clipped;
    } rows[] = {
        {-1.0f, 0, false},     {nan, 0, false},        {0.0f, 1, false},
        {1000.0f, 150, false},  // 149.33 truncated, plus one
        {1500.0f, 225, false}, {2999.0f, 448, false},  {3000.0f, 448, false},
        {3000.5f, 448, true},  {18698.35f, 448, true}, {inf, 448, true},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(suite::bar_columns(r.value), r.columns) << r.value;
        // The figure's white text is clipped at the last column drawn, never past the bar.
        EXPECT_EQ(suite::bar_end_offset(r.value), r.columns - 1) << r.value;
        EXPECT_EQ(suite::bar_clipped(r.value), r.clipped) << r.value;
    }
    // The chevron: tip 3 columns inside the last column (10 + 447 - 3), arms 5 rows each way.
    using S = suite::Segment;
    EXPECT_EQ(suite::clip_marker(10, 17, 37),
              (std::vector<S>{
                  {449, 22, 454, 27}, {449, 32, 454, 27}, {448, 22, 453, 27}, {448, 32, 453, 27}}));
}

}  // namespace
