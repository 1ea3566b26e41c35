#include "controls/TNumericEdit.h"

#include "controls/FloatText.h"
#include "dataitems/NumberConversion.h"

#include <QKeyEvent>

TNumericEdit::TNumericEdit(QWidget *parent) : NumberEditBase(parent) {}

void TNumericEdit::setMaxValue(double value) {
  if (value >= m_minValue)
    m_maxValue = value;
}

void TNumericEdit::setMinValue(double value) {
  if (value <= m_maxValue)
    m_minValue = value;
}

bool TNumericEdit::LimitsInForce() const {
  return !m_disableLimit && (m_minValue != 0 || m_maxValue != 0);
}

double TNumericEdit::ValueFromText() const {
  double value = m_accepted;
  if (!TextToFloat(text(), value))
    return m_accepted;
  if (LimitsInForce())
    value = std::clamp(value, m_minValue, m_maxValue);
  return NumberConversion::RoundToPrecision(value, m_precision);
}

void TNumericEdit::ShowValue(double x) {
  if (LimitsInForce() && (x < m_minValue || x > m_maxValue))
    m_accepted = x < m_minValue ? m_minValue : m_maxValue;
  else
    m_accepted = NumberConversion::RoundToPrecision(x, m_precision);
  setText(FloatToText(m_accepted));
}

void TNumericEdit::MoveFocus(bool next) {
  if (QWidget *target = FindChainTarget(*this, next))
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void TNumericEdit::keyPressEvent(QKeyEvent *event) {
  const int key = event->key();
  if (key == Qt::Key_Escape) {
    // As a value field: the typing taken back, or the key left to the window.
    const QString typed = text();
    ShowValue(m_accepted);
    selectAll();
    if (text() != typed) {
      event->accept();
      return;
    }
    NumberEditBase::keyPressEvent(event);
    return;
  }
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    MoveFocus(key == Qt::Key_Down);
    event->accept();
    return;
  }
  if (!RaiseKeyDown(event))
    return;
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (!enter && (event->text().isEmpty() || key == Qt::Key_Delete || key == Qt::Key_Backspace)) {
    NumberEditBase::keyPressEvent(event);
    return;
  }
  NumberTypingRules rules;
  rules.SeparatorAllowed = PrecisionAllowsSeparator(m_precision);
  rules.MinusAllowed = m_disableLimit || m_minValue < 0 || (m_minValue == 0 && m_maxValue == 0);
  const TypedVerdict verdict = enter ? TypedVerdict{TypedKind::Enter, QChar(13)}
                                     : FilterTypedCharacter(event->text().at(0), *this, rules);
  event->accept();
  if (verdict.Kind == TypedKind::Insert) {
    InsertTyped(event, verdict.Character);
    return;
  }
  if (verdict.Kind != TypedKind::Enter)
    return;
  double typed = 0;
  const bool limited = LimitsInForce() && TextToFloat(text(), typed) && (typed < m_minValue || typed > m_maxValue);
  m_accepted = ValueFromText();
  setText(FloatToText(m_accepted));
  Q_EMIT Confirmed();
  if (limited)
    Q_EMIT Limited(m_accepted, typed > m_maxValue);
  if (QWidget *target = FindChainTarget(*this, true))
    target->setFocus(Qt::TabFocusReason);
  else
    selectAll();
}

void TNumericEdit::EnteringField() {
  double typed = 0;
  if (TextToFloat(text(), typed))
    m_accepted = typed;
  ShowValue(m_accepted);
}

void TNumericEdit::LeavingField() {
  ShowValue(Validation() ? m_accepted : ValueFromText());
}
