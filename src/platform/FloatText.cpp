#include "platform/FloatText.h"

#include <QLocale>
#include <cmath>

namespace {
QLocale UserLocale() {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
  return locale;
}
} // namespace

QString FloatToText(double value) {
  if (value == 0.0)
    value = 0.0; // drops the sign of a negative zero
  return UserLocale().toString(value, 'g', 15);
}

bool TextToFloat(const QString &text, double &value) {
  bool ok = false;
  const double parsed = UserLocale().toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}
