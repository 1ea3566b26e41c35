#include "controls/NumberTyping.h"

#include "controls/FloatText.h"

#include <QLineEdit>
#include <QLocale>

namespace {
QChar DecimalSeparator() {
  return QLocale().decimalPoint().at(0);
}
QChar ThousandsSeparator() {
  return QLocale().groupSeparator().at(0);
}
} // namespace

bool PrecisionAllowsSeparator(double precision) {
  return precision == 0 || FloatToText(precision).contains(DecimalSeparator());
}

TypedVerdict FilterTypedCharacter(QChar typed, const QLineEdit &edit, const NumberTypingRules &rules) {
  constexpr QChar BACKSPACE(8);
  constexpr QChar CARRIAGE_RETURN(13);
  if ((typed >= QLatin1Char('0') && typed <= QLatin1Char('9')) || typed == BACKSPACE)
    return {TypedKind::Insert, typed};
  if (typed == CARRIAGE_RETURN)
    return {TypedKind::Enter, typed};

  const QString selection = edit.selectedText();
  const int selectionStart = edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
  const QChar separator = DecimalSeparator();
  if (typed == separator || typed == ThousandsSeparator()) {
    const bool second = edit.text().contains(separator) && !selection.contains(separator);
    if (second || !rules.SeparatorAllowed)
      return {};
    return {TypedKind::Insert, separator};
  }
  if (typed == QLatin1Char('-')) {
    if (selectionStart != 0 || !rules.MinusAllowed)
      return {};
    const QChar minus = QLatin1Char('-');
    if (rules.MinusOnce && edit.text().contains(minus) && !selection.contains(minus))
      return {};
    return {TypedKind::Insert, typed};
  }
  return {};
}
