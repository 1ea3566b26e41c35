#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

class TSerialDataModule;
class TNoxSerialData;

// How a load reaches the unit. ChangedBytesOnly rehearses the two-pass load
// against the bytes the program knows the unit holds and sends only the bytes
// that end up different; WriteEveryValue sends every value as it goes.
enum class LoadMode { ChangedBytesOnly, WriteEveryValue };

// What a load did, for the fitter: values of the file that had to be written,
// and values the unit already held.
struct LoadSummary {
  int Written = 0;
  int AlreadyInUnit = 0;
};

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
  bool Load(const QString &fileName, LoadMode mode = LoadMode::ChangedBytesOnly,
            LoadSummary *summary = nullptr);

  // The plain INI text of the current configuration, as saved (CR LF lines).
  // Quiet: no progress steps, for a caller with no wait window up (the
  // restore point kept after a connect).
  enum class Progress { Shown, Quiet };
  QByteArray IniText(QStringList *failed = nullptr, Progress progress = Progress::Shown);

  static QString SaveFailedText() {
    return QStringLiteral("It was impossible to save the following data::\n");
  }
  static QString LoadFailedText() {
    return QStringLiteral("It was impossible to load the following data::\n");
  }

private:
  // loaded: the items whose entry loaded, in load order.
  void LoadPass(class TMemIniData &ini, int group, QStringList &failed, QList<TNoxSerialData *> &loaded);
  bool LoadCheckByte(class TMemIniData &ini);
  // The two passes, against the unit or a stand-in.
  void LoadPasses(class TMemIniData &ini, QStringList &failed, QList<TNoxSerialData *> &loaded);
  // The rehearsed load; false when the unit is not on line (nothing done).
  bool LoadChangedBytes(class TMemIniData &ini, QStringList &failed, LoadSummary &summary);

  TSerialDataModule &m_module;
};
