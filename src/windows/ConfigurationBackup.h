#pragma once
#include <QString>

// The ".OLD" copy of a configuration file that is about to be overwritten: the
// existing file is renamed, in its folder, to its base name followed by
// ".OLD". When the rename is refused (for instance because such a copy exists
// already) the file simply stays and is overwritten.
class ConfigurationBackup {
public:
  explicit ConfigurationBackup(const QString &fileName) : m_fileName(fileName) {}

  // "car.kfg" -> "car.OLD" in the same folder.
  static QString BackupName(const QString &fileName);

  // Renames an existing file; true when a backup was made now.
  bool Make();
  // After a failed save: the backup made by Make goes back to the chosen
  // name, unless a new file stands there. True when it was put back.
  bool Restore();

private:
  QString m_fileName;
  bool m_made = false;
};
