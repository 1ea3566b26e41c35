#include "cli/RecoverCommand.h"

#include "cli/CliSession.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/LoadRecovery.h"
#include "platform/UserInterface.h"

#include <QDir>

int RecoverCommand::Run(const QString &choice) {
  LoadRecovery::Choice what;
  if (choice == QLatin1String("finish"))
    what = LoadRecovery::Choice::Finish;
  else if (choice == QLatin1String("undo"))
    what = LoadRecovery::Choice::PutBack;
  else if (choice == QLatin1String("leave"))
    what = LoadRecovery::Choice::Leave;
  else
    return EXIT_USAGE;
  if (const int code = m_session.Connect())
    return code;
  TSerialDataModule &module = m_session.Module();
  LoadRecovery recovery(module, m_session.History());
  const InterruptedLoads::Load load = recovery.Pending();
  if (load.Number == 0) {
    m_session.Out() << "no load into this unit was cut short\n";
    m_session.Out().flush();
    return EXIT_OK;
  }
  if (what != LoadRecovery::Choice::Leave && !module.SuspendRefresher())
    return EXIT_BUSY;
  QString reason;
  if (!recovery.Carry(load, what, &reason)) {
    UserInterface::Current().ShowMessage(reason, module.Text(LoadRecovery::TEXT_TITLE), MessageIcon::Error);
    return m_session.CheckStillConnected() ? EXIT_CONNECTION : EXIT_FILE;
  }
  const char *replay = load.What == InterruptedLoads::Kind::Undo ? "the undo" : "the redo";
  m_session.Out() << choice << ": "
                  << (load.What == InterruptedLoads::Kind::Load ? QDir::toNativeSeparators(load.File)
                                                                : QString::fromLatin1(replay))
                  << '\n';
  m_session.Out().flush();
  return m_session.TakeItemErrors().isEmpty() ? EXIT_OK : EXIT_LOAD_INCOMPLETE;
}
