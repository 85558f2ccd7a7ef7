// The molecular dynamics dialog's energy graphs as a widget; the painter is
// report/energy_graph_painter.h.
#pragma once

#include <QWidget>
#include <functional>

#include "report/energy_graph_painter.h"

namespace ui {

// The widget: draws off-screen from the histories its source returns, then copies.
class EnergyGraphs : public QWidget {
    Q_OBJECT
  public:
    explicit EnergyGraphs(QWidget* parent);
    void set_source(std::function<EnergyHistories()> source) { source_ = std::move(source); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    const EnergyGraphLayout& layout_info() const { return layout_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::function<EnergyHistories()> source_;
    QFont font_;
    EnergyGraphLayout layout_;
};

}  // namespace ui
