#include "cli/HistoryCommands.h"

#include "cli/CliSession.h"
#include "platform/UserInterface.h"

#include <QDir>

namespace {
QString LocalTime(const QDateTime &time) {
  return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
} // namespace

int HistoryCommands::List(ItemTable::Format format) {
  const QList<HistoryConnection> connections = m_session.History().Connections();
  ItemTable table({QStringLiteral("n"), QStringLiteral("date"), QStringLiteral("identification"),
                   QStringLiteral("firmware"), QStringLiteral("changes"), QStringLiteral("note"),
                   QStringLiteral("id")});
  for (qsizetype i = 0; i < connections.size(); ++i) {
    const HistoryConnection &c = connections[i];
    // A damaged description has no identification to show, but says why.
    table.AddRow({QString::number(i + 1), LocalTime(c.Started),
                  c.Damage.isEmpty() ? c.Identification : c.Damage, c.Firmware,
                  QString::number(c.ChangeCount), c.Note, c.Id});
  }
  table.Print(m_session.Out(), format);
  return EXIT_OK;
}

int HistoryCommands::Show(const QString &number, ItemTable::Format format) {
  const QList<HistoryConnection> connections = m_session.History().Connections();
  bool ok = false;
  const int n = number.toInt(&ok);
  if (!ok || n < 1 || n > connections.size()) {
    UserInterface::Current().ShowMessage(
        QStringLiteral("no connection %1 in %2 (ecuctl history lists %3)")
            .arg(number, QDir::toNativeSeparators(m_session.History().Folder()))
            .arg(connections.size()),
        QStringLiteral("History"), MessageIcon::Error);
    return EXIT_USAGE;
  }
  const HistoryConnection &connection = connections[n - 1];
  QStringList skipped;
  const QList<ChangeRecord> changes = m_session.History().Changes(connection.Id, &skipped);
  for (const QString &note : skipped)
    UserInterface::Current().ShowMessage(note, QStringLiteral("History"), MessageIcon::Warning);
  ItemTable table({QStringLiteral("time"), QStringLiteral("item"), QStringLiteral("caption"),
                   QStringLiteral("old"), QStringLiteral("new"), QStringLiteral("old raw"),
                   QStringLiteral("new raw"), QStringLiteral("origin"), QStringLiteral("detail"),
                   QStringLiteral("outcome"), QStringLiteral("status"), QStringLiteral("action")});
  for (const ChangeRecord &change : changes)
    table.AddRow({LocalTime(change.Time), change.Item, change.Caption, ItemTable::Number(change.OldValue),
                  ItemTable::Number(change.NewValue), QString::number(change.OldRaw),
                  QString::number(change.NewRaw), WorkshopHistory::OriginName(change.Source),
                  change.Chosen.isEmpty() ? change.OriginDetail
                                          : change.OriginDetail + QStringLiteral(" (only ") +
                                                change.Chosen.join(QStringLiteral(", ")) + QLatin1Char(')'),
                  WorkshopHistory::OutcomeName(change.Outcome),
                  QString::number(change.Status), QString::number(change.Action)});
  table.Print(m_session.Out(), format);
  return EXIT_OK;
}
