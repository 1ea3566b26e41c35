#include "dataitems/NumberConversion.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace NumberConversion {

bool IsFailureValue(std::int32_t raw) {
  return raw == CONVERSION_NOT_IN_TABLE || raw == CONVERSION_ZERO_DENOMINATOR ||
         raw == CONVERSION_OUT_OF_RANGE;
}

bool IsFailureValue(double user) {
  return user == CONVERSION_NOT_IN_TABLE || user == CONVERSION_ZERO_DENOMINATOR;
}

bool TruncateToInt32(double value, std::int32_t &result) {
  if (!std::isfinite(value))
    return false;
  const double truncated = std::trunc(value);
  // Both bounds are exact doubles; anything strictly inside converts safely.
  if (truncated < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
      truncated > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return false;
  result = static_cast<std::int32_t>(truncated);
  return true;
}

bool RoundHalfAwayToInt32(double value, std::int32_t &result) {
  if (!std::isfinite(value))
    return false;
  return TruncateToInt32(value >= 0 ? value + 0.5 : value - 0.5, result);
}

double RoundToPrecision(double r, double precision) {
  if (precision == 0)
    return r;
  const double q = r / precision;
  const double up = std::ceil(q) * precision;
  const double down = std::floor(q) * precision;
  const double result = (r - down) >= (up - r) ? up : down;
  // Small negative values round to -0; shown and saved as "0".
  return result == 0 ? 0.0 : result;
}

bool TryParseFloat(const QString &text, double &value) {
  QLocale locale;
  locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
  const QString separator = locale.decimalPoint();
  QString normalised = text.trimmed();
  for (const QChar candidate : {QLatin1Char('.'), QLatin1Char(',')}) {
    if (separator != QString(candidate)) {
      const auto at = normalised.indexOf(candidate);
      if (at >= 0)
        normalised.replace(at, 1, separator);
    }
  }
  bool ok = false;
  const double parsed = locale.toDouble(normalised, &ok);
  if (!ok)
    return false;
  value = parsed;
  return true;
}

QString FormatG(double value, int significantDigits) {
  const QByteArray format = "%." + QByteArray::number(significantDigits) + 'g';
  return QString::asprintf(format.constData(), value);
}

QString FormatDataValue(double value) {
  if (IsFailureValue(value))
    return QString::number(static_cast<qint64>(value));
  return FormatG(value == 0 ? 0.0 : value);
}

} // namespace NumberConversion
