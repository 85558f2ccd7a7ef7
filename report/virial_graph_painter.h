// The painter of the Orbitra dialog's virial-factor graph: the plot box with its captions, the
// green curve of the iterations shown so far and the Max / Min / Current texts. The geometry
// is atom/virial_graph.h.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

class QPainter;

namespace ui {

struct VirialGraphLayout {
    QPoint origin;        // where the geometry's (0, 0) lies in the image
    QSize size;           // of everything, captions included
    int letter_step = 9;  // between the letters of the vertical caption
    int line = 14;        // text line height
};
// Where everything goes for the graph's font (captions need more room at a high DPI).
VirialGraphLayout virial_graph_layout(const QFont& font);

// Paints the graph of the first `shown` entries of `values` onto `image` (filled with
// `background`).
void paint_virial_graph(QImage& image, const VirialGraphLayout& layout, const QFont& font,
                        const double* values, int shown, const QColor& background);
// The same with any painter (the area is not filled first).
void paint_virial_graph(QPainter& p, const VirialGraphLayout& layout, const QFont& font,
                        const double* values, int shown);

// "Max:", "Min:" and "Current:" and the boxes they take in the image (none without data).
struct VirialText {
    QRect box;
    QString text;
};
std::vector<VirialText> virial_texts(const VirialGraphLayout& layout, const QFont& font,
                                     const double* values, int shown);

// "Courier New" 9 point.
QFont virial_graph_font();

// The curve's pen colour.
inline const QColor kVirialPen(0, 140, 0);

}  // namespace ui
