#include "report/bar_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "ui/fonts.h"

namespace ui {
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
        const QRect rect(x + kBarTextIndent, y + (bar.height - text_h) / 2,
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

}  // namespace ui
