#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

class TNoxNumber;
class TSerialDataModule;

// What loading a configuration file would change: every parameter whose
// value in the file differs from the value the unit holds now. `ecuctl diff`
// prints it, and the desktop program shows it before it writes anything.
class ConfigurationComparison {
public:
  struct Difference {
    TNoxNumber *Item = nullptr;
    QString Key;      // the file key, "GIRI CUTOFF"
    QString UnitText; // the unit's user value as files write it
    QString FileText; // the file's value the same way; "(missing)" when absent
  };

  // Deciphers the file; false when it cannot be read or deciphered (nothing
  // is compared then).
  bool Compare(TSerialDataModule &module, const QString &fileName);
  // Compares a block already deciphered (a length word, then the INI text).
  void CompareBlock(TSerialDataModule &module, QByteArray &block);

  const QList<Difference> &Differences() const { return m_differences; }
  // Whether the file holds any parameter at all. A file that deciphers to
  // something else (a damaged file, or none of ours) holds none; loading it
  // would write nothing.
  bool HoldsParameters() const { return m_keysFound > 0; }

private:
  QList<Difference> m_differences;
  int m_keysFound = 0;
};
