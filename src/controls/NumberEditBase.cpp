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

bool NumberEditBase::CountsAsFocusMove(Qt::FocusReason reason) {
  return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
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
