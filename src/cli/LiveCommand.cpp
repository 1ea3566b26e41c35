#include "cli/LiveCommand.h"

#include "dataitems/LiveCsvWriter.h"
#include "dataitems/TDataRefresher.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/UserInterface.h"

#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

int LiveCommand::Run(int intervalMs, int count, ItemTable::Format format) {
  if (const int code = m_session.Connect())
    return code;
  TSerialDataModule &module = m_session.Module();
  const QString separator = format == ItemTable::Format::Csv ? QStringLiteral(",") : QStringLiteral("  ");
  LiveCsvWriter log(LiveCsvWriter::LiveItems(module.DataItems()), m_session.Out(), separator);
  if (format == ItemTable::Format::Table)
    log.CellText = [](const QString &cell) { return ItemTable::TableCell(cell); };
  if (!log.WriteHeader())
    return OutputFailed();

  module.DataRefresher->SetRunning(true);
  QEventLoop loop;
  QTimer timer;
  int result = EXIT_OK;
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    if (const int code = m_session.CheckStillConnected()) {
      result = code;
      loop.quit();
      return;
    }
    if (!log.WriteRow(QDateTime::currentDateTime())) {
      result = OutputFailed();
      loop.quit();
      return;
    }
    if (count > 0 && log.Rows() >= count)
      loop.quit();
  });
  timer.start(intervalMs);
  loop.exec();
  module.DataRefresher->SetRunning(false);
  return result;
}

int LiveCommand::OutputFailed() {
  // A log that can no longer be written (a full disk, a closed pipe) is not
  // kept running for nothing.
  UserInterface::Current().ShowMessage(QStringLiteral("the live values could not be written"),
                                       QStringLiteral("live"), MessageIcon::Error);
  return EXIT_FILE;
}
