// Small pieces the benchmark dialogs build their controls from.
#pragma once

#include <QFontMetrics>
#include <QLineEdit>
#include <QString>

namespace ui {

// A control named by its dialog id, so tests and tools find it by that number.
template <typename T>
T* named(T* w, int id) {
    w->setObjectName(QString::number(id));
    return w;
}

// A read-only, right-aligned figure field wide enough for `widest`.
inline QLineEdit* figure_field(QWidget* parent, int id, const QString& widest) {
    auto* edit = named(new QLineEdit(parent), id);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(widest) + 12);
    return edit;
}

}  // namespace ui
