#pragma once
#include "platform/IntegerText.h"

#include <QString>
#include <cstdint>

// Failure values that a conversion returns in place of a value. They are no
// ECU values and are never sent to the unit.
inline constexpr std::int32_t CONVERSION_NOT_IN_TABLE = -10000001;     // no table, or value not in it
inline constexpr std::int32_t CONVERSION_ZERO_DENOMINATOR = -10000002; // formula denominator 0
// NaN, an infinity or a value outside the 32-bit range cannot become a raw
// value; converting it would be undefined behaviour.
inline constexpr std::int32_t CONVERSION_OUT_OF_RANGE = -10000003;

namespace NumberConversion {

bool IsFailureValue(std::int32_t raw);
bool IsFailureValue(double user);

// Toward zero, as a cast would, but refusing what does not fit.
bool TruncateToInt32(double value, std::int32_t &result);
// Half away from zero: add 0.5 (or subtract it below zero), then truncate.
bool RoundHalfAwayToInt32(double value, std::int32_t &result);

// Rounds r to a multiple of precision; ties go to the larger value.
// precision 0 leaves r alone.
double RoundToPrecision(double r, double precision);

// Parses a number written with either "." or "," as decimal separator under
// any locale (files travel between fitters with different locales).
bool TryParseFloat(const QString &text, double &value);

// A whole decimal number, blanks around it allowed (the core's one parser).
inline bool TryParseInteger(const QString &text, int &value) { return IntegerText::TryParse(text, value); }

// C "%g" (six significant digits unless told) with "." whatever the locale.
QString FormatG(double value, int significantDigits = 6);

// A user value as data output shows it ("%g"), except that the two failure
// values print whole ("%g" would make both -1e+07) and -0 prints as "0".
QString FormatDataValue(double value);

} // namespace NumberConversion
