#include "ui/md_graphs.h"

#include <QPainter>

namespace ui {

EnergyGraphs::EnergyGraphs(QWidget* parent)
    : QWidget(parent), font_(energy_graph_font()), layout_(energy_graph_layout(font_)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize EnergyGraphs::sizeHint() const {
    return layout_.size;
}

void EnergyGraphs::paintEvent(QPaintEvent* event) {
    (void)event;
    const qreal dpr = devicePixelRatioF();
    QImage image((QSizeF(layout_.size) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    // Transparent around the plots: the group box's own shade shows through.
    paint_energy_graphs(image, layout_, font_, source_ ? source_() : EnergyHistories{},
                        Qt::transparent);
    QPainter(this).drawImage(0, 0, image);
}

}  // namespace ui
