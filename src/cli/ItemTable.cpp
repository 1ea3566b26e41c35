#include "cli/ItemTable.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

bool ItemTable::ParseFormat(const QString &text, Format &format) {
  if (text == QLatin1String("table"))
    format = Format::Table;
  else if (text == QLatin1String("csv"))
    format = Format::Csv;
  else if (text == QLatin1String("json"))
    format = Format::Json;
  else
    return false;
  return true;
}

QString ItemTable::Number(double value) {
  return NumberConversion::FormatDataValue(value);
}

QString ItemTable::TableCell(const QString &cell) {
  // In the table a failure reads as what went wrong.
  if (cell == QString::number(CONVERSION_NOT_IN_TABLE))
    return QStringLiteral("not-in-table");
  if (cell == QString::number(CONVERSION_ZERO_DENOMINATOR))
    return QStringLiteral("division-by-zero");
  return cell;
}

QStringList ItemTable::ItemColumns() {
  return {QStringLiteral("name"), QStringLiteral("location"), QStringLiteral("mask"),
          QStringLiteral("raw"),  QStringLiteral("value"),    QStringLiteral("unit"),
          QStringLiteral("key"),  QStringLiteral("min"),      QStringLiteral("max")};
}

QStringList ItemTable::ItemRow(TNoxSerialData &item) {
  QString location = QStringLiteral("-");
  if (auto *number = qobject_cast<TNoxNumber *>(&item); number && number->ByAddress())
    location = QStringLiteral("addr %1").arg(number->Address());
  else if (auto *live = qobject_cast<TNoxPacketData *>(&item))
    location = QStringLiteral("packet %1").arg(live->Offset());
  return {item.objectName(),
          location,
          QStringLiteral("0x") +
              QString::number(item.DataMask(), 16).toUpper().rightJustified(2, QLatin1Char('0')),
          QString::number(item.RawValue()),
          Number(item.GetValue()),
          item.MeasureUnit(),
          item.FileKeyName(),
          Number(item.ValueMin()),
          Number(item.ValueMax())};
}

void ItemTable::Print(QTextStream &out, Format format) const {
  switch (format) {
  case Format::Table:
    PrintTable(out);
    break;
  case Format::Csv:
    PrintCsv(out);
    break;
  case Format::Json:
    PrintJson(out);
    break;
  }
  out.flush();
}

void ItemTable::PrintTable(QTextStream &out) const {
  QList<qsizetype> widths;
  for (const QString &column : m_columns)
    widths << column.size();
  QList<QStringList> rows;
  for (const QStringList &row : m_rows) {
    QStringList cells;
    for (const QString &cell : row)
      cells << TableCell(cell);
    rows << cells;
  }
  for (const QStringList &row : rows)
    for (qsizetype c = 0; c < row.size() && c < widths.size(); ++c)
      widths[c] = std::max(widths[c], row[c].size());
  auto printRow = [&](const QStringList &cells) {
    QString line;
    for (qsizetype c = 0; c < cells.size(); ++c)
      line += (c ? QStringLiteral("  ") : QString()) + cells[c].leftJustified(widths.value(c));
    out << line.trimmed() << '\n';
  };
  printRow(m_columns);
  for (const QStringList &row : rows)
    printRow(row);
}

void ItemTable::PrintCsv(QTextStream &out) const {
  auto quote = [](QString cell) {
    if (cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"')) ||
        cell.contains(QLatin1Char('\n'))) {
      cell.replace(QLatin1String("\""), QLatin1String("\"\""));
      cell = QLatin1Char('"') + cell + QLatin1Char('"');
    }
    return cell;
  };
  auto printRow = [&](const QStringList &cells) {
    QStringList quoted;
    for (const QString &cell : cells)
      quoted << quote(cell);
    out << quoted.join(QLatin1Char(',')) << '\n';
  };
  printRow(m_columns);
  for (const QStringList &row : m_rows)
    printRow(row);
}

void ItemTable::PrintJson(QTextStream &out) const {
  QJsonArray array;
  for (const QStringList &row : m_rows) {
    QJsonObject object;
    for (qsizetype c = 0; c < m_columns.size(); ++c)
      object.insert(m_columns[c], row.value(c));
    array.append(object);
  }
  out << QJsonDocument(array).toJson(QJsonDocument::Indented);
}
