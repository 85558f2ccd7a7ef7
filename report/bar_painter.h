// The painter of the benchmark dialogs' gradient bars: one-pixel columns that brighten from
// the bar's left end, and the value text over it, white where it lies on the bar and black
// beyond. A window, an image and the report's SVG pages draw through it.
#pragma once

#include <QFont>
#include <QPoint>

#include "app/gradient_bar.h"

class QPainter;

namespace ui {

// Gap between a bar's left end and its text.
inline constexpr int kBarTextIndent = 2;

// Draws `bar` with its corner at origin + (bar.x, bar.y) in the painter's current font.
void draw_gradient_bar(QPainter& painter, QPoint origin, const app::GradientBar& bar);

// The "Courier New" 9 pt face of the bars' texts.
QFont bar_font();

}  // namespace ui
