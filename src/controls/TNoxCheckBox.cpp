#include "controls/TNoxCheckBox.h"

#include "controls/BoundItem.h"
#include "controls/UnreadLook.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"

namespace {
// Lifts an item's limits for one write and puts the old setting back.
class LimitsLifted {
public:
  explicit LimitsLifted(TNoxNumber &item) : m_item(item), m_saved(item.DisableLimits()) {
    m_item.SetDisableLimits(true);
  }
  ~LimitsLifted() { m_item.SetDisableLimits(m_saved); }
  LimitsLifted(const LimitsLifted &) = delete;
  LimitsLifted &operator=(const LimitsLifted &) = delete;

private:
  TNoxNumber &m_item;
  bool m_saved;
};
} // namespace

TNoxCheckBox::TNoxCheckBox(QWidget *parent) : QCheckBox(parent), ResizerSettings(this) {
  setTristate(false);
  setChecked(false);
  // Runs before any handler a window connects later: the window's Click
  // handler sees the new state before the value is written.
  connect(this, &QAbstractButton::clicked, this, [this] {
    Q_EMIT Click();
    Write();
  });
}

TNoxCheckBox::~TNoxCheckBox() {
  if (m_value)
    m_value->RemoveObserver(this);
}

void TNoxCheckBox::setValue(TNoxNumber *item) {
  if (m_value)
    m_value->RemoveObserver(this);
  m_value = item;
  if (m_value)
    m_value->AddObserver(this);
}

void TNoxCheckBox::setCondition(Nox::TCheckCondition condition) {
  m_condition = condition;
  Reread();
}

void TNoxCheckBox::setConditionValue(double value) {
  m_conditionValue = value;
  Reread();
}

void TNoxCheckBox::Reread() {
  if (!m_value)
    return;
  double value = 0;
  ReloadUserValue(*m_value, value);
  ShowUserValue(value);
}

bool TNoxCheckBox::event(QEvent *event) {
  const auto message = static_cast<std::uint32_t>(event->type());
  if (message == MSG_DATA_CHANGED || message == MSG_PACKET_DATA) {
    if (m_value) {
      if (message == MSG_PACKET_DATA)
        m_value->SetRawValue(PacketRawValue(static_cast<const NoxMessageEvent &>(*event)));
      double value = 0;
      m_value->RefreshValue(value);
      ShowUserValue(value);
    }
    return true;
  }
  if (message == MSG_DATA_STATE) {
    if (m_value && m_value->ReadFailed())
      ShowUserValue(0);
    return true;
  }
  return QCheckBox::event(event);
}

void TNoxCheckBox::ShowUserValue(double x) {
  // Neither ticked nor clear: the unit did not say which.
  const bool unread = m_value && m_value->ReadFailed();
  UnreadLook::Show(this, unread);
  if (unread) {
    setCheckState(Qt::PartiallyChecked); // no click: nothing is written back
    return;
  }
  setTristate(false);
  bool checked = false;
  switch (m_condition) {
  case Nox::ccEqualTo:
    checked = x == m_conditionValue;
    break;
  case Nox::ccNotEqualTo:
    checked = x != m_conditionValue;
    break;
  case Nox::ccMinorOf:
    checked = x < m_conditionValue;
    break;
  case Nox::ccGreaterOf:
    checked = x > m_conditionValue;
    break;
  case Nox::ccMaskedBit: {
    std::int32_t value = 0;
    std::int32_t mask = 0;
    checked = NumberConversion::TruncateToInt32(x, value) &&
              NumberConversion::TruncateToInt32(m_conditionValue, mask) && (value & mask) == m_checkedValue;
    break;
  }
  }
  setChecked(checked); // no click: nothing is written back
}

void TNoxCheckBox::Write() {
  if (!m_value)
    return;
  const double wanted = isChecked() ? m_checkedValue : m_uncheckedValue;
  if (m_condition != Nox::ccMaskedBit) {
    LimitsLifted lifted(*m_value);
    m_value->SetValue(wanted);
    return;
  }
  double current = 0;
  if (!m_value->RefreshValue(current))
    return;
  std::int32_t value = 0, mask = 0, pattern = 0;
  if (!NumberConversion::TruncateToInt32(current, value) ||
      !NumberConversion::TruncateToInt32(m_conditionValue, mask) ||
      !NumberConversion::TruncateToInt32(wanted, pattern))
    return;
  m_value->SetValue(static_cast<double>((value & ~mask) | (pattern & mask)));
}
