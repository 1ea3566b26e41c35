#include "controls/NumberEditBase.h"

#include <QEvent>
#include <QKeyEvent>

NumberEditBase::NumberEditBase(QWidget *parent) : QLineEdit(parent), DecorationSettings(this) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setText(QStringLiteral("0"));
  resize(96, sizeHint().height());
}

void NumberEditBase::setVisible(bool visible) {
  QLineEdit::setVisible(visible);
  m_decoration.ControlVisibilityChanged(visible);
  CompanionsFollowVisibility(visible);
}

bool NumberEditBase::event(QEvent *event) {
  const bool handled = QLineEdit::event(event);
  if (event->type() == QEvent::ParentChange) {
    m_decoration.ControlParentChanged();
    CompanionsFollowParent();
  }
  return handled;
}

void NumberEditBase::moveEvent(QMoveEvent *event) {
  QLineEdit::moveEvent(event);
  m_decoration.ControlBoundsChanged();
  CompanionsFollowBounds();
}

void NumberEditBase::resizeEvent(QResizeEvent *event) {
  QLineEdit::resizeEvent(event);
  m_decoration.ControlBoundsChanged();
  CompanionsFollowBounds();
}

void NumberEditBase::focusInEvent(QFocusEvent *event) {
  const bool entering = m_entry.Arrive();
  if (entering)
    EnteringField();
  QLineEdit::focusInEvent(event);
  if (!entering)
    return;
  Q_EMIT Entered();
  // The first key replaces the value, whichever way the fitter came in.
  selectAll();
}

void NumberEditBase::focusOutEvent(QFocusEvent *event) {
  const bool leaving = m_entry.Depart(event->reason());
  if (leaving)
    LeavingField();
  QLineEdit::focusOutEvent(event);
  if (leaving)
    Q_EMIT Exited();
}

void NumberEditBase::hideEvent(QHideEvent *event) {
  QLineEdit::hideEvent(event);
  // A minimised window comes back as it was; a closed one must not keep
  // typing that was never confirmed for its next showing.
  if (event->spontaneous() || !m_entry.Drop())
    return;
  LeavingField();
  Q_EMIT Exited();
}

void NumberEditBase::InsertTyped(QKeyEvent *original, QChar character) {
  QKeyEvent typed(QEvent::KeyPress, original->key(), original->modifiers(), QString(character),
                  original->isAutoRepeat(), static_cast<quint16>(original->count()));
  QLineEdit::keyPressEvent(&typed);
  original->setAccepted(typed.isAccepted());
}

bool NumberEditBase::RaiseKeyDown(QKeyEvent *event) {
  int key = event->key();
  Q_EMIT KeyDown(key);
  if (key != 0)
    return true;
  event->accept();
  return false;
}
