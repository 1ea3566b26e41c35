#include "controls/TChildLabel.h"

#include "controls/FocusMoves.h"

#include <QEvent>
#include <QMouseEvent>

TChildLabel::TChildLabel(QWidget *parent) : QLabel(parent) {
  setObjectName(QStringLiteral("ChildLabel"));
  setAttribute(Qt::WA_TranslucentBackground);
  QLabel::setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

TChildLabel *TChildLabel::CreateFor(QWidget *owner) {
  auto *label = new TChildLabel(owner->parentWidget());
  label->setOwner(owner);
  label->setFocusControl(owner);
  label->setCaption(owner->objectName());
  label->setVisible(owner->parentWidget() != nullptr);
  // A window description names the owner after creating it: a caption that
  // is empty or still the old name follows the new name.
  connect(owner, &QObject::objectNameChanged, label,
          [label, previous = owner->objectName()](const QString &name) mutable {
            if (label->text().isEmpty() || label->text().compare(previous, Qt::CaseInsensitive) == 0)
              label->setCaption(name);
            previous = name;
          });
  return label;
}

void TChildLabel::setOwner(QWidget *owner) {
  m_owner = owner;
  Place();
}

void TChildLabel::setLabelPosition(Nox::TLabelPosition position) {
  m_position = position;
  Place();
}

void TChildLabel::setLabelSpacing(int spacing) {
  m_spacing = spacing;
  Place();
}

void TChildLabel::setCaptionAlignment(Qt::Alignment alignment) {
  QLabel::setAlignment(alignment);
  Place();
}

void TChildLabel::setAutoSize(bool on) {
  m_autoSize = on;
  FitToText();
}

void TChildLabel::setCaption(const QString &text) {
  QLabel::setText(text);
  FitToText();
}

void TChildLabel::FitToText() {
  if (!m_autoSize)
    return;
  resize(sizeHint());
  Place();
}

void TChildLabel::Place() {
  if (!m_owner)
    return;
  const QRect o = m_owner->geometry();
  const int s = m_spacing;
  const int w = width();
  const int h = height();
  int left = 0;
  int top = 0;
  const bool vertical = m_position == Nox::lpAbove || m_position == Nox::lpBelow;
  switch (m_position) {
  case Nox::lpAbove:
    left = o.left();
    top = o.top() - h - s;
    break;
  case Nox::lpBelow:
    left = o.left();
    top = o.top() + o.height() + s;
    break;
  case Nox::lpLeft:
    left = o.left() - s;
    top = o.top() + (o.height() - h) / 2;
    break;
  case Nox::lpRight:
    left = o.left() + o.width() + s;
    top = o.top() + (o.height() - h) / 2;
    break;
  }
  const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
  if (horizontal & Qt::AlignRight)
    left = vertical ? left + (o.width() - w) : left - w;
  else if (horizontal & Qt::AlignHCenter)
    left = vertical ? left + (o.width() - w) / 2 : left - w / 2;
  move(left, top);
}

void TChildLabel::OwnerParentChanged() {
  if (!m_owner)
    return;
  setParent(m_owner->parentWidget());
  setVisible(parentWidget() != nullptr);
  Place();
}

void TChildLabel::OwnerVisibilityChanged(bool visible) {
  if (parentWidget())
    setVisible(visible);
}

void TChildLabel::OwnerEnabledChanged() {
  if (m_owner)
    setEnabled(m_owner->isEnabled());
}

void TChildLabel::changeEvent(QEvent *event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
    FitToText();
}

void TChildLabel::mousePressEvent(QMouseEvent *event) {
  QLabel::mousePressEvent(event);
  m_pressed = event->button() == Qt::LeftButton;
}

void TChildLabel::mouseReleaseEvent(QMouseEvent *event) {
  QLabel::mouseReleaseEvent(event);
  const bool click =
      m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  m_pressed = false;
  if (!click)
    return;
  Q_EMIT Clicked();
  if (CanTakeFocus(m_focusControl))
    m_focusControl->setFocus(Qt::MouseFocusReason);
}
