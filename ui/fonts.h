// The faces the program asks for by name ("Courier New", "Tahoma") through Qt's font matching,
// with fallbacks that keep the layout right on a system that lacks them.
#pragma once

#include <QFont>
#include <QStringList>

namespace ui {

// True when every character advances the same width (measured, not the face's claim).
bool is_fixed_pitch(const QFont& font);

// The first of `families` that really is fixed pitch at `point_size`, then the common
// fixed-pitch faces, then the system's fixed font. Never fails: the last candidate is
// returned even if no face measures fixed.
QFont fixed_pitch_font(const QStringList& families, int point_size);

// "Courier New" 9 pt: the console view.
QFont console_font();
// "Courier New" 11 pt: the score bars' texts.
QFont score_font();
// "Tahoma", 14 pixels high, normal weight: the comparison texts.
inline constexpr int kComparisonFontHeight = 14;
QFont comparison_font();

}  // namespace ui
