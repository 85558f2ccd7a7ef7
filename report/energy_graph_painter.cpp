#include "report/energy_graph_painter.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "md/energy_graph.h"
#include "ui/fonts.h"
#include "ui/sunken_edge.h"

namespace ui {
namespace {

// The white area holds every point of the mapping (top + 1 .. top + 156) and the 2-pixel pen.
constexpr int kAreaWidth = md::kGraphWidth + 2;
constexpr int kAreaHeight = md::kGraphHeight + 3;
constexpr int kEdge = kSunkenEdge;
const QColor kKineticPen(0, 140, 0);
const QColor kPotentialPen(0, 0, 255);

const QString kKineticCaption = QStringLiteral("Kinetic E");
const QString kPotentialCaption = QStringLiteral("Potential E");

void vertical_caption(QPainter& p, const QString& text, int x, int top, int width,
                      int line_height) {
    int y = top;
    for (const QChar c : text) {
        p.drawText(QRect(x, y, width, line_height), Qt::AlignHCenter | Qt::AlignTop, QString(c));
        y += line_height;
    }
}

// "Max:" at the top right of a plot and "Min:" at its bottom right, with the boxes they take.
struct PlotTexts {
    QString max, min;
    QRect max_box, min_box;
};
PlotTexts plot_texts(QPoint origin, const QFontMetrics& fm, const double* history, int32_t count) {
    const QRect area(origin, QSize(kAreaWidth, kAreaHeight));
    const md::GraphWindow w = md::graph_window(history, count);
    const QRect text_box = area.adjusted(2, 1, -3, -1);
    PlotTexts t;
    t.max = QString::fromStdString(md::graph_max_text(w));
    t.min = QString::fromStdString(md::graph_min_text(w));
    t.max_box = fm.boundingRect(text_box, Qt::AlignRight | Qt::AlignTop, t.max);
    t.min_box = fm.boundingRect(text_box, Qt::AlignRight | Qt::AlignBottom, t.min);
    return t;
}

void plot(QPainter& p, QPoint origin, const double* history, int32_t count, const QColor& pen) {
    const QRect area(origin, QSize(kAreaWidth, kAreaHeight));
    p.fillRect(area, Qt::white);
    draw_sunken_edge(p, area);
    if (!history || count <= 0) return;
    const auto points = md::graph_polyline(history, count, origin.x(), origin.y());
    QPolygon line;
    line.reserve(static_cast<qsizetype>(points.size()));
    for (const md::GraphPoint& pt : points) line << QPoint(pt.x, pt.y);
    p.save();
    p.setClipRect(area);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(pen, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPolyline(line);
    // The texts on a white ground of their own: the curve passes under them, never through.
    const PlotTexts t = plot_texts(origin, p.fontMetrics(), history, count);
    p.fillRect(t.max_box, Qt::white);
    p.fillRect(t.min_box, Qt::white);
    p.setPen(QColor(255, 0, 0));
    p.drawText(t.max_box, Qt::AlignRight | Qt::AlignTop, t.max);
    p.setPen(QColor(0, 0, 255));
    p.drawText(t.min_box, Qt::AlignRight | Qt::AlignBottom, t.min);
    p.restore();
}

}  // namespace

std::vector<QRect> energy_graph_text_boxes(const EnergyGraphLayout& l, const QFont& font,
                                           const EnergyHistories& h) {
    if (h.count <= 0) return {};
    const QFontMetrics fm(font);
    std::vector<QRect> boxes;
    for (const auto& [origin, history] :
         {std::pair{l.kinetic, h.kinetic}, {l.potential, h.potential}}) {
        if (!history) continue;
        const PlotTexts t = plot_texts(origin, fm, history, h.count);
        boxes.push_back(t.max_box);
        boxes.push_back(t.min_box);
    }
    return boxes;
}

QFont energy_graph_font() {
    return fixed_pitch_font({QStringLiteral("Courier New")}, 9);
}

EnergyGraphLayout energy_graph_layout(const QFont& font) {
    const QFontMetrics fm(font);
    const int line = fm.height();
    const int caption = fm.maxWidth() + 4;
    EnergyGraphLayout l;
    const int top = kEdge;
    l.kinetic = QPoint(caption + kEdge, top);
    // The potential plot keeps its distance unless its caption needs more room.
    const int spacing = std::max(md::kGraphSpacing, kAreaWidth + 2 * kEdge + caption);
    l.potential = QPoint(l.kinetic.x() + spacing, top);
    const int captions =
        static_cast<int>(std::max(kKineticCaption.size(), kPotentialCaption.size())) * line;
    const int plot_height = std::max(kAreaHeight + kEdge, captions);
    l.size = QSize(l.potential.x() + kAreaWidth + kEdge, top + plot_height + line + 2);
    return l;
}

void paint_energy_graphs(QImage& image, const EnergyGraphLayout& l, const QFont& font,
                         const EnergyHistories& h, const QColor& background) {
    image.fill(background);
    QPainter p(&image);
    paint_energy_graphs(p, l, font, h);
}

void paint_energy_graphs(QPainter& p, const EnergyGraphLayout& l, const QFont& font,
                         const EnergyHistories& h) {
    p.save();
    p.setFont(font);
    const QFontMetrics fm(font);
    const int line = fm.height();
    const int caption = fm.maxWidth() + 4;
    p.setPen(Qt::black);
    vertical_caption(p, kKineticCaption, l.kinetic.x() - kEdge - caption, l.kinetic.y(), caption,
                     line);
    vertical_caption(p, kPotentialCaption, l.potential.x() - kEdge - caption, l.potential.y(),
                     caption, line);
    plot(p, l.kinetic, h.kinetic, h.count, kKineticPen);
    plot(p, l.potential, h.potential, h.count, kPotentialPen);
    p.setPen(Qt::black);
    const int time_y = l.kinetic.y() + kAreaHeight + kEdge;
    p.drawText(QRect(l.kinetic.x(), time_y, kAreaWidth, line), Qt::AlignHCenter,
               QStringLiteral("Time"));
    p.drawText(QRect(l.potential.x(), time_y, kAreaWidth, line), Qt::AlignHCenter,
               QStringLiteral("Time"));
    p.restore();
}

}  // namespace ui
