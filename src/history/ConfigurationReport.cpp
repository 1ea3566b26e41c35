#include "history/ConfigurationReport.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxSerialData.h"
#include "ecuconfig/ConfigurationPages.h"
#include "ecuconfig/ParameterNames.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/ConnectionJournal.h"
#include "platform/FloatText.h"
#include "platform/SafeFileWriter.h"

#include <QStringList>
#include <algorithm>

namespace {
constexpr int TEXT_TITLE = 262;
constexpr int TEXT_DATE = 263;
constexpr int TEXT_VERSION = 264;
constexpr int TEXT_IDENTIFICATION = 265;
constexpr int TEXT_FIRMWARE = 266;
constexpr int TEXT_CHANGES = 267;
constexpr int TEXT_NO_CHANGES = 268;
constexpr int TEXT_TIME = 269;
constexpr int TEXT_PARAMETER = 270;
constexpr int TEXT_VALUE = 271;
constexpr int TEXT_CHANGE = 274;
constexpr int TEXT_REFUSED = 275;
constexpr int TEXT_FAILED = 276;
constexpr int TEXT_NOT_CONNECTED = 277;
constexpr int TEXT_NOT_READ = 301;
constexpr int TEXT_NOTE = 303;

const QString kArrow = QStringLiteral(" \u2192 ");

QString LocalTime(const QDateTime &utc, const char *format) {
  return utc.toLocalTime().toString(QLatin1String(format));
}

QString Escaped(const QString &text) {
  return text.toHtmlEscaped();
}

QString Joined(const QString &value, const QString &unit) {
  return unit.isEmpty() ? value : value + QLatin1Char(' ') + unit;
}
} // namespace

ConfigurationReport::Change ConfigurationReport::ChangeOf(TSerialDataModule &module,
                                                          const ChangeRecord &record) {
  Change change;
  change.Time = record.Time;
  const TNoxSerialData *item = nullptr;
  for (const TNoxSerialData *candidate : module.DataItems())
    if (candidate->objectName() == record.Item)
      item = candidate;
  const std::int32_t changedBits = record.OldRaw ^ record.NewRaw;
  const ConfigurationField *field = ConfigurationPages::FieldShowing(module, item, changedBits);
  change.Caption = ConfigurationPages::CaptionOf(module, item, changedBits);
  if (change.Caption.isEmpty())
    change.Caption = record.Caption;
  if (change.Caption.isEmpty())
    change.Caption = record.Item;
  // A bit of a flags byte with a name of its own is said as a check box is.
  const std::int32_t bit = field ? 0 : ParameterNames::NamedBit(module, item, changedBits);
  // The user value, not the byte: a bit the unit stores inverted reads plain.
  auto valueText = [&](double value) {
    if (field)
      return ConfigurationPages::ValueText(module, *field, value);
    std::int32_t flags = 0;
    if (bit && NumberConversion::TruncateToInt32(value, flags))
      return module.Text((flags & bit) ? ConfigurationPages::TEXT_CHECKED : ConfigurationPages::TEXT_UNCHECKED);
    return FloatToText(value);
  };
  change.OldValue = valueText(record.OldValue);
  change.NewValue = valueText(record.NewValue);
  QString unit;
  if (field ? field->Type == ConfigurationField::Kind::Value : bit == 0)
    unit = ParameterNames::UnitOf(item);
  if (!unit.isEmpty()) {
    change.OldValue += QLatin1Char(' ') + unit;
    change.NewValue += QLatin1Char(' ') + unit;
  }
  if (record.Outcome == ItemWrite::Result::Refused)
    change.Outcome = module.Text(TEXT_REFUSED);
  else if (record.Outcome == ItemWrite::Result::Failed)
    change.Outcome = module.Text(TEXT_FAILED).arg(record.Status);
  return change;
}

QString ConfigurationReport::IdentificationText(const TSerialDataModule &module) {
  const auto &bytes = module.Identification.Bytes;
  if (std::all_of(std::begin(bytes), std::end(bytes), [](std::uint8_t byte) { return byte == 0; }))
    return QString();
  // As the workshop history names the unit, so that report and history agree.
  return ConnectionJournal::IdentificationText(module.Identification);
}

ConfigurationReport ConfigurationReport::Build(TSerialDataModule &module, const QList<ChangeRecord> &changes,
                                               const QDateTime &now) {
  ConfigurationReport report;
  auto text = [&module](int id) { return module.Text(id); };
  report.Title = text(TEXT_TITLE);
  report.Date = now;
  report.Version = QStringLiteral(NOX_VERSION_STRING);
  report.Identification = IdentificationText(module);
  report.Firmware = module.FirmwareStatusText();
  report.Text = {text(TEXT_DATE),    text(TEXT_VERSION),    text(TEXT_IDENTIFICATION), text(TEXT_FIRMWARE),
                 text(TEXT_CHANGES), text(TEXT_NO_CHANGES), text(TEXT_TIME),           text(TEXT_PARAMETER),
                 text(TEXT_VALUE),   text(TEXT_CHANGE),     text(TEXT_NOT_CONNECTED),  text(TEXT_NOTE)};
  for (const ConfigurationPage &page : ConfigurationPages::Pages()) {
    Page shown{text(page.TitleId), {}};
    for (const ShownField &field : ConfigurationPages::Shown(module, page)) {
      // Asked after Shown, whose reads tried the unit again.
      if (module.ValueNotRead(module.*field.Field->Item)) {
        shown.Lines.append({field.Caption, text(TEXT_NOT_READ), QString()});
        report.Unread.append(field.Caption);
        continue;
      }
      shown.Lines.append({field.Caption, field.Value, field.Unit});
    }
    report.Pages.append(shown);
  }
  for (const ChangeRecord &record : changes)
    if (!record.ChangedNothing())
      report.Changes.append(ChangeOf(module, record));
  return report;
}

QString ConfigurationReport::DateText() const {
  if (!DateLocale)
    return LocalTime(Date, "yyyy-MM-dd HH:mm");
  return DateLocale->toString(Date.toLocalTime(), QLocale::ShortFormat);
}

QString ConfigurationReport::TimeText(const QDateTime &utc) const {
  if (!DateLocale)
    return LocalTime(utc, "HH:mm:ss");
  // The language's short form, with the seconds: changes come seconds apart.
  QString format = DateLocale->timeFormat(QLocale::ShortFormat);
  if (!format.contains(QLatin1String("ss")))
    format.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
  return DateLocale->toString(utc.toLocalTime().time(), format);
}

QString ConfigurationReport::Html() const {
  QString html;
  html += QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + Escaped(Title) +
          QStringLiteral("</title></head>\n<body>\n<h1>") + Escaped(Title) +
          QStringLiteral("</h1>\n<table cellspacing=\"0\" cellpadding=\"3\">\n");
  auto row = [&html](const QString &label, const QString &value) {
    html += QStringLiteral("<tr><th align=\"left\">") + Escaped(label) + QStringLiteral("</th><td>") +
            Escaped(value) + QStringLiteral("</td></tr>\n");
  };
  row(Text.Date, DateText());
  row(Text.Version, Version);
  row(Text.Identification, Identification.isEmpty() ? Text.NotConnected : Identification);
  if (!Firmware.isEmpty())
    row(Text.Firmware, Firmware);
  if (!Note.isEmpty())
    row(Text.Note, Note);
  html += QStringLiteral("</table>\n");
  for (const Page &page : Pages) {
    html += QStringLiteral("<h2>") + Escaped(page.Title) +
            QStringLiteral("</h2>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n");
    html += QStringLiteral("<tr><th align=\"left\">") + Escaped(Text.Parameter) +
            QStringLiteral("</th><th align=\"left\">") + Escaped(Text.Value) + QStringLiteral("</th></tr>\n");
    for (const Line &line : page.Lines)
      html += QStringLiteral("<tr><td>") + Escaped(line.Caption) + QStringLiteral("</td><td>") +
              Escaped(Joined(line.Value, line.Unit)) + QStringLiteral("</td></tr>\n");
    html += QStringLiteral("</table>\n");
  }
  html += QStringLiteral("<h2>") + Escaped(Text.Changes) + QStringLiteral("</h2>\n");
  if (Changes.isEmpty()) {
    html += QStringLiteral("<p>") + Escaped(Text.NoChanges) + QStringLiteral("</p>\n");
  } else {
    html +=
        QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr><th align=\"left\">") +
        Escaped(Text.Time) + QStringLiteral("</th><th align=\"left\">") + Escaped(Text.Parameter) +
        QStringLiteral("</th><th align=\"left\">") + Escaped(Text.Change) + QStringLiteral("</th></tr>\n");
    for (const Change &change : Changes) {
      QString what = change.OldValue + kArrow + change.NewValue;
      if (!change.Outcome.isEmpty())
        what += QStringLiteral(" (") + change.Outcome + QLatin1Char(')');
      html += QStringLiteral("<tr><td>") + Escaped(TimeText(change.Time)) + QStringLiteral("</td><td>") +
              Escaped(change.Caption) + QStringLiteral("</td><td>") + Escaped(what) +
              QStringLiteral("</td></tr>\n");
    }
    html += QStringLiteral("</table>\n");
  }
  html += QStringLiteral("</body></html>\n");
  return html;
}

QString ConfigurationReport::PlainText() const {
  QString out = Title + QLatin1Char('\n') + QString(Title.size(), QLatin1Char('=')) + QStringLiteral("\n\n");
  auto line = [&out](const QString &label, const QString &value) {
    out += label + QStringLiteral(": ") + value + QLatin1Char('\n');
  };
  line(Text.Date, DateText());
  line(Text.Version, Version);
  line(Text.Identification, Identification.isEmpty() ? Text.NotConnected : Identification);
  if (!Firmware.isEmpty())
    line(Text.Firmware, Firmware);
  if (!Note.isEmpty())
    line(Text.Note, Note);
  for (const Page &page : Pages) {
    out += QLatin1Char('\n') + page.Title + QLatin1Char('\n') + QString(page.Title.size(), QLatin1Char('-')) +
           QLatin1Char('\n');
    qsizetype width = 0;
    for (const Line &entry : page.Lines)
      width = std::max(width, entry.Caption.size());
    for (const Line &entry : page.Lines)
      out += entry.Caption.leftJustified(width + 2) + Joined(entry.Value, entry.Unit) + QLatin1Char('\n');
  }
  out += QLatin1Char('\n') + Text.Changes + QLatin1Char('\n') +
         QString(Text.Changes.size(), QLatin1Char('-')) + QLatin1Char('\n');
  if (Changes.isEmpty())
    out += Text.NoChanges + QLatin1Char('\n');
  for (const Change &change : Changes) {
    out += TimeText(change.Time) + QStringLiteral("  ") + change.Caption + QStringLiteral(": ") +
           change.OldValue + kArrow + change.NewValue;
    if (!change.Outcome.isEmpty())
      out += QStringLiteral(" (") + change.Outcome + QLatin1Char(')');
    out += QLatin1Char('\n');
  }
  return out;
}

bool ConfigurationReport::IsHtmlName(const QString &fileName) {
  return fileName.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) ||
         fileName.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive);
}

bool ConfigurationReport::WriteFile(const QString &fileName, QString *reason) const {
  return SafeFileWriter::Write(fileName, (IsHtmlName(fileName) ? Html() : PlainText()).toUtf8(), reason);
}
