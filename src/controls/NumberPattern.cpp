#include "controls/NumberPattern.h"

#include "controls/FloatText.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {

bool IsDigitPlaceholder(QChar c) {
  return c == QLatin1Char('0') || c == QLatin1Char('#');
}

// |value| as decimal digits with the decimal point after `point` of them,
// rounded half away from zero to `decimals` places.
struct Decimal {
  QString digits;
  int point = 0;
};

Decimal RoundedDecimal(double value, int decimals) {
  // 15 significant digits, as "d.dddddddddddddde±x".
  const QString scientific = QString::number(std::fabs(value), 'e', 14);
  const int e = scientific.indexOf(QLatin1Char('e'));
  Decimal d;
  d.digits = scientific.left(e).remove(QLatin1Char('.'));
  d.point = scientific.mid(e + 1).toInt() + 1;
  if (d.point < 0) { // all digits well below the first decimal place
    d.digits = QString(-d.point, QLatin1Char('0')) + d.digits;
    d.point = 0;
  }
  const int keep = d.point + decimals;
  if (keep < d.digits.size()) {
    const bool up = keep >= 0 && d.digits.at(keep) >= QLatin1Char('5');
    d.digits.truncate(std::max(keep, 0));
    if (up) {
      int i = d.digits.size() - 1;
      for (; i >= 0 && d.digits.at(i) == QLatin1Char('9'); --i)
        d.digits[i] = QLatin1Char('0');
      if (i >= 0) {
        d.digits[i] = QChar(d.digits.at(i).unicode() + 1);
      } else {
        d.digits.prepend(QLatin1Char('1'));
        ++d.point;
      }
    }
  }
  while (d.digits.size() < d.point + decimals)
    d.digits.append(QLatin1Char('0'));
  return d;
}

} // namespace

QString FormatWithPattern(double value, const QString &pattern) {
  if (!std::isfinite(value))
    return FloatToText(value);
  int first = -1, last = -1;
  for (int i = 0; i < pattern.size(); ++i)
    if (IsDigitPlaceholder(pattern.at(i)) || pattern.at(i) == QLatin1Char('.')) {
      if (first < 0)
        first = i;
      last = i;
    }
  if (first < 0)
    return pattern;

  const QString body = pattern.mid(first, last - first + 1);
  const int dot = body.indexOf(QLatin1Char('.'));
  const QString integerPart = dot < 0 ? body : body.left(dot);
  const QString fractionPart = dot < 0 ? QString() : body.mid(dot + 1);
  // Decimals shown at most, and at least (up to the last "0").
  int decimals = 0;
  int requiredDecimals = 0;
  for (const QChar c : fractionPart)
    if (IsDigitPlaceholder(c)) {
      ++decimals;
      if (c == QLatin1Char('0'))
        requiredDecimals = decimals;
    }

  const Decimal d = RoundedDecimal(value, decimals);
  QString integerDigits = d.digits.left(d.point);
  while (integerDigits.size() > 1 && integerDigits.startsWith(QLatin1Char('0')))
    integerDigits.remove(0, 1);
  if (integerDigits == QLatin1String("0"))
    integerDigits.clear();
  QString fractionDigits = d.digits.mid(d.point);
  while (fractionDigits.size() > requiredDecimals && fractionDigits.endsWith(QLatin1Char('0')))
    fractionDigits.chop(1);

  // Integer placeholders take digits from the right; the leftmost one also
  // takes every digit the pattern has no room for.
  QString integerText;
  int next = static_cast<int>(integerDigits.size()) - 1;
  int leftmost = -1;
  for (int i = 0; i < integerPart.size(); ++i)
    if (IsDigitPlaceholder(integerPart.at(i))) {
      leftmost = i;
      break;
    }
  for (int i = static_cast<int>(integerPart.size()) - 1; i >= 0; --i) {
    const QChar c = integerPart.at(i);
    if (!IsDigitPlaceholder(c)) {
      integerText.prepend(c);
      continue;
    }
    if (i == leftmost && next >= 0) {
      integerText.prepend(integerDigits.left(next + 1));
      next = -1;
    } else if (next >= 0) {
      integerText.prepend(integerDigits.at(next--));
    } else if (c == QLatin1Char('0')) {
      integerText.prepend(QLatin1Char('0'));
    }
  }

  QString fractionText;
  int taken = 0;
  for (const QChar c : fractionPart) {
    if (!IsDigitPlaceholder(c))
      fractionText.append(c);
    else if (taken < fractionDigits.size())
      fractionText.append(fractionDigits.at(taken++));
  }

  const bool zero =
      std::all_of(d.digits.cbegin(), d.digits.cend(), [](QChar c) { return c == QLatin1Char('0'); });
  QString number = integerText;
  if (!fractionDigits.isEmpty())
    number += QLocale().decimalPoint() + fractionText;
  else
    number += fractionText;
  if (value < 0 && !zero)
    number.prepend(QLatin1Char('-'));
  return pattern.left(first) + number + pattern.mid(last + 1);
}
