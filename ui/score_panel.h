// The "Benchmark Score" panel of the suite window: six sunken boxes anchored on the score
// labels, this machine's blue bars, the comparison profile's red bars and the comparison box,
// painted off-screen from the suite's panel figures and copied in one piece.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>
#include <string>

#include "report/score_panel_painter.h"
#include "suite/profile.h"
#include "suite/score_panel.h"
#include "suite/suite_dialog.h"

class QLabel;

namespace ui {

class ScorePanel : public QWidget {
    Q_OBJECT
  public:
    // Label layout: the first label's corner and the step between labels.
    static constexpr int kLabelLeft = 6;
    static constexpr int kLabelTop = 4;
    static constexpr int kLabelStep = 64;

    explicit ScorePanel(QWidget* parent);

    // What to paint; the panel repaints itself.
    void set_state(const suite::SubScores& scores, const suite::Profile& profile);

    // The score label of a row (ids 1109, 1111, 1112, 1113, 1114, 1110).
    QLabel* label(suite::PanelRow row) const { return labels_[static_cast<std::size_t>(row)]; }
    // The box height: from the first label's top to the second's, less 2 pixels.
    int box_height() const;
    // Where the bars of a row start (x0) and their top row, in panel coordinates.
    QPoint bar_origin(suite::PanelRow row) const;
    QRect comparison_box() const;
    // The two comparison lines as drawn: cut with "…" to fit the box (the second is empty
    // without a processor count).
    std::array<std::string, 2> comparison_lines() const;
    // The panel as the screen shows it.
    QImage snapshot();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void render();
    ScorePanelGeometry geometry_of_labels() const;

    std::array<QLabel*, suite::kPanelRows> labels_{};
    suite::SubScores scores_;
    suite::Profile profile_;
    QPixmap cache_;
    bool cache_valid_ = false;
};

}  // namespace ui
