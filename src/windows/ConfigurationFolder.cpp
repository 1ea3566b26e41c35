#include "windows/ConfigurationFolder.h"

#include <QDir>
#include <QStandardPaths>

QString ConfigurationFolder::Initial(const QString &executableFolder, const QString &documentsFolder) {
  const QString name = QStringLiteral("Configuration");
  const QString beside = QDir(executableFolder).filePath(name);
  if (QDir().mkpath(beside))
    return beside;
  const QString documents = documentsFolder.isEmpty()
                                ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                : documentsFolder;
  const QString fallback = QDir(documents).filePath(name);
  QDir().mkpath(fallback);
  return fallback;
}
