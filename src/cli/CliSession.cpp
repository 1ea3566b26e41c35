#include "cli/CliSession.h"

#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxSerialData.h"
#include "ecuconfig/ConnectSequence.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/LoadRecovery.h"
#include "platform/UserInterface.h"

CliSession::CliSession(TSerialDataModule &module, QTextStream &out)
    : m_module(module), m_out(out), m_journal(module, m_history) {
  for (TNoxSerialData *item : m_module.DataItems()) {
    item->OnError = [this](TNoxSerialData *sender, int code, bool writing) {
      // A quantity this unit does not have is no failure (the command value).
      if (!writing && code == STATUS_NOT_DEFINED)
        return;
      if (code == TNoxSerialData::ERROR_VALUE_REFUSED)
        m_itemErrors
            << QStringLiteral("%1 (write refused: not a value of this item)").arg(sender->objectName());
      else if (code == TNoxSerialData::ERROR_SHARED_BYTE_UNREAD)
        m_itemErrors << QStringLiteral("%1 (write refused: the byte it shares could not be read)")
                            .arg(sender->objectName());
      else
        m_itemErrors << QStringLiteral("%1 (%2 failed, status %3)")
                            .arg(sender->objectName(),
                                 writing ? QStringLiteral("write") : QStringLiteral("read"))
                            .arg(code);
    };
  }
}

int CliSession::Connect() {
  if (!m_module.NoxConnection->LoadProtocolLibrary())
    return EXIT_LIBRARY; // the connection has shown its message
  const int result = m_module.ConnectAndReadAll(4, 0);
  const QString title = QStringLiteral("Connect");
  switch (result) {
  case ConnectSequence::NO_ANSWER:
    UserInterface::Current().ShowMessage(m_module.TranslatedText(17) + QLatin1Char('\n') +
                                             m_module.TranslatedText(18) +
                                             QStringLiteral("\n(ERR.CODE: C01)"),
                                         title, MessageIcon::Error);
    return EXIT_NO_ANSWER;
  case ConnectSequence::UNSUPPORTED_UNIT:
    UserInterface::Current().ShowMessage(m_module.TranslatedText(106), title, MessageIcon::Error);
    return EXIT_UNSUPPORTED_UNIT;
  default:
    break;
  }
  // A refused connect unloads the library; a line lost during the read-all
  // leaves it loaded and is reported as lost.
  if (!m_module.NoxConnection->Loaded()) {
    UserInterface::Current().ShowMessage(QStringLiteral("the unit refused the connection"), title,
                                         MessageIcon::Error);
    return EXIT_CONNECTION;
  }
  const int code = CheckStillConnected();
  if (code == EXIT_OK && m_offerRecovery) {
    LoadRecovery recovery(m_module, m_history);
    if (const InterruptedLoads::Load load = recovery.Pending(); load.Number != 0)
      UserInterface::Current().ShowMessage(recovery.Question(load) +
                                               QStringLiteral("\n(ecuctl recover finish | undo | leave)"),
                                           m_module.Text(LoadRecovery::TEXT_TITLE), MessageIcon::Warning);
  }
  return code;
}

int CliSession::CheckStillConnected() {
  const TNoxConnection *connection = m_module.NoxConnection;
  if (connection->Loaded() && connection->ProtocolObject()->IsConnected())
    return EXIT_OK;
  // The desktop program's configuration window says the same.
  QString text = m_module.Text(TSerialDataModule::TEXT_LINE_LOST);
  if (text.isEmpty())
    text = QStringLiteral("the connection to the unit was lost"); // no language library
  UserInterface::Current().ShowMessage(text, QStringLiteral("Connection"), MessageIcon::Error);
  return EXIT_CONNECTION;
}

TNoxSerialData *CliSession::FindItem(const QString &name) const {
  for (TNoxSerialData *item : m_module.DataItems())
    if (item->objectName().compare(name, Qt::CaseInsensitive) == 0)
      return item;
  return nullptr;
}

QStringList CliSession::TakeItemErrors() {
  QStringList errors;
  errors.swap(m_itemErrors);
  return errors;
}
