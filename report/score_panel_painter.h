// The painter of the "Benchmark Score" panel: six sunken boxes anchored on the score labels,
// this machine's blue bars, the comparison profile's red bars, the reference mark and the
// comparison box. The figures are suite/score_panel.h; the suite window and the report draw
// through this.
#pragma once

#include <QFont>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <array>
#include <string>

#include "suite/profile.h"
#include "suite/score_panel.h"
#include "suite/suite_dialog.h"

class QPainter;

namespace ui {

// Where the panel's parts lie: each row's label corner, the box height, the comparison box.
struct ScorePanelGeometry {
    std::array<QPoint, suite::kPanelRows> corners{};
    int box_height = 0;
    QRect comparison_box;
};
// The geometry of labels whose corners are `corners` (box height from the first two).
ScorePanelGeometry score_panel_geometry(const std::array<QPoint, suite::kPanelRows>& corners);

// The labels' face: `base` at a size whose whole height fits above the bars.
QFont score_label_font(QFont base);

// The two comparison lines as drawn: cut with "…" to fit the box (the second is empty without
// a processor count).
std::array<std::string, 2> score_comparison_lines(const suite::Profile& profile);

// Paints the panel; with `labels` the row labels' texts too (a window has label widgets).
void paint_score_panel(QPainter& p, const ScorePanelGeometry& g, const QPalette& palette,
                       const suite::SubScores& scores, const suite::Profile& profile, bool labels);

}  // namespace ui
