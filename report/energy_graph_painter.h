// The painter of the molecular dynamics dialog's two scrolling energy graphs: kinetic energy at
// the left, potential energy at the right, each the last 231 steps of its history in a
// 230 x 155 plot with its extremes written in. The geometry is md/energy_graph.h.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <vector>

class QPainter;

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
// The same with any painter (the area is not filled first).
void paint_energy_graphs(QPainter& p, const EnergyGraphLayout& layout, const QFont& font,
                         const EnergyHistories& h);

// Where the "Max:" and "Min:" texts of both plots go (none without data).
std::vector<QRect> energy_graph_text_boxes(const EnergyGraphLayout& layout, const QFont& font,
                                           const EnergyHistories& h);

// The font of the graphs: "Courier New" 9 point.
QFont energy_graph_font();

}  // namespace ui
