// The molecular dynamics dialog's two scrolling energy graphs: kinetic energy at the left,
// potential energy at the right, each the last 231 steps of its history in a 230 x 155 plot
// with its extremes written in. The geometry is md/energy_graph.h; this only paints.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

namespace ui {

struct EnergyGraphLayout {
    QPoint kinetic;    // top left of the kinetic plot's white area
    QPoint potential;  // top left of the potential plot's white area
    QSize size;        // of everything, captions included
};
// Where the plots go for the captions' font (the captions need more room at a high DPI).
EnergyGraphLayout energy_graph_layout(const QFont& font);

// The histories of the steps done so far (null or count 0: empty plots).
struct EnergyHistories {
    const double* kinetic = nullptr;
    const double* potential = nullptr;
    int32_t count = 0;
};

// Paints both plots, their captions and extremes onto `image` (filled with `background`).
void paint_energy_graphs(QImage& image, const EnergyGraphLayout& layout, const QFont& font,
                         const EnergyHistories& h, const QColor& background);

// Where the "Max:" and "Min:" texts of both plots go (none without data).
std::vector<QRect> energy_graph_text_boxes(const EnergyGraphLayout& layout, const QFont& font,
                                           const EnergyHistories& h);

// The font of the graphs: "Courier New" 9 point.
QFont energy_graph_font();

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
