#include "history/LoadRecovery.h"

#include "dataitems/TNoxConnection.h"
#include "ecuconfig/ConfigurationComparison.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/ConnectionJournal.h"

#include <QDir>
#include <QLocale>

InterruptedLoads::Load LoadRecovery::Pending() const {
  return m_loads.Unfinished(ConnectionJournal::IdentificationText(m_module.Identification));
}

LoadRecovery::Standing LoadRecovery::Compare(const InterruptedLoads::Load &load) const {
  Standing standing;
  QByteArray bytes;
  ConfigurationComparison comparison;
  if (InterruptedLoads::ReadCopy(load.Target, load.TargetSha256, bytes, nullptr) &&
      comparison.Compare(m_module, load.Target))
    standing.FromFile = static_cast<int>(comparison.Differences().size());
  ConfigurationComparison before;
  if (InterruptedLoads::ReadCopy(load.Before, load.BeforeSha256, bytes, nullptr) &&
      before.Compare(m_module, load.Before))
    standing.FromBefore = static_cast<int>(before.Differences().size());
  return standing;
}

bool LoadRecovery::Carry(const InterruptedLoads::Load &load, Choice choice, QString *reason) {
  if (choice == Choice::Leave)
    return m_loads.Leave(load, reason);
  const QString &copy = choice == Choice::Finish ? load.Target : load.Before;
  const QByteArray &digest = choice == Choice::Finish ? load.TargetSha256 : load.BeforeSha256;
  QByteArray bytes;
  QString why;
  if (!InterruptedLoads::ReadCopy(copy, digest, bytes, &why)) {
    if (reason)
      *reason = m_module.Text(TEXT_COPY_DAMAGED).arg(why);
    return false;
  }
  m_module.LoadConfiguration(copy, false, nullptr);
  // Refused values were said by the load; only a lost line leaves it open.
  const TNoxConnection *connection = m_module.NoxConnection;
  if (!connection->Loaded() || !connection->ProtocolObject()->IsConnected()) {
    if (reason)
      *reason = m_module.Text(TEXT_NOT_FINISHED);
    return false;
  }
  return m_loads.End(load, reason);
}

QString LoadRecovery::Question(const InterruptedLoads::Load &load) const {
  const Standing standing = Compare(load);
  const QString started = QLocale().toString(load.Started.toLocalTime(), QLocale::ShortFormat);
  QString first;
  switch (load.What) {
  case InterruptedLoads::Kind::Load:
    first = m_module.Text(TEXT_QUESTION).arg(QDir::toNativeSeparators(load.File), started);
    break;
  case InterruptedLoads::Kind::Undo:
  case InterruptedLoads::Kind::Redo:
    first = m_module.Text(load.What == InterruptedLoads::Kind::Undo ? TEXT_UNDO_CUT_SHORT : TEXT_REDO_CUT_SHORT)
                .arg(started);
    break;
  }
  const int standingText = load.What == InterruptedLoads::Kind::Load ? TEXT_STANDING : TEXT_REPLAY_STANDING;
  return first + QLatin1Char('\n') +
         m_module.Text(standingText).arg(standing.FromFile).arg(standing.FromBefore);
}

QStringList LoadRecovery::Choices(const InterruptedLoads::Load &load) const {
  return m_module.Text(load.What == InterruptedLoads::Kind::Load ? TEXT_CHOICES : TEXT_REPLAY_CHOICES)
      .split(QLatin1Char('|'));
}
