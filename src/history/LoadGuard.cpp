#include "history/LoadGuard.h"

#include "ecuconfig/ConfigurationEnvelope.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/ConnectionJournal.h"
#include "platform/UserInterface.h"


LoadGuard::LoadGuard(TSerialDataModule &module, ConnectionJournal &journal, QObject *parent)
    : QObject(parent), m_module(module), m_journal(journal) {
  connect(&m_module, &TSerialDataModule::LoadBegins, this, &LoadGuard::Begins);
  connect(&m_module, &TSerialDataModule::LoadEnded, this, &LoadGuard::Ended);
  connect(&m_module, &TSerialDataModule::ReplayBegins, this, &LoadGuard::ReplayBegins);
}

void LoadGuard::Begins(const QString &fileName, const QByteArray &fileBytes) {
  m_load = {};
  if (fileBytes.isEmpty())
    return; // the load itself says it cannot read the file
  Note(fileName, fileBytes, InterruptedLoads::Kind::Load);
}

void LoadGuard::ReplayBegins(bool undo, const QByteArray &targetPlain) {
  m_load = {};
  // A replay has no file: its copy is the unit it leaves, sealed as a save.
  Note(QString(), ConfigurationEnvelope::Seal(targetPlain),
       undo ? InterruptedLoads::Kind::Undo : InterruptedLoads::Kind::Redo);
}

void LoadGuard::Note(const QString &fileName, const QByteArray &bytes, InterruptedLoads::Kind kind) {
  if (!m_journal.IsOpen() || m_journal.Current().Id.isEmpty())
    return; // no history for this connection: the journal has said so
  // The unit as the program holds it now: what putting it back must give.
  // A value never read from the unit is left out rather than put back as a
  // default the unit never held.
  QStringList unread;
  const QByteArray before = ConnectionJournal::WithoutUnread(
      m_module, ConfigurationFile(m_module).IniText(nullptr, ConfigurationFile::Progress::Quiet), unread);
  QString reason;
  if (!InterruptedLoads(m_journal.History())
           .Begin(m_journal.Current().Id, m_journal.Current().Identification, fileName, bytes, before, m_load,
                  &reason, kind)) {
    m_load = {};
    UserInterface::Current().ShowStatusWarning(reason);
  }
}

void LoadGuard::Ended(bool whole) {
  if (m_load.Number == 0)
    return;
  if (whole)
    InterruptedLoads(m_journal.History()).End(m_load);
  m_load = {};
}
