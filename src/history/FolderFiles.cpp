#include "history/FolderFiles.h"

#include <QDir>

QStringList FolderFiles::Named(const QString &folder, const QString &prefix, const QString &suffix) {
  QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
  names.removeIf([&](const QString &name) {
    return name.size() < prefix.size() + suffix.size() || !name.startsWith(prefix, Qt::CaseInsensitive) ||
           !name.endsWith(suffix, Qt::CaseInsensitive);
  });
  return names;
}
