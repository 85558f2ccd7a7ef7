#include "ui/gradient_bars.h"

#include <qdrawutil.h>
#include <QFontMetrics>
#include <QPainter>

namespace ui {

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
        int text = kBarTextIndent + fm.horizontalAdvance(QString::fromStdString(b.text)) + 2;
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
    for (const QString& s : samples) w = std::max(w, kBarTextIndent + fm.horizontalAdvance(s) + 2);
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
