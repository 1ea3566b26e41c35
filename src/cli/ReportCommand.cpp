#include "cli/ReportCommand.h"

#include "ecuconfig/TSerialDataModule.h"
#include "history/ConfigurationReport.h"
#include "platform/UserInterface.h"

#include <QDir>

int ReportCommand::Run(const QString &fileName, const QList<ChangeRecord> &changes) {
  if (const int code = m_session.Connect())
    return code;
  TSerialDataModule &module = m_session.Module();
  const ConfigurationReport report = ConfigurationReport::Build(module, changes);
  QString reason;
  if (!report.WriteFile(fileName, &reason)) {
    constexpr int TEXT_FILE_ERROR_TITLE = 99;
    constexpr int TEXT_SAVE_FAILED = 202;
    UserInterface::Current().ShowMessage(
        module.Text(TEXT_SAVE_FAILED).arg(QDir::toNativeSeparators(fileName), reason),
        module.Text(TEXT_FILE_ERROR_TITLE), MessageIcon::Error);
    return EXIT_FILE;
  }
  m_session.Out() << "report written to " << fileName << '\n';
  m_session.Out().flush();
  return m_session.CheckStillConnected();
}
