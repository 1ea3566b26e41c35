#include "controls/TNoxComboBox.h"

#include "controls/BoundItem.h"
#include "controls/UnreadLook.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"

TNoxComboBox::TNoxComboBox(QWidget *parent) : KeyedComboBox(parent), ResizerSettings(this) {
  m_caption = TChildLabel::CreateFor(this);
}

TNoxComboBox::~TNoxComboBox() {
  if (m_value)
    m_value->RemoveObserver(this);
}

void TNoxComboBox::setValue(TNoxNumber *item) {
  if (m_value)
    m_value->RemoveObserver(this);
  m_value = item;
  if (m_value)
    m_value->AddObserver(this);
}

bool TNoxComboBox::event(QEvent *event) {
  const auto message = static_cast<std::uint32_t>(event->type());
  if (message == MSG_DATA_CHANGED || message == MSG_PACKET_DATA) {
    if (message == MSG_PACKET_DATA && m_value)
      m_value->SetRawValue(PacketRawValue(static_cast<const NoxMessageEvent &>(*event)));
    ShowValue();
    return true;
  }
  if (message == MSG_DATA_STATE) {
    if (m_value && m_value->ReadFailed())
      ShowUserValue(0);
    return true;
  }
  return KeyedComboBox::event(event);
}

void TNoxComboBox::ShowValue() {
  if (!m_value)
    return;
  double value = 0;
  m_value->RefreshValue(value);
  ShowUserValue(value);
}

void TNoxComboBox::ShowUserValue(double value) {
  // A choice the unit did not give selects nothing rather than the default.
  const bool unread = m_value && m_value->ReadFailed();
  UnreadLook::Show(this, unread);
  int index = -1;
  std::int32_t rounded = 0;
  // A value beyond any index (or not a number) selects nothing.
  if (!unread && value >= 0 && NumberConversion::TruncateToInt32(value + 0.5, rounded) && rounded < count())
    index = rounded;
  setCurrentIndex(index);
  SetRemembered(currentIndex());
}

void TNoxComboBox::Loaded() {
  if (!m_value)
    return;
  double value = 0;
  ReloadUserValue(*m_value, value);
  ShowUserValue(value);
}

void TNoxComboBox::ArmedEnter() {
  SetRemembered(currentIndex());
  if (m_value)
    m_value->SetValue(static_cast<double>(currentIndex()));
}

bool TNoxComboBox::ArrowOnClosedList(bool next) {
  if (!m_arrowMoveFocus)
    return false;
  MoveFocusOrTabOrder(next);
  return true;
}

// ------------------------------------------------------------ companions

void TNoxComboBox::changeEvent(QEvent *event) {
  KeyedComboBox::changeEvent(event);
  if (event->type() == QEvent::EnabledChange && m_caption)
    m_caption->OwnerEnabledChanged();
}

void TNoxComboBox::CompanionsFollowBounds() {
  if (m_caption)
    m_caption->Place();
}

void TNoxComboBox::CompanionsFollowParent() {
  if (m_caption)
    m_caption->OwnerParentChanged();
}

void TNoxComboBox::CompanionsFollowVisibility(bool visible) {
  if (m_caption)
    m_caption->OwnerVisibilityChanged(visible);
}
