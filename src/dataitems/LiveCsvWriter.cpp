#include "dataitems/LiveCsvWriter.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxPacketData.h"

#include <QTextStream>

LiveCsvWriter::LiveCsvWriter(const QList<TNoxPacketData *> &items, QTextStream &out, QString separator)
    : m_out(out), m_separator(std::move(separator)) {
  for (TNoxPacketData *item : items)
    m_items << item;
}

QList<TNoxPacketData *> LiveCsvWriter::LiveItems(const QList<TNoxSerialData *> &items) {
  QList<TNoxPacketData *> live;
  for (TNoxSerialData *item : items)
    if (auto *packet = qobject_cast<TNoxPacketData *>(item))
      live << packet;
  return live;
}

QStringList LiveCsvWriter::Columns() const {
  QStringList columns{QStringLiteral("time")};
  for (const auto &item : m_items)
    columns << (item ? item->objectName() : QString());
  return columns;
}

bool LiveCsvWriter::WriteHeader() {
  return WriteLine(Columns());
}

bool LiveCsvWriter::WriteRow(const QDateTime &time) {
  QStringList cells{time.toString(Qt::ISODateWithMs)};
  for (const auto &item : m_items)
    cells << CellText(item ? NumberConversion::FormatDataValue(item->GetValue()) : QString());
  if (!WriteLine(cells))
    return false;
  ++m_rows;
  return true;
}

bool LiveCsvWriter::WriteLine(const QStringList &cells) {
  if (m_failed)
    return false;
  m_out << cells.join(m_separator) << '\n';
  m_out.flush();
  m_failed = m_out.status() != QTextStream::Ok;
  return !m_failed;
}
