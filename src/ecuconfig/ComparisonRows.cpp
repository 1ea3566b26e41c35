#include "ecuconfig/ComparisonRows.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ConfigurationPages.h"
#include "ecuconfig/ParameterNames.h"

namespace {
using Kind = ConfigurationField::Kind;

bool AsInt(const QString &text, std::int32_t &value) {
  double number = 0;
  return NumberConversion::TryParseFloat(text, number) && NumberConversion::TruncateToInt32(number, value);
}

// A value as its field shows it; a text the field cannot show (a file's
// "(missing)", a combo index past the list) stays as it is.
QString FieldText(const TSerialDataModule &module, const ConfigurationField &field, const QString &text) {
  double value = 0;
  if (!NumberConversion::TryParseFloat(text, value))
    return text;
  const QString shown = ConfigurationPages::ValueText(module, field, value);
  return shown.isEmpty() ? text : shown;
}
} // namespace

QString ComparisonRows::CaptionOf(const TSerialDataModule &module, const TNoxNumber &item) {
  const ConfigurationField *field = ConfigurationPages::FieldShowing(module, &item);
  return field && field->Type != Kind::Check ? module.Text(field->CaptionId) : ParameterCaption(module, item);
}

QString ComparisonRows::ParameterCaption(const TSerialDataModule &module, const TNoxNumber &item) {
  const QString caption = ParameterNames::CaptionOf(module, &item);
  return caption.isEmpty() ? item.FileKey() : caption;
}

QList<ComparisonRows::Row> ComparisonRows::For(const TSerialDataModule &module,
                                               const QList<ConfigurationComparison::Difference> &differences) {
  QList<Row> rows;
  for (const ConfigurationComparison::Difference &difference : differences) {
    const TNoxNumber *item = difference.Item;
    if (!item) {
      rows.append({item, difference.Key, difference.UnitText, difference.FileText, QString()});
      continue;
    }
    if (AppendCheckBoxRows(module, difference, rows))
      continue;
    const ConfigurationField *field = ConfigurationPages::FieldShowing(module, item);
    if (field && field->Type == Kind::Combo) {
      rows.append({item, CaptionOf(module, *item), FieldText(module, *field, difference.UnitText),
                   FieldText(module, *field, difference.FileText), QString()});
      continue;
    }
    rows.append({item, CaptionOf(module, *item), difference.UnitText, difference.FileText, ParameterNames::UnitOf(item)});
  }
  return rows;
}

// A byte of switches: a row for each check box whose bit differs, and the
// byte itself only for changed bits that no check box shows. False when the
// item is no such byte, or a value is no number.
bool ComparisonRows::AppendCheckBoxRows(const TSerialDataModule &module,
                                        const ConfigurationComparison::Difference &difference, QList<Row> &rows) {
  std::int32_t unitValue = 0, fileValue = 0;
  if (!AsInt(difference.UnitText, unitValue) || !AsInt(difference.FileText, fileValue))
    return false;
  const std::int32_t changed = unitValue ^ fileValue;
  std::int32_t shownBits = 0;
  bool anyBox = false;
  for (const ConfigurationPage &page : ConfigurationPages::Pages()) {
    for (const ConfigurationField &field : page.Fields) {
      std::int32_t mask = 0;
      if (module.*field.Item != difference.Item || field.Type != Kind::Check ||
          field.Check.When != CheckRule::Condition::MaskedBit ||
          !NumberConversion::TruncateToInt32(field.Check.ConditionValue, mask))
        continue;
      anyBox = true;
      shownBits |= mask;
      if (!(changed & mask) || field.CaptionId == 0)
        continue;
      rows.append({difference.Item, module.Text(field.CaptionId), ConfigurationPages::ValueText(module, field, unitValue),
                   ConfigurationPages::ValueText(module, field, fileValue), QString()});
    }
  }
  // The bits no box shows but that have a name of their own, one row each.
  bool anyNamed = false;
  for (std::int32_t bit = 1; bit <= 0x80; bit <<= 1) {
    if (!(changed & bit) || (shownBits & bit) || ParameterNames::NamedBit(module, difference.Item, bit) != bit)
      continue;
    anyNamed = true;
    shownBits |= bit;
    auto yesNo = [&module, bit](std::int32_t value) {
      return module.Text((value & bit) ? ConfigurationPages::TEXT_CHECKED : ConfigurationPages::TEXT_UNCHECKED);
    };
    rows.append({difference.Item, ParameterNames::CaptionOf(module, difference.Item, bit), yesNo(unitValue),
                 yesNo(fileValue), QString()});
  }
  if (!anyBox && !anyNamed)
    return false;
  if (changed & ~shownBits)
    rows.append({difference.Item, ParameterCaption(module, *difference.Item), difference.UnitText,
                 difference.FileText, QString()});
  return true;
}
