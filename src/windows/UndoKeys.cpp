#include "windows/UndoKeys.h"

#include "ecuconfig/TSerialDataModule.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ConfigurationPages.h"
#include "history/UndoStack.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>
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
  connect(m_undo, &QAction::triggered, this, [this] { Answer(m_stack.Undo()); });
  connect(m_redo, &QAction::triggered, this, [this] { Answer(m_stack.Redo()); });
  ApplyTexts();
  qApp->installEventFilter(this);
}

UndoKeys::~UndoKeys() {
  qApp->removeEventFilter(this);
}

void UndoKeys::Answer(UndoStack::Outcome outcome) {
  if (outcome == UndoStack::Outcome::Nothing)
    QApplication::beep();
  else if (outcome == UndoStack::Outcome::Done)
    ShowChangedField();
}

// A change put back on a page out of sight would look like nothing at all:
// its page comes up and its field takes the focus (the check box that shows
// it, while the field itself is hidden).
void UndoKeys::ShowChangedField() {
  const ConfigurationField *field =
      ConfigurationPages::FieldShowing(m_module, m_stack.LastReplayedItem(), m_stack.LastReplayedBits());
  if (!field)
    return;
  auto *control = m_window.findChild<QWidget *>(QLatin1String(field->Control));
  if (!control)
    return;
  for (QWidget *page = control; page && page != &m_window; page = page->parentWidget())
    if (auto *pages = qobject_cast<QTabWidget *>(page->parentWidget() ? page->parentWidget()->parentWidget() : nullptr);
        pages && pages->indexOf(page) >= 0)
      pages->setCurrentWidget(page);
  if (!control->isVisible() && field->ShownWith)
    control = m_window.findChild<QWidget *>(QLatin1String(field->ShownWith));
  if (control && control->isVisible() && control->isEnabled())
    control->setFocus(Qt::OtherFocusReason);
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
