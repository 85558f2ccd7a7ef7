// The Orbitra dialog's virial-factor graph as a widget: paints off-screen with
// report/virial_graph_painter.h, then copies.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "report/virial_graph_painter.h"

namespace ui {

class VirialGraph : public QWidget {
    Q_OBJECT
  public:
    explicit VirialGraph(QWidget* parent);
    // The entries to show, asked for on every paint.
    void set_source(std::function<std::vector<double>()> source) { source_ = std::move(source); }
    QSize sizeHint() const override { return layout_.size; }
    QSize minimumSizeHint() const override { return layout_.size; }
    const VirialGraphLayout& layout_info() const { return layout_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::function<std::vector<double>()> source_;
    QFont font_;
    VirialGraphLayout layout_;
};

}  // namespace ui
