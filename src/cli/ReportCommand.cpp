#include "cli/ReportCommand.h"

#include "ecuconfig/TSerialDataModule.h"
#include "history/ConfigurationReport.h"
#include "platform/UserInterface.h"

#include <QDir>

int ReportCommand::Run(const QString &fileName) {
  if (const int code = m_session.Connect())
    return code;
  TSerialDataModule &module = m_session.Module();
  // Taken after the connect: its corrections are this connection's changes.
  ConfigurationReport report = ConfigurationReport::Build(module, m_session.Journal().Changes());
  report.Note = m_session.Journal().Current().Note;
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
  if (const int code = m_session.CheckStillConnected())
    return code;
  if (report.Unread.isEmpty())
    return EXIT_OK;
  constexpr int TEXT_REPORT_TITLE = 262;
  constexpr int TEXT_NOT_READ_WARNING = 302;
  UserInterface::Current().ShowMessage(
      module.Text(TEXT_NOT_READ_WARNING).arg(report.Unread.join(QLatin1Char('\n'))),
      module.Text(TEXT_REPORT_TITLE), MessageIcon::Warning);
  return EXIT_NOT_READ;
}
