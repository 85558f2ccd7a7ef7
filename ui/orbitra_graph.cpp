#include "ui/orbitra_graph.h"

#include <QPainter>

namespace ui {

VirialGraph::VirialGraph(QWidget* parent)
    : QWidget(parent), font_(virial_graph_font()), layout_(virial_graph_layout(font_)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void VirialGraph::paintEvent(QPaintEvent* event) {
    (void)event;
    const std::vector<double> values = source_ ? source_() : std::vector<double>{};
    const qreal dpr = devicePixelRatioF();
    QImage image((QSizeF(layout_.size) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    paint_virial_graph(image, layout_, font_, values.data(), static_cast<int>(values.size()),
                       Qt::transparent);
    QPainter(this).drawImage(0, 0, image);
}

}  // namespace ui
