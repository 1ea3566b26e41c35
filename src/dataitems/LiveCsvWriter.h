#pragma once
#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QTextStream;
class TNoxPacketData;
class TNoxSerialData;

// The log of live values that both `ecuctl live` and the chart window's
// recorder write, so that a recorded road test and a terminal log have the
// same form: a header "time,NAME,...", then one row per reading with the
// local time to the millisecond (ISO 8601) and each value in user units
// ("%g", "." as separator, conversion failures whole). Every row is flushed to the device at once, so
// what was written stays readable if the program or the disk fails later.
class LiveCsvWriter {
public:
  LiveCsvWriter(const QList<TNoxPacketData *> &items, QTextStream &out,
                QString separator = QStringLiteral(","));

  // The live values among items, in their order.
  static QList<TNoxPacketData *> LiveItems(const QList<TNoxSerialData *> &items);

  QStringList Columns() const;
  // Each returns false once a write has failed; nothing more is written then.
  bool WriteHeader();
  bool WriteRow(const QDateTime &time);

  bool Failed() const { return m_failed; }
  // What a value cell finally shows; as it is unless set (ecuctl's table
  // form turns failure values into words).
  std::function<QString(const QString &cell)> CellText = [](const QString &cell) { return cell; };
  // The number of rows written, the header not counted.
  int Rows() const { return m_rows; }

private:
  bool WriteLine(const QStringList &cells);

  QList<QPointer<TNoxPacketData>> m_items;
  QTextStream &m_out;
  QString m_separator;
  int m_rows = 0;
  bool m_failed = false;
};
