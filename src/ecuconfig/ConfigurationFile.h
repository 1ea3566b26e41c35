#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <set>

#include "NoxProtocolObject.h"

class TSerialDataModule;
class TNoxSerialData;

// How a load reaches the unit. Both run the two passes for real, in their
// order; ChangedBytesOnly spares every exchange that cannot change the unit
// (a read of a byte the program knows, a write of the value a byte already
// holds), WriteEveryValue sends every value as it goes.
enum class LoadMode { ChangedBytesOnly, WriteEveryValue };

// What a load did, for the fitter: values of the file that had to be written,
// and values the unit already held.
struct LoadSummary {
  int Written = 0;
  int AlreadyInUnit = 0;
  // The line went down and the load stopped there.
  bool LineLost = false;
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
  // Loads only the chosen parameters of the file (and those that go with
  // them): the unit's own configuration with those values in it goes through
  // the same load, so the result is that of a file differing from the unit
  // only there. The change log names the file and the chosen keys.
  bool LoadChosen(const QString &fileName, const QList<const class TNoxNumber *> &chosen,
                  LoadMode mode = LoadMode::ChangedBytesOnly, LoadSummary *summary = nullptr);

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
  struct LoadRun;
  // Deciphers a file to load; says so and gives false when it cannot.
  bool DecryptForLoad(const QString &fileName, QByteArray &block);
  // The load of a deciphered block; keptCopy is the enciphered file noted
  // for recovery of a load cut short.
  bool LoadBlock(QByteArray &block, const QString &fileName, const QByteArray &keptCopy, LoadMode mode,
                 LoadSummary *summary);
  void LoadPass(class TMemIniData &ini, int group, LoadRun &run);
  bool LoadCheckByte(class TMemIniData &ini);
  void LoadItems(class TMemIniData &ini, LoadRun &run);
  static void SortTried(LoadRun &run);
  void ShowWrittenBytes(const std::map<int, std::uint8_t> &bytes);
  // The passes against the unit, sparing what cannot change it (fast), or
  // sending every value; from what a rehearsal that stopped left in the
  // unit (sentBefore, and whether the line was lost). Returns the addresses
  // written.
  std::set<int> LoadValueByValue(class TMemIniData &ini, NoxProtocolObject &unit, LoadMode mode,
                                 const std::map<int, std::uint8_t> &known,
                                 const std::map<int, std::uint8_t> &sentBefore, bool lostBefore, LoadRun &run,
                                 LoadSummary &counts);
  void SayLoadFailures(const LoadRun &run, const LoadSummary &counts);

  TSerialDataModule &m_module;
};
