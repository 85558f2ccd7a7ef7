#include "report/virial_graph_painter.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "atom/virial_graph.h"
#include "ui/fonts.h"
#include "ui/sunken_edge.h"

namespace ui {
namespace {

// The white area holds every pixel of the mapping (y up to 297) and the 2-pixel pen.
constexpr int kAreaWidth = atom::kVirialBoxWidth + 2;
constexpr int kAreaHeight = atom::kVirialBoxHeight + 4;
constexpr int kEdge = kSunkenEdge;
// The box sits this far below the widget's top: the group box's title is above it already.
constexpr int kTopMargin = 6;

const QString kUpper = QStringLiteral("Virial");
const QString kLower = QStringLiteral("Factor");

int caption_width(const QFontMetrics& fm) {
    int w = 0;
    for (const QChar c : kUpper + kLower) w = std::max(w, fm.horizontalAdvance(c));
    return w;
}

}  // namespace

QFont virial_graph_font() {
    return fixed_pitch_font({QStringLiteral("Courier New")}, 9);
}

VirialGraphLayout virial_graph_layout(const QFont& font) {
    const QFontMetrics fm(font);
    VirialGraphLayout l;
    l.line = fm.height();
    // 9 pixels apart as drawn at 96 DPI; a larger font needs its own height.
    l.letter_step = std::max(9, fm.ascent() + 1);
    const int caption = caption_width(fm) + 4;
    const int x = std::max(0, caption + kEdge - atom::kVirialBoxLeft);
    l.origin = QPoint(x, kTopMargin + kEdge - atom::kVirialBoxTop);
    const int captions = (static_cast<int>(kUpper.size() + kLower.size()) + 1) * l.letter_step;
    const int box_bottom = l.origin.y() + atom::kVirialBoxTop + std::max(kAreaHeight, captions);
    l.size = QSize(l.origin.x() + atom::kVirialBoxLeft + kAreaWidth + kEdge,
                   box_bottom + kEdge + l.line + 2);
    return l;
}

std::vector<VirialText> virial_texts(const VirialGraphLayout& l, const QFont& font,
                                     const double* values, int shown) {
    if (!values || shown <= 0) return {};
    const QFontMetrics fm(font);
    const atom::VirialRange range = atom::virial_range(values, shown);
    const QRect text(atom::kVirialBoxLeft, 36, kAreaWidth - 3, l.line);
    const std::string lines[] = {atom::virial_max_text(range), atom::virial_min_text(range),
                                 atom::virial_current_text(values, shown)};
    std::vector<VirialText> out;
    for (int i = 0; i < 3; ++i) {
        const QString t = QString::fromStdString(lines[i]);
        const QRect box =
            fm.boundingRect(text.translated(0, i * l.line), Qt::AlignRight | Qt::AlignTop, t);
        out.push_back({box.translated(l.origin), t});
    }
    return out;
}

namespace {

void draw_virial_curve(QPainter& p, const VirialGraphLayout& l, const QFont& font,
                       const double* values, int shown, const QRect& area) {
    const auto points = atom::virial_polyline(values, shown);
    QPolygon line;
    for (const atom::VirialPoint& pt : points) line << QPoint(pt.x, pt.y);
    p.save();
    p.setClipRect(area);
    // Straight lines at whole pixels: the known pixels stay where the mapping puts them.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kVirialPen, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPolyline(line);
    // The texts on a white ground of their own: the curve passes under them, never through.
    const QColor colours[] = {QColor(255, 0, 0), QColor(0, 0, 255), Qt::black};
    const std::vector<VirialText> texts = virial_texts(l, font, values, shown);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QRect box = texts[i].box.translated(-l.origin);
        p.fillRect(box, Qt::white);
        p.setPen(colours[i]);
        p.drawText(box, Qt::AlignRight | Qt::AlignTop, texts[i].text);
    }
    p.restore();
}

}  // namespace

void paint_virial_graph(QImage& image, const VirialGraphLayout& l, const QFont& font,
                        const double* values, int shown, const QColor& background) {
    image.fill(background);
    QPainter p(&image);
    paint_virial_graph(p, l, font, values, shown);
}

void paint_virial_graph(QPainter& p, const VirialGraphLayout& l, const QFont& font,
                        const double* values, int shown) {
    p.save();
    p.setFont(font);
    p.translate(l.origin);
    const QRect area(atom::kVirialBoxLeft, atom::kVirialBoxTop, kAreaWidth, kAreaHeight);
    p.fillRect(area, Qt::white);
    draw_sunken_edge(p, area);

    // The captions: one letter per line left of the box, "SCF iteration" below it.
    p.setPen(Qt::black);
    const QFontMetrics fm(font);
    const int cw = caption_width(fm) + 4;
    int y = atom::kVirialBoxTop;
    for (const QString& word : {kUpper, kLower}) {
        for (const QChar c : word) {
            p.drawText(QRect(area.left() - kEdge - cw, y, cw, l.line),
                       Qt::AlignHCenter | Qt::AlignTop, QString(c));
            y += l.letter_step;
        }
        y += l.letter_step;
    }
    p.drawText(QRect(area.left(), area.bottom() + kEdge + 1, kAreaWidth, l.line), Qt::AlignHCenter,
               QStringLiteral("SCF iteration"));

    if (values && shown > 0) draw_virial_curve(p, l, font, values, shown, area);
    p.restore();
}
}  // namespace ui
