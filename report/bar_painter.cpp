#include "report/bar_painter.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>

#include "ui/fonts.h"

namespace ui {

bool painter_clips(QPainter& painter) {
    return !painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::SVG;
}

void draw_split_text(QPainter& painter, const QRect& rect, const QString& text, int split_x,
                     int right) {
    const QFontMetrics fm(painter.font());
    const int baseline = rect.top() + (rect.height() - fm.height()) / 2 + fm.ascent();
    painter.save();
    int x = rect.left();
    for (const QChar c : text) {
        const int w = fm.horizontalAdvance(c);
        if (x + w > right) break;
        painter.setPen(x + w / 2 < split_x ? Qt::white : Qt::black);
        painter.drawText(x, baseline, QString(c));
        x += w;
    }
    painter.restore();
}

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
        if (!painter_clips(painter)) {
            draw_split_text(painter, rect, text, bar_end, clip_end);
            painter.restore();
            return;
        }
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
