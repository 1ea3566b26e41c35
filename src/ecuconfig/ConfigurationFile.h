#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

class TSerialDataModule;

// Saving the unit's configuration to an enciphered file and loading it back
// into the unit. Callers stop the refresh thread first.
class ConfigurationFile {
public:
  explicit ConfigurationFile(TSerialDataModule &module) : m_module(module) {}

  // Stores what the items hold (the unit is not read). True when every
  // parameter was stored and the file was written.
  bool Save(const QString &fileName);
  // Writes every value of the file to the unit, in two passes by data group.
  // True when every parameter (but the optional lean-test steps) loaded.
  bool Load(const QString &fileName);

  // The plain INI text of the current configuration, as saved (CR LF lines).
  QByteArray IniText(QStringList *failed = nullptr);

  static QString SaveFailedText() { return QStringLiteral("It was impossible to save the following data::\n"); }
  static QString LoadFailedText() { return QStringLiteral("It was impossible to load the following data::\n"); }

private:
  void LoadPass(class TMemIniData &ini, int group, QStringList &failed);
  bool LoadCheckByte(class TMemIniData &ini);

  TSerialDataModule &m_module;
};
