// The painter of the matrix multiply dialog's MFLOPS graph: the curve, its guide lines and size
// labels, "Peak:" and the dashed ISA peak line. The geometry is blas/matrix_graph.h.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

#include "blas/matrix_run.h"

class QPainter;

namespace ui {

// Draws the graph into `area` (its sunken edge included; the plot is 310 x 215 inside it):
// the curve of `t`, the guide lines, the size labels, "Peak:" and, when `isa_peak` is
// positive, the dashed ISA peak line.
void draw_matrix_graph(QPainter& painter, const QRect& area, const blas::MatrixTables& t,
                       double isa_peak);

// A text of the graph: its box in the graph's coordinates, the text and its colour.
struct MatrixGraphLabel {
    QRect box;
    QString text;
    QColor colour;
};
// The graph's texts where they are drawn: the size labels on the bottom line (one that would
// run into the label before it a line higher), the ISA peak text under its line and "Peak:"
// 25 pixels above the bottom at the right, or, when the curve or a label is there, at the
// first free one of the other corners and the middle.
std::vector<MatrixGraphLabel> matrix_graph_labels(const QRect& area, const blas::MatrixTables& t,
                                                  double isa_peak);
// The corners of the curve, from the bottom-left corner on.
std::vector<QPoint> matrix_graph_curve(const QRect& area, const blas::MatrixTables& t,
                                       double isa_peak);

}  // namespace ui
