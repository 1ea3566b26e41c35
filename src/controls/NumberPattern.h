#pragma once
#include <QString>

// Formats value with a pattern such as "0.00 V", "###0 RPM" or "##0 °C":
// "0" is a digit that is always shown, "#" a digit shown only when
// significant, the first "." the decimal point (printed as the locale's
// separator); every other character is copied where it stands. Rounding is
// half away from zero on the value's 15-digit decimal form. Integer digits
// beyond the pattern's are all shown.
QString FormatWithPattern(double value, const QString &pattern);
