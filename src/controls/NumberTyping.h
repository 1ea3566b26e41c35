#pragma once
#include <QChar>

class QLineEdit;

// What a number field lets through of the characters typed into it.
struct NumberTypingRules {
  bool SeparatorAllowed = true; // the decimal separator may be typed at all
  bool MinusAllowed = true;     // "-" may be typed at the start
  bool MinusOnce = true;        // ... unless the text already has one outside the selection
};

enum class TypedKind { Insert, Discard, Enter };

struct TypedVerdict {
  TypedKind Kind = TypedKind::Discard;
  QChar Character; // what to insert: the decimal separator for either separator
};

// Digits and backspace pass; either of the locale's separators becomes the
// decimal separator, and is refused when the text already has one outside
// the selection; "-" only at the start of the selection; Enter is reported
// for the caller to handle; everything else is discarded.
TypedVerdict FilterTypedCharacter(QChar typed, const QLineEdit &edit, const NumberTypingRules &rules);

// The text of a precision admits a decimal separator (0: any value).
bool PrecisionAllowsSeparator(double precision);
