#include "ui/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ui {
namespace {

constexpr int kSize = 16;

void run_all(QPainter& p) {
    // Three stacked result bars and a start arrow.
    p.fillRect(1, 2, 8, 3, QColor(0, 0, 160));
    p.fillRect(1, 7, 6, 3, QColor(0, 0, 200));
    p.fillRect(1, 12, 9, 3, QColor(60, 60, 255));
    QPainterPath arrow;
    arrow.moveTo(10, 4);
    arrow.lineTo(15, 8);
    arrow.lineTo(10, 12);
    arrow.closeSubpath();
    p.fillPath(arrow, QColor(0, 140, 0));
}

void memory(QPainter& p) {
    // A memory module with its chips and contacts.
    p.fillRect(0, 4, 16, 8, QColor(0, 110, 0));
    for (int x = 1; x < 15; x += 5) p.fillRect(x, 5, 4, 4, Qt::black);
    for (int x = 1; x < 16; x += 2) p.fillRect(x, 12, 1, 2, QColor(200, 160, 0));
}

void moldyn(QPainter& p) {
    // Atoms of a small crystal.
    p.setPen(Qt::NoPen);
    const QColor colours[] = {QColor(200, 0, 0), QColor(0, 80, 220), QColor(200, 0, 0),
                              QColor(0, 80, 220)};
    const QPoint centres[] = {{4, 4}, {11, 4}, {4, 11}, {11, 11}};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(colours[i]);
        p.drawEllipse(centres[i], 3, 3);
    }
    p.setBrush(QColor(120, 120, 120));
    p.drawEllipse(QPoint(8, 8), 2, 2);
}

void orbitra(QPainter& p) {
    // A nucleus and two orbits.
    p.setPen(QPen(QColor(0, 0, 180), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.5, 5.5, 13, 5));
    p.save();
    p.translate(8, 8);
    p.rotate(60);
    p.drawEllipse(QRectF(-6.5, -2.5, 13, 5));
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 0, 0));
    p.drawEllipse(QPoint(8, 8), 2, 2);
}

void no_handler(QPainter& p) {
    // A gauge: the command has no handler and the button stays disabled.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(230, 230, 230));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(QPointF(8, 8), QPointF(12, 4));
}

void sgemm(QPainter& p) {
    // A matrix: a grid of cells.
    p.setPen(QPen(QColor(0, 0, 120), 1));
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            p.fillRect(1 + 4 * i, 1 + 4 * j, 3, 3,
                       (i + j) % 2 ? QColor(0, 0, 200) : QColor(120, 160, 255));
}

void about(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 170));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont f;
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QIcon tool_icon(int command_id) {
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (command_id) {
        case 32772:
            run_all(p);
            break;
        case 32779:
            memory(p);
            break;
        case 32774:
            moldyn(p);
            break;
        case 32782:
            orbitra(p);
            break;
        case 32786:
            no_handler(p);
            break;
        case 144:
            sgemm(p);
            break;
        case 57664:
            about(p);
            break;
        default:
            break;
    }
    p.end();
    return QIcon(pm);
}

}  // namespace ui
