#pragma once
#include "history/ChangeRecord.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

class TSerialDataModule;

// The report a fitter hands the customer: the unit, every parameter as the
// vehicle configuration window shows it, page by page, and what this
// connection changed. Built once in the current language; the desktop
// program prints it and ecuctl writes it, from the same model.
struct ConfigurationReport {
  struct Line {
    QString Caption;
    QString Value;
    QString Unit;
  };
  struct Page {
    QString Title;
    QList<Line> Lines;
  };
  struct Change {
    QDateTime Time; // UTC
    QString Caption;
    QString OldValue;
    QString NewValue;
    QString Outcome; // empty when written; why not otherwise
  };
  // Headings and labels in the report's language.
  struct Labels {
    QString Date, Version, Identification, Firmware, Changes, NoChanges, Time, Parameter, Value, Change,
        NotConnected, Note;
  };

  QString Title;
  QDateTime Date; // UTC
  QString Version;
  QString Identification; // empty without a unit
  QString Firmware;
  QString Note; // the fitter's note of the connection (the number plate); printed when not empty
  QList<Page> Pages;
  // The captions of the fields whose values could not be read from the unit:
  // they show "not read", never a value the unit may not hold.
  QStringList Unread;
  QList<Change> Changes;
  Labels Text;
  // The language the date and the times are written in (the desktop
  // program's chosen one); without one they are written as 2026-12-09 14:05.
  std::optional<QLocale> DateLocale;

  static ConfigurationReport Build(TSerialDataModule &module, const QList<ChangeRecord> &changes,
                                   const QDateTime &now = QDateTime::currentDateTimeUtc());
  // The unit as the workshop history names it ("1-36-26"); empty when no
  // unit has been identified.
  static QString IdentificationText(const TSerialDataModule &module);
  // A logged change as the field showing its item shows both values, in the
  // current language (a check box's bit as its caption and yes or no).
  static Change ChangeOf(TSerialDataModule &module, const ChangeRecord &record);

  // The report's date and a change's time of day, in DateLocale.
  QString DateText() const;
  QString TimeText(const QDateTime &utc) const;

  QString Html() const;
  QString PlainText() const;

  // HTML for a name ending in .html or .htm, plain text otherwise, UTF-8.
  // A failed write leaves any earlier file as it was and says why.
  bool WriteFile(const QString &fileName, QString *reason = nullptr) const;
  static bool IsHtmlName(const QString &fileName);
};
