// The two-pixel sunken edge the graphs draw around their plot areas (dark above and left, light
// below and right), drawn just outside `area`.
#pragma once

class QPainter;
class QRect;

namespace ui {

inline constexpr int kSunkenEdge = 2;

void draw_sunken_edge(QPainter& p, const QRect& area);

}  // namespace ui
