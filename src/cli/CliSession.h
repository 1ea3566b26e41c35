#pragma once
#include "cli/ExitCode.h"
#include "history/ConnectionJournal.h"
#include "history/WorkshopHistory.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

class TNoxSerialData;
class TSerialDataModule;

// What every command needs: the data module, standard output, connecting
// with a clear exit code, and the items by name. Each command that connects
// is one connection of the workshop history, logged like the desktop
// program's.
class CliSession {
public:
  CliSession(TSerialDataModule &module, QTextStream &out);

  TSerialDataModule &Module() { return m_module; }
  QTextStream &Out() { return m_out; }
  WorkshopHistory &History() { return m_history; }
  ConnectionJournal &Journal() { return m_journal; }

  // Loads the protocol library, connects and reads everything. EXIT_OK or why not.
  // A load into this unit that was cut short is said on stderr, with how to
  // finish or undo it, unless the command is that very recovery.
  int Connect();
  void SetOfferRecovery(bool offer) { m_offerRecovery = offer; }
  // EXIT_CONNECTION with a message when the line was lost meanwhile.
  int CheckStillConnected();
  // An item by component name, without regard to letter case; null if none.
  TNoxSerialData *FindItem(const QString &name) const;
  // Items whose reads or writes failed since the last call, "NAME (status N)".
  QStringList TakeItemErrors();

private:
  TSerialDataModule &m_module;
  QTextStream &m_out;
  QStringList m_itemErrors;
  bool m_offerRecovery = true;
  WorkshopHistory m_history;
  ConnectionJournal m_journal;
};
