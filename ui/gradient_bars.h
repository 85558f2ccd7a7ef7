// BarCanvas: a sunken drawing area of the benchmark dialogs that paints a list of gradient
// bars (report/bar_painter.h).
#pragma once

#include <QPoint>
#include <QWidget>
#include <vector>

#include "app/gradient_bar.h"
#include "report/bar_painter.h"

class QPainter;

namespace ui {

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
