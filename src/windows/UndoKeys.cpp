#include "windows/UndoKeys.h"

#include "ecuconfig/TSerialDataModule.h"
#include "history/UndoStack.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

UndoKeys::UndoKeys(QWidget &window, UndoStack &stack, TSerialDataModule &module)
    : QObject(&window), m_window(window), m_stack(stack), m_module(module), m_undo(new QAction(&window)),
      m_redo(new QAction(&window)) {
  m_undo->setObjectName(QStringLiteral("ActionUndo"));
  m_redo->setObjectName(QStringLiteral("ActionRedo"));
  m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  for (QAction *action : {m_undo, m_redo}) {
    action->setShortcutContext(Qt::WindowShortcut);
    window.addAction(action);
  }
  connect(m_undo, &QAction::triggered, this, [this] {
    if (m_stack.Undo() == UndoStack::Outcome::Nothing)
      QApplication::beep();
  });
  connect(m_redo, &QAction::triggered, this, [this] {
    if (m_stack.Redo() == UndoStack::Outcome::Nothing)
      QApplication::beep();
  });
  ApplyTexts();
  qApp->installEventFilter(this);
}

UndoKeys::~UndoKeys() {
  qApp->removeEventFilter(this);
}

void UndoKeys::ApplyTexts() {
  m_undo->setText(m_module.Text(UndoStack::TEXT_UNDO));
  m_redo->setText(m_module.Text(UndoStack::TEXT_REDO));
}

bool UndoKeys::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType() ||
      static_cast<QWidget *>(watched)->window() != &m_window)
    return false;
  const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
  QList<QKeySequence> ours = m_undo->shortcuts();
  ours << m_redo->shortcuts();
  if (!ours.contains(pressed))
    return false;
  // Not overridden: the key goes to the shortcuts, never to the field.
  event->ignore();
  return true;
}
