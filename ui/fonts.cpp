#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

namespace ui {

bool is_fixed_pitch(const QFont& font) {
    const QFontMetrics fm(font);
    const int w = fm.horizontalAdvance(QLatin1Char('W'));
    return w > 0 && fm.horizontalAdvance(QLatin1Char('i')) == w &&
           fm.horizontalAdvance(QLatin1Char('A')) == w &&
           fm.horizontalAdvance(QLatin1Char('.')) == w;
}

QFont fixed_pitch_font(const QStringList& families, int point_size) {
    QStringList candidates = families;
    // Liberation Mono has Courier New's metrics; DejaVu Sans Mono is on nearly every system.
    candidates << QStringLiteral("Liberation Mono") << QStringLiteral("Cousine")
               << QStringLiteral("DejaVu Sans Mono") << QStringLiteral("Courier")
               << QStringLiteral("monospace");
    QFont last;
    for (const QString& family : candidates) {
        QFont f(family);
        f.setPointSize(point_size);
        f.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
        f.setFixedPitch(true);
        f.setHintingPreference(QFont::PreferFullHinting);
        last = f;
        if (is_fixed_pitch(f)) return f;
    }
    QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    system.setPointSize(point_size);
    if (is_fixed_pitch(system)) return system;
    return last;
}

QFont console_font() {
    return fixed_pitch_font({QStringLiteral("Courier New")}, 9);
}

QFont score_font() {
    return fixed_pitch_font({QStringLiteral("Courier New")}, 11);
}

QFont comparison_font() {
    QFont f(QStringLiteral("Tahoma"));
    // Liberation Sans keeps Arial's widths, the nearest common face to Tahoma's.
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Normal);
    // A font 14 pixels high means its whole cell, ascent and descent together, as the
    // Windows font mapper reads a positive height; Qt's pixel size is the em, so step down.
    for (int px = 14; px >= 8; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).height() <= kComparisonFontHeight) break;
    }
    return f;
}

}  // namespace ui
