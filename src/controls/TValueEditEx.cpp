#include "controls/TValueEditEx.h"

#include "controls/BoundItem.h"
#include "controls/FloatText.h"
#include "controls/FocusMoves.h"
#include "controls/UnreadLook.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxNumber.h"

#include <QApplication>
#include <QKeyEvent>

TValueEditEx::TValueEditEx(QWidget *parent) : NumberEditBase(parent), ResizerSettings(this) {
  m_caption = TChildLabel::CreateFor(this);
}

TValueEditEx::~TValueEditEx() {
  if (m_value)
    m_value->RemoveObserver(this);
}

void TValueEditEx::setValue(TNoxNumber *item) {
  if (m_value)
    m_value->RemoveObserver(this);
  m_value = item;
  if (m_value)
    m_value->AddObserver(this);
}

// ------------------------------------------------------------ item messages

bool TValueEditEx::event(QEvent *event) {
  if (HandleItemMessage(event))
    return true;
  return NumberEditBase::event(event);
}

bool TValueEditEx::HandleItemMessage(QEvent *event) {
  const auto message = static_cast<std::uint32_t>(event->type());
  if (message != MSG_DATA_CHANGED && message != MSG_PACKET_DATA && message != MSG_DATA_STATE)
    return false;
  const auto &nox = static_cast<const NoxMessageEvent &>(*event);
  if (message == MSG_DATA_STATE) {
    if (nox.LParam() & STATUS_NOT_DEFINED) {
      ApplyDefinedAspect(false);
      m_defined = false;
    }
    if (m_value && m_value->ReadFailed())
      ShowText(0);
    return true;
  }
  if (message == MSG_PACKET_DATA && m_value)
    m_value->SetRawValue(PacketRawValue(nox));
  ShowValue();
  ApplyDefinedAspect(true);
  m_defined = true;
  return true;
}

void TValueEditEx::ShowValue() {
  if (m_value)
    ShowText(m_value->GetValue());
}

void TValueEditEx::ShowText(double value) {
  // The cached number of a parameter the unit did not give is a default or
  // an old value: shown, it would pass for the unit's.
  const bool unread = m_value && m_value->ReadFailed();
  setText(unread ? QString() : FloatToText(value));
  UnreadLook::Show(this, unread);
}

bool TValueEditEx::ReloadValue() {
  if (!m_value)
    return true;
  double value = 0;
  const bool ok = ReloadUserValue(*m_value, value);
  ShowText(value);
  return ok;
}

// ------------------------------------------------------------ defined aspect

void TValueEditEx::ApplyDefinedAspect(bool defined) {
  if (m_aspect == Nox::ddInvisible) {
    setVisible(defined);
    setEnabled(true);
  } else if (m_aspect == Nox::ddDisabled) {
    setVisible(true);
    setEnabled(defined);
  }
}

void TValueEditEx::setDataNotDefinedAspect(Nox::TDataDefinedAspect aspect) {
  if (aspect == m_aspect)
    return;
  if (aspect == Nox::ddNone) {
    ApplyDefinedAspect(true); // a hidden or disabled field comes back
    m_aspect = aspect;
    return;
  }
  m_aspect = aspect;
  ApplyDefinedAspect(m_defined);
}

// ------------------------------------------------------------ typing

NumberTypingRules TValueEditEx::TypingRules() const {
  NumberTypingRules rules;
  if (!m_value) {
    rules.MinusOnce = false;
    return rules;
  }
  const double low = m_value->ValueMin();
  const double high = m_value->ValueMax();
  rules.SeparatorAllowed = PrecisionAllowsSeparator(m_value->Precision());
  rules.MinusAllowed = low < 0 || (low == 0 && high == 0);
  return rules;
}

void TValueEditEx::keyPressEvent(QKeyEvent *event) {
  const int key = event->key();
  if (key == Qt::Key_Escape) {
    // Esc takes back the typing; with nothing to take back it is the
    // window's (a window with nothing to confirm closes on it).
    const QString typed = text();
    ResetText();
    selectAll();
    if (text() != typed) {
      event->accept();
      return;
    }
    NumberEditBase::keyPressEvent(event);
    return;
  }
  if ((key == Qt::Key_Up || key == Qt::Key_Down) && m_arrowMoveFocus) {
    MoveFocus(key == Qt::Key_Down);
    return;
  }
  if (!RaiseKeyDown(event))
    return;
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (!enter && (event->text().isEmpty() || key == Qt::Key_Delete || key == Qt::Key_Backspace)) {
    NumberEditBase::keyPressEvent(event); // cursor and editing keys
    return;
  }
  const TypedVerdict verdict = enter ? TypedVerdict{TypedKind::Enter, QChar(13)}
                                     : FilterTypedCharacter(event->text().at(0), *this, TypingRules());
  if (verdict.Kind == TypedKind::Insert) {
    InsertTyped(event, verdict.Character);
    return;
  }
  // Discarded characters and Enter go no further: Enter never reaches a
  // dialog's default button.
  event->accept();
  if (verdict.Kind != TypedKind::Enter)
    return;
  if (Commit()) {
    MoveFocus(true);
    return;
  }
  QApplication::beep();
  ResetText();
  selectAll();
}

bool TValueEditEx::Commit() {
  if (!m_value)
    return false;
  double value = 0;
  if (!TextToFloat(text(), value)) {
    double stored = 0;
    m_value->RefreshValue(stored);
    ShowText(stored);
    return false;
  }
  if (!m_value->SetValue(value))
    return false;
  // The item takes an out-of-range value as its nearest limit.
  const double low = m_value->ValueMin(), high = m_value->ValueMax();
  if (!m_value->DisableLimits() && (low != 0 || high != 0) && (value < low || value > high))
    Q_EMIT Limited(value > high ? high : low, value > high);
  return true;
}

void TValueEditEx::ResetText() {
  ShowValue();
}

// ------------------------------------------------------------ focus

void TValueEditEx::MoveFocus(bool next) {
  QWidget *target = next ? NextControl() : PrevControl();
  if (CanTakeFocus(target))
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  else
    focusNextPrevChild(next);
}

void TValueEditEx::LeavingField() {
  if (Validation() && m_value)
    ResetText(); // unconfirmed typing is dropped, nothing is written
  else
    Commit();
}

// ------------------------------------------------------------ companions

void TValueEditEx::changeEvent(QEvent *event) {
  NumberEditBase::changeEvent(event);
  if (event->type() == QEvent::EnabledChange && m_caption)
    m_caption->OwnerEnabledChanged();
}

void TValueEditEx::CompanionsFollowBounds() {
  if (m_caption)
    m_caption->Place();
}

void TValueEditEx::CompanionsFollowParent() {
  if (m_caption)
    m_caption->OwnerParentChanged();
}

void TValueEditEx::CompanionsFollowVisibility(bool visible) {
  if (m_caption)
    m_caption->OwnerVisibilityChanged(visible);
}
