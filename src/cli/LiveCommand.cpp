#include "cli/LiveCommand.h"

#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/TSerialDataModule.h"

#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

int LiveCommand::Run(int intervalMs, int count, ItemTable::Format format) {
  if (const int code = m_session.Connect())
    return code;
  TSerialDataModule &module = m_session.Module();
  QList<TNoxPacketData *> values;
  QStringList columns{QStringLiteral("time")};
  for (TNoxSerialData *item : module.DataItems()) {
    if (auto *live = qobject_cast<TNoxPacketData *>(item)) {
      values << live;
      columns << live->objectName();
    }
  }
  QTextStream &out = m_session.Out();
  const QString separator = format == ItemTable::Format::Csv ? QStringLiteral(",") : QStringLiteral("  ");
  out << columns.join(separator) << '\n';
  out.flush();

  module.DataRefresher->SetRunning(true);
  QEventLoop loop;
  QTimer timer;
  int printed = 0;
  int result = EXIT_OK;
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    if (const int code = m_session.CheckStillConnected()) {
      result = code;
      loop.quit();
      return;
    }
    QStringList cells{QDateTime::currentDateTime().toString(Qt::ISODateWithMs)};
    for (TNoxPacketData *live : values)
      cells << ItemTable::Number(live->GetValue());
    out << cells.join(separator) << '\n';
    out.flush();
    if (count > 0 && ++printed >= count)
      loop.quit();
  });
  timer.start(intervalMs);
  loop.exec();
  module.DataRefresher->SetRunning(false);
  return result;
}
