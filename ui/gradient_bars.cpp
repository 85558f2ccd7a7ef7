#include "ui/gradient_bars.h"

#include <qdrawutil.h>
#include <QFontMetrics>
#include <QPainter>

#include "ui/fonts.h"

namespace ui {
namespace {
// Gap between the bar's left end and its text.
constexpr int kTextIndent = 2;
}  // namespace

QFont bar_font() {
    return fixed_pitch_font({QStringLiteral("Courier New")}, 9);
}

void draw_gradient_bar(QPainter& painter, QPoint origin, const app::GradientBar& bar) {
    const int x = origin.x() + bar.x;
    const int y = origin.y() + bar.y;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < bar.length; ++i) {
        const app::Rgb c = bar.ramp.at(i);
        painter.fillRect(x + i, y, 1, bar.height, QColor(c.r, c.g, c.b));
    }
    if (!bar.text.empty()) {
        const QString text = QString::fromStdString(bar.text);
        const QFontMetrics fm(painter.font());
        // Centred on the bar; the text may overhang a bar thinner than the font.
        const int text_h = fm.height();
        const QRect rect(x + kTextIndent, y + (bar.height - text_h) / 2,
                         fm.horizontalAdvance(text) + 1, text_h);
        const int bar_end = x + bar.length;
        const int clip_end = bar.text_clip > 0 ? x + bar.text_clip : rect.right() + 1;
        const int top = std::min(rect.top(), y), bottom = std::max(rect.bottom(), y + bar.height);
        if (bar_end > rect.left()) {
            painter.setClipRect(
                QRect(QPoint(x, top), QPoint(std::min(bar_end, clip_end) - 1, bottom)));
            painter.setPen(Qt::white);
            painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
        }
        if (clip_end > bar_end) {
            painter.setClipRect(
                QRect(QPoint(std::max(bar_end, x), top), QPoint(clip_end - 1, bottom)));
            painter.setPen(Qt::black);
            painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
        }
    }
    painter.restore();
}

BarCanvas::BarCanvas(QWidget* parent, QPoint padding) : QWidget(parent), padding_(padding) {
    setFont(bar_font());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void BarCanvas::set_bars(std::vector<app::GradientBar> bars) {
    if (bars == bars_) return;
    bars_ = std::move(bars);
    // A text longer than the room kept for it widens the area (and the window) rather than
    // being cut at the edge.
    const QFontMetrics fm(font());
    int width = reserved_.width();
    for (const app::GradientBar& b : bars_) {
        int text = kTextIndent + fm.horizontalAdvance(QString::fromStdString(b.text)) + 2;
        if (b.text_clip > 0) text = std::min(text, b.text_clip);
        width = std::max(width, b.x + std::max(b.length, text));
    }
    if (width != reserved_.width()) {
        reserved_.setWidth(width);
        updateGeometry();
    }
    update();
}

void BarCanvas::reserve(int width, int height, const std::vector<QString>& samples) {
    const QFontMetrics fm(font());
    int w = width;
    for (const QString& s : samples) w = std::max(w, kTextIndent + fm.horizontalAdvance(s) + 2);
    reserved_ = QSize(w, std::max(height, fm.height()));
    updateGeometry();
}

QSize BarCanvas::sizeHint() const {
    return {reserved_.width() + 2 * padding_.x(), reserved_.height() + 2 * padding_.y()};
}

void BarCanvas::paintEvent(QPaintEvent*) {
    // Off-screen first, then one copy: no flicker while a run repaints.
    QPixmap pixmap(size() * devicePixelRatioF());
    pixmap.setDevicePixelRatio(devicePixelRatioF());
    pixmap.fill(palette().color(QPalette::Window));
    {
        QPainter p(&pixmap);
        p.setFont(font());
        for (const app::GradientBar& bar : bars_) draw_gradient_bar(p, padding_, bar);
        qDrawShadePanel(&p, rect(), palette(), true, 1);
    }
    QPainter(this).drawPixmap(0, 0, pixmap);
}

}  // namespace ui
