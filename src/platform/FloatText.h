#pragma once
#include <QString>

// The one way a control writes a number for the fitter: shortest form with
// at most 15 significant digits, the locale's decimal separator, no
// thousands grouping, exponent only for very large or very small
// magnitudes. A negative zero shows as "0".
QString FloatToText(double value);

// The locale-aware reverse; false for text that is not a finite number.
bool TextToFloat(const QString &text, double &value);
