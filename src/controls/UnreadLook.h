#pragma once
#include <QColor>
#include <QPalette>
#include <QVariant>
#include <QWidget>

// A field whose parameter the unit did not give (its last read failed) must
// not look like a value: the field shows no value and takes this look until
// a read or a write of the parameter succeeds. The property lets the windows
// (and their tests) tell such a field from one that shows a value.
namespace UnreadLook {
inline const char *Property = "Unread";
inline QColor Colour() {
  return QColor(0xFF, 0xD7, 0x8C);
}

inline bool IsShown(const QWidget *field) {
  return field->property(Property).toBool();
}

inline void Show(QWidget *field, bool unread) {
  if (IsShown(field) == unread)
    return;
  QPalette palette = field->palette();
  if (unread) {
    // The field's own colours come back when a value does.
    field->setProperty("NormalBase", QVariant::fromValue(palette.brush(QPalette::Base)));
    field->setProperty("NormalButton", QVariant::fromValue(palette.brush(QPalette::Button)));
    palette.setColor(QPalette::Base, Colour());
    palette.setColor(QPalette::Button, Colour());
  } else {
    palette.setBrush(QPalette::Base, field->property("NormalBase").value<QBrush>());
    palette.setBrush(QPalette::Button, field->property("NormalButton").value<QBrush>());
  }
  field->setPalette(palette);
  field->setProperty(Property, unread);
}
} // namespace UnreadLook
