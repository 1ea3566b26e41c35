#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class TNoxNumber;
class TSerialDataModule;

// The configuration a load of some of a file's values writes: the unit as
// the program holds it now, with the chosen parameters (and those that go
// with them, LoadDependencies) as the file has them. Loading it through the
// one load path gives exactly what loading a file that differs from the unit
// only in those parameters gives.
class ChosenConfiguration {
public:
  ChosenConfiguration(TSerialDataModule &module, const QList<const TNoxNumber *> &chosen);

  // The plain INI text (CR LF lines) from the file's deciphered block. A
  // chosen parameter the file lacks is left out, as the file leaves it out;
  // so is a parameter the unit never gave, rather than load a default it
  // never held.
  QByteArray Text(QByteArray &fileBlock) const;
  // The chosen parameters with those that go with them, in item order.
  const QList<const TNoxNumber *> &Items() const { return m_items; }
  // Their file keys, as the change log keeps them.
  QStringList Keys() const;

  // A parameter named as `ecuctl read` prints it: its file key ("GIRI
  // CUTOFF") or its item name ("GiriCutOff"), in any case. Null when no
  // parameter of a file has that name.
  static const TNoxNumber *ItemNamed(const TSerialDataModule &module, const QString &name);

private:
  TSerialDataModule &m_module;
  QList<const TNoxNumber *> m_items;
};
