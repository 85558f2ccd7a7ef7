#include "report/matrix_graph_painter.h"

#include <qdrawutil.h>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cstdlib>

#include "blas/isa_peak.h"
#include "blas/matrix_graph.h"
#include "ui/fonts.h"

namespace ui {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QFont graph_font() {
    QFont f = fixed_pitch_font({QStringLiteral("Courier New")}, 9);
    f.setPointSizeF(8.5);
    return f;
}

constexpr int kGuideIndices[] = {3, 7, 15, 23};

}  // namespace

namespace {

// The points the curve joins: from the bottom-left corner through every measured size.
std::vector<QPoint> curve_points(const QRect& area, const blas::MatrixTables& t, double scale) {
    const int count = std::clamp(t.size_count, 0, 100);
    std::vector<QPoint> points{QPoint(area.left() + 1, area.top() + blas::kGraphHeight + 1)};
    for (int i = 0; i < count; ++i) {
        const blas::GraphPoint g = blas::graph_point(
            area.left(), area.top(), count, i, t.size_mflops[static_cast<std::size_t>(i)], scale);
        points.emplace_back(g.x, g.y);
    }
    return points;
}

// Whether the 2-pixel curve passes through `box`.
bool crosses(const std::vector<QPoint>& curve, const QRect& box) {
    const QRect near = box.adjusted(-2, -2, 2, 2);
    for (std::size_t k = 1; k < curve.size(); ++k) {
        const QPoint a = curve[k - 1], b = curve[k];
        const int n = std::max({std::abs(b.x() - a.x()), std::abs(b.y() - a.y()), 1});
        for (int j = 0; j <= n; ++j)
            if (near.contains(a + (b - a) * j / n)) return true;
    }
    return false;
}

bool overlaps(const std::vector<MatrixGraphLabel>& labels, const QRect& box) {
    return std::any_of(labels.begin(), labels.end(),
                       [&](const MatrixGraphLabel& l) { return l.box.intersects(box); });
}

double graph_scale_of(const blas::MatrixTables& t, double isa_peak) {
    return blas::graph_scale(blas::size_max(t), isa_peak > 0.0 ? isa_peak : 0.0);
}

}  // namespace

std::vector<MatrixGraphLabel> matrix_graph_labels(const QRect& area, const blas::MatrixTables& t,
                                                  double isa_peak) {
    using namespace blas;
    const QFontMetrics fm(graph_font());
    const int left = area.left(), top = area.top();
    const int bottom = top + kGraphHeight + 2;
    const int right = left + kGraphWidth + 2;
    const int count = std::clamp(t.size_count, 0, 100);
    const double scale = graph_scale_of(t, isa_peak);
    const auto box_at = [&fm](int x, int baseline, const QString& text) {
        return QRect(x, baseline - fm.ascent(), fm.horizontalAdvance(text), fm.height());
    };
    std::vector<MatrixGraphLabel> labels;
    for (int i : kGuideIndices) {
        if (i >= count) continue;
        const int x = graph_point(left, top, count, i, 0, 1).x;
        const QString text = qs(graph_label(i));
        const int w = fm.horizontalAdvance(text);
        // The last label is right-aligned to its line; one that would run into the label
        // before it goes a line higher.
        QRect box = box_at(i == 23 ? x - w - 1 : x + 2, bottom - 4, text);
        if (overlaps(labels, box)) box.translate(0, -fm.height());
        labels.push_back({box, text, Qt::black});
    }
    if (isa_peak > 0.0) {
        const int y = peak_line_y(top, isa_peak, scale);
        const QString text = qs(isa_peak_text(isa_peak));
        labels.push_back({box_at(left + 4, y + fm.ascent() + 2, text), text, QColor(160, 0, 0)});
    }
    // "Peak:" 10 pixels from the right edge and 25 from the bottom, or, when the curve or a
    // label is there, at the first free one of the other corners and the middle.
    const QString peak = qs(graph_peak_text(size_max(t)));
    const int w = fm.horizontalAdvance(peak);
    const QRect places[] = {
        box_at(right - 10 - w, bottom - 25 + fm.ascent(), peak),
        box_at(left + 10, top + 6 + fm.ascent(), peak),
        box_at(right - 10 - w, top + 6 + fm.ascent(), peak),
        box_at(right - 10 - w, top + kGraphHeight / 2, peak),
        box_at(left + 10, top + kGraphHeight / 2, peak),
        box_at(left + 10, bottom - 25 + fm.ascent(), peak),
    };
    const std::vector<QPoint> curve = curve_points(area, t, scale);
    QRect chosen = places[0];
    for (const QRect& place : places)
        if (!crosses(curve, place) && !overlaps(labels, place)) {
            chosen = place;
            break;
        }
    labels.push_back({chosen, peak, Qt::black});
    return labels;
}

std::vector<QPoint> matrix_graph_curve(const QRect& area, const blas::MatrixTables& t,
                                       double isa_peak) {
    return curve_points(area, t, graph_scale_of(t, isa_peak));
}

void draw_matrix_graph(QPainter& p, const QRect& area, const blas::MatrixTables& t,
                       double isa_peak) {
    using namespace blas;
    p.save();
    p.fillRect(area, Qt::white);
    const int left = area.left(), top = area.top();
    const int bottom = top + kGraphHeight + 2;
    const int right = left + kGraphWidth + 2;
    const int count = std::clamp(t.size_count, 0, 100);
    const double scale = graph_scale_of(t, isa_peak);

    p.setPen(QPen(QColor(192, 192, 192), 1));
    for (int q = 1; q <= 3; ++q) {
        const int y = top + 1 + kGraphHeight * q / 4;
        p.drawLine(left + 1, y, right - 2, y);
    }
    for (int i : kGuideIndices) {
        if (i >= count) continue;
        const int x = graph_point(left, top, count, i, 0, 1).x;
        p.drawLine(x, top + 1, x, bottom - 2);
    }
    if (isa_peak > 0.0) {
        const int y = peak_line_y(top, isa_peak, scale);
        p.setPen(QPen(QColor(160, 0, 0), 1, Qt::DashLine));
        p.drawLine(left + 1, y, right - 2, y);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 2));
    const std::vector<QPoint> curve = curve_points(area, t, scale);
    for (std::size_t k = 1; k < curve.size(); ++k) p.drawLine(curve[k - 1], curve[k]);
    // The texts last, each on its own white ground: nothing runs through them.
    p.setFont(graph_font());
    const QFontMetrics fm(p.font());
    for (const MatrixGraphLabel& l : matrix_graph_labels(area, t, isa_peak)) {
        p.fillRect(l.box.adjusted(-1, 0, 1, 0), Qt::white);
        p.setPen(l.colour);
        p.drawText(l.box.left(), l.box.top() + fm.ascent(), l.text);
    }
    qDrawShadePanel(&p, area, QPalette(QColor(240, 240, 240)), true, 1);
    p.restore();
}

}  // namespace ui
