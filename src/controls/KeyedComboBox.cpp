#include "controls/KeyedComboBox.h"

#include "controls/FocusMoves.h"

#include <QAbstractItemView>
#include <QKeyEvent>

KeyedComboBox::KeyedComboBox(QWidget *parent) : QComboBox(parent), DecorationSettings(this) {
  setEditable(false);
  view()->installEventFilter(this);
  // However the list closes (Enter, Esc, a click on an item or outside), the
  // next Enter opens it again: only a choice made in it arms a commit.
  if (QWidget *container = view()->parentWidget())
    container->installEventFilter(this);
  // Only the fitter's own choices count: refilling the list or showing a
  // value never commits anything.
  connect(this, &QComboBox::activated, this, &KeyedComboBox::UserChose);
}

bool KeyedComboBox::ListOpen() const {
  return view() && view()->isVisible();
}

void KeyedComboBox::showPopup() {
  m_indexBeforeUser = currentIndex();
  QComboBox::showPopup();
  m_armed = true;
}

void KeyedComboBox::UserChose(int index) {
  if (index == m_indexBeforeUser)
    return;
  m_indexBeforeUser = index;
  Q_EMIT Change();
  if (ListOpen())
    return; // committed by a later Enter
  m_armed = true;
  TypedEnter();
}

// An Enter typed into the control, or the change rule acting as one.
void KeyedComboBox::TypedEnter() {
  if (m_armed)
    ArmedEnter();
  else
    showPopup();
  m_armed = ListOpen();
}

// ------------------------------------------------------------------ keys

void KeyedComboBox::keyPressEvent(QKeyEvent *event) {
  const int key = event->key();
  const bool plain = !(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier));
  m_indexBeforeUser = currentIndex();
  if (key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_Left || key == Qt::Key_Right) {
    event->accept();
    return;
  }
  if ((key == Qt::Key_Up || key == Qt::Key_Down) && plain && ArrowOnClosedList(key == Qt::Key_Down)) {
    event->accept();
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    event->accept(); // never a dialog's default button
    TypedEnter();
    return;
  }
  QComboBox::keyPressEvent(event); // incremental search, Home, End, F4...
  if (!event->text().isEmpty())
    m_armed = ListOpen();
}

// A wheel turned over a closed list must never reach the unit: the pointer
// merely rests on the control while the fitter scrolls the window. The open
// list scrolls itself and commits nothing until a choice is confirmed.
void KeyedComboBox::wheelEvent(QWheelEvent *event) {
  event->ignore();
}

bool KeyedComboBox::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Hide && view() && watched == view()->parentWidget())
    m_armed = false;
  if (watched == view() && event->type() == QEvent::KeyPress && ListKey(static_cast<QKeyEvent *>(event)))
    return true;
  return QComboBox::eventFilter(watched, event);
}

// Keys of the open list; true when consumed.
bool KeyedComboBox::ListKey(QKeyEvent *event) {
  const int key = event->key();
  const int rows = count();
  const int row = view()->currentIndex().row();
  switch (key) {
  case Qt::Key_Escape:
    hidePopup();
    m_armed = false;
    setCurrentIndex(m_remembered);
    return true;
  case Qt::Key_Left:
  case Qt::Key_Right:
    return true;
  case Qt::Key_Up:
  case Qt::Key_Down: {
    const bool down = key == Qt::Key_Down;
    if (rows == 0 || row != (down ? rows - 1 : 0))
      return false;
    view()->setCurrentIndex(model()->index(down ? 0 : rows - 1, modelColumn(), rootModelIndex()));
    return true;
  }
  default:
    return false;
  }
}

// ------------------------------------------------------------------ focus

void KeyedComboBox::MoveFocusOrTabOrder(bool next) {
  QWidget *target = next ? NextControl() : PrevControl();
  if (CanTakeFocus(target))
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  else
    focusNextPrevChild(next);
}

void KeyedComboBox::focusInEvent(QFocusEvent *event) {
  const bool entering = m_entry.Arrive();
  if (entering) {
    m_armed = false;
    m_remembered = currentIndex();
  }
  QComboBox::focusInEvent(event);
  if (entering)
    Q_EMIT Entered();
}

void KeyedComboBox::focusOutEvent(QFocusEvent *event) {
  // Opening the list hands the focus to the list itself: that is no leaving.
  // The list closes by itself when the fitter clicks elsewhere.
  const bool leaving = !ListOpen() && m_entry.Depart(event->reason());
  QComboBox::focusOutEvent(event);
  if (leaving)
    Q_EMIT Exited();
}

void KeyedComboBox::hideEvent(QHideEvent *event) {
  QComboBox::hideEvent(event);
  if (event->spontaneous() || !m_entry.Drop())
    return;
  m_armed = false;
  Q_EMIT Exited();
}

// ------------------------------------------------------------------ companions

void KeyedComboBox::setVisible(bool visible) {
  QComboBox::setVisible(visible);
  m_decoration.ControlVisibilityChanged(visible);
  CompanionsFollowVisibility(visible);
}

bool KeyedComboBox::event(QEvent *event) {
  const bool handled = QComboBox::event(event);
  if (event->type() == QEvent::ParentChange) {
    m_decoration.ControlParentChanged();
    CompanionsFollowParent();
  }
  return handled;
}

void KeyedComboBox::moveEvent(QMoveEvent *event) {
  QComboBox::moveEvent(event);
  m_decoration.ControlBoundsChanged();
  CompanionsFollowBounds();
}

void KeyedComboBox::resizeEvent(QResizeEvent *event) {
  QComboBox::resizeEvent(event);
  m_decoration.ControlBoundsChanged();
  CompanionsFollowBounds();
}
