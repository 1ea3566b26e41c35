#include "controls/TNoxLabel.h"

#include "controls/FloatText.h"
#include "controls/NumberPattern.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxPacketData.h"

TNoxLabel::TNoxLabel(QWidget *parent) : QLabel(parent), ResizerSettings(this) {
  m_onColor = m_offColor = palette().color(QPalette::WindowText);
  m_caption = TChildLabel::CreateFor(this);
  Redraw();
}

TNoxLabel::~TNoxLabel() {
  if (m_value)
    m_value->RemoveObserver(this);
}

void TNoxLabel::setValue(TNoxSerialData *item) {
  if (item && !qobject_cast<TNoxPacketData *>(item))
    return;
  if (m_value)
    m_value->RemoveObserver(this);
  m_value = item;
  if (m_value)
    m_value->AddObserver(this);
}

bool TNoxLabel::event(QEvent *event) {
  const auto message = static_cast<std::uint32_t>(event->type());
  if (message == MSG_DATA_CHANGED) {
    TakeItemValue();
    Redraw();
    return true;
  }
  if (message == MSG_PACKET_DATA || message == MSG_DATA_STATE)
    return true;
  const bool handled = QLabel::event(event);
  if (event->type() == QEvent::ParentChange && m_caption)
    m_caption->OwnerParentChanged();
  return handled;
}

// A live value's user value comes from its cached raw value: no exchange.
void TNoxLabel::TakeItemValue() {
  if (!m_value)
    return;
  if (FlagStyle())
    m_state = m_value->GetIntValue() != 0;
  else
    m_lastValue = m_value->GetValue();
}

void TNoxLabel::SetAvailable(bool available) {
  m_available = available;
  Redraw();
}

void TNoxLabel::Redraw() {
  if (!m_available) {
    setText(QString());
    return;
  }
  if (FlagStyle()) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, m_state ? m_onColor : m_offColor);
    setPalette(colours);
    setText(m_state ? m_onText : m_offText);
    return;
  }
  setText(m_dataFormat.isEmpty() ? FloatToText(m_lastValue) : FormatWithPattern(m_lastValue, m_dataFormat));
}

void TNoxLabel::setStyle(Nox::TLabelStyle style) {
  m_style = style;
  const bool labelled = style == Nox::lsLabeledValue || style == Nox::lsLabeledFlag;
  if (!labelled)
    delete m_caption;
  else if (!m_caption)
    m_caption = TChildLabel::CreateFor(this);
  Redraw();
}

void TNoxLabel::setOnText(const QString &text) {
  m_onText = text;
  Redraw();
}
void TNoxLabel::setOffText(const QString &text) {
  m_offText = text;
  Redraw();
}
void TNoxLabel::setOnColor(const QColor &colour) {
  m_onColor = colour;
  Redraw();
}
void TNoxLabel::setOffColor(const QColor &colour) {
  m_offColor = colour;
  Redraw();
}
void TNoxLabel::setDataFormat(const QString &format) {
  m_dataFormat = format;
  Redraw();
}
void TNoxLabel::setState(bool state) {
  m_state = state;
  Redraw();
}

void TNoxLabel::setVisible(bool visible) {
  QLabel::setVisible(visible);
  if (m_caption)
    m_caption->OwnerVisibilityChanged(visible);
}

void TNoxLabel::moveEvent(QMoveEvent *event) {
  QLabel::moveEvent(event);
  if (m_caption)
    m_caption->Place();
}

void TNoxLabel::resizeEvent(QResizeEvent *event) {
  QLabel::resizeEvent(event);
  if (m_caption)
    m_caption->Place();
}
