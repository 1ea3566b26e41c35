#include "windows/ConfigurationBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString ConfigurationBackup::BackupName(const QString &fileName) {
  const QFileInfo info(fileName);
  return info.dir().filePath(info.completeBaseName() + QStringLiteral(".OLD"));
}

bool ConfigurationBackup::Make() {
  m_made = QFileInfo::exists(m_fileName) && QFile::rename(m_fileName, BackupName(m_fileName));
  return m_made;
}

bool ConfigurationBackup::Restore() {
  if (!m_made || QFileInfo::exists(m_fileName))
    return false;
  m_made = !QFile::rename(BackupName(m_fileName), m_fileName);
  return !m_made;
}
