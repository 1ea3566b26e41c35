#include "windows/LastFolders.h"

#include "storage/TNoxRegistryData.h"

#include <QDir>
#include <QFileInfo>

QString LastFolders::SettingName(Kind kind) {
  switch (kind) {
  case Kind::Configurations:
    return QStringLiteral("ConfigurationFolder");
  case Kind::Reports:
    return QStringLiteral("ReportFolder");
  case Kind::Recordings:
    return QStringLiteral("RecordingFolder");
  }
  return QString();
}

QStringList LastFolders::SettingDefaults() {
  QStringList defaults;
  for (Kind kind : {Kind::Configurations, Kind::Reports, Kind::Recordings})
    defaults << SettingName(kind) + QLatin1Char('=');
  return defaults;
}

QString LastFolders::For(Kind kind) const {
  const QString last = m_settings ? m_settings->GetStringValue(SettingName(kind)) : QString();
  if (!last.isEmpty() && QFileInfo(last).isDir())
    return last;
  return m_initial ? m_initial() : QString();
}

void LastFolders::Remember(Kind kind, const QString &fileName) {
  if (!m_settings || fileName.isEmpty())
    return;
  m_settings->SetStringValue(SettingName(kind), QFileInfo(fileName).absolutePath());
}
