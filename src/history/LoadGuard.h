#pragma once
#include "history/InterruptedLoads.h"

#include <QObject>

class ConnectionJournal;
class TSerialDataModule;

// Notes in the history every load into the unit on line as it begins, with
// the unit before it and a copy of the file, and its end once it went
// through; a load that stops halfway (the program killed, the line lost)
// keeps no end, and is offered for recovery at the next connect.
class LoadGuard : public QObject {
  Q_OBJECT
public:
  LoadGuard(TSerialDataModule &module, ConnectionJournal &journal, QObject *parent = nullptr);

private:
  void Begins(const QString &fileName, const QByteArray &fileBytes);
  void ReplayBegins(bool undo, const QByteArray &targetPlain);
  // Notes the beginning; fileName empty for a replay.
  void Note(const QString &fileName, const QByteArray &fileBytes, InterruptedLoads::Kind kind);
  void Ended(bool whole);

  TSerialDataModule &m_module;
  ConnectionJournal &m_journal;
  InterruptedLoads::Load m_load; // Number 0 while none is noted
};
