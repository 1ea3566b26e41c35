#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

class TNoxSerialData;

// Rows of text printed as an aligned table, CSV or JSON.
class ItemTable {
public:
  enum class Format { Table, Csv, Json };
  // "table", "csv", "json"; false for anything else.
  static bool ParseFormat(const QString &text, Format &format);

  explicit ItemTable(QStringList columns) : m_columns(std::move(columns)) {}

  void AddRow(QStringList cells) { m_rows.append(std::move(cells)); }
  void Print(QTextStream &out, Format format) const;

  // The columns of the configuration listing and one item's row in them.
  static QStringList ItemColumns();
  static QStringList ItemRow(TNoxSerialData &item);
  // A user value as the tool prints it: "%g", "." as separator; the two
  // conversion failure values in full.
  static QString Number(double value);
  // A cell as the aligned table shows it: a failure value as a word.
  static QString TableCell(const QString &cell);

private:
  void PrintTable(QTextStream &out) const;
  void PrintCsv(QTextStream &out) const;
  void PrintJson(QTextStream &out) const;

  QStringList m_columns;
  QList<QStringList> m_rows;
};
