#pragma once
#include "platform/DynamicLibrary.h"

#include <QIcon>
#include <QPixmap>
#include <QString>

// The resource library "ConfigBase.dll": the application icon, the about
// picture and the language flags. Without it every picture is null and
// nothing is reported; the windows simply show no picture.
class TResourceLibrary {
public:
  // folder: where to look (the executable folder, with or without its
  // trailing separator).
  bool Load(const QString &folder);
  void Free();
  bool Loaded() const { return m_getResource != nullptr; }

  // A null pixmap when the library is not loaded or lacks the picture.
  QPixmap Picture(int resourceId) const;
  QIcon Icon() const;
  QPixmap AboutPicture() const;
  QPixmap Flag(int languageIndex) const;

  static QString LogicalName() { return QStringLiteral("ConfigBase.dll"); }

private:
  DynamicLibrary m_library;
  void *m_getResource = nullptr;
};
