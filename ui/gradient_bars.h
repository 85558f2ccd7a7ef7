// The painter of the benchmark dialogs' gradient bars: one-pixel columns that brighten from
// the bar's left end, and the value text over it, white where it lies on the bar and black
// beyond. BarCanvas is a sunken drawing area that paints a list of such bars.
#pragma once

#include <QPoint>
#include <QWidget>
#include <vector>

#include "app/gradient_bar.h"

class QPainter;

namespace ui {

// Draws `bar` with its corner at origin + (bar.x, bar.y) in the painter's current font.
void draw_gradient_bar(QPainter& painter, QPoint origin, const app::GradientBar& bar);

// The "Courier New" 9 pt face of the bars' texts.
QFont bar_font();

class BarCanvas : public QWidget {
    Q_OBJECT
  public:
    // `padding` is where the bars' origin sits inside the sunken edge.
    explicit BarCanvas(QWidget* parent, QPoint padding = {4, 4});

    // Repaints only when the bars changed.
    void set_bars(std::vector<app::GradientBar> bars);
    const std::vector<app::GradientBar>& bars() const { return bars_; }
    // The area keeps room for bars up to `width` x `height` pixels and for `sample` texts
    // (widened when the font needs it).
    void reserve(int width, int height, const std::vector<QString>& samples = {});
    QPoint origin() const { return padding_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPoint padding_;
    QSize reserved_;
    std::vector<app::GradientBar> bars_;
};

}  // namespace ui
