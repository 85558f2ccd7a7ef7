#include "ui/sunken_edge.h"

#include <QColor>
#include <QPainter>
#include <QRect>

namespace ui {

void draw_sunken_edge(QPainter& p, const QRect& area) {
    const QRect outer = area.adjusted(-kSunkenEdge, -kSunkenEdge, kSunkenEdge - 1, kSunkenEdge - 1);
    p.setPen(QColor(160, 160, 160));
    p.drawLine(outer.topLeft(), outer.topRight());
    p.drawLine(outer.topLeft(), outer.bottomLeft());
    p.setPen(QColor(105, 105, 105));
    p.drawLine(outer.topLeft() + QPoint(1, 1), outer.topRight() + QPoint(-1, 1));
    p.drawLine(outer.topLeft() + QPoint(1, 1), outer.bottomLeft() + QPoint(1, -1));
    p.setPen(QColor(255, 255, 255));
    p.drawLine(outer.bottomLeft(), outer.bottomRight());
    p.drawLine(outer.topRight(), outer.bottomRight());
    p.setPen(QColor(227, 227, 227));
    p.drawLine(outer.bottomLeft() + QPoint(1, -1), outer.bottomRight() + QPoint(-1, -1));
    p.drawLine(outer.topRight() + QPoint(-1, 1), outer.bottomRight() + QPoint(-1, -1));
}

}  // namespace ui
