#pragma once
#include "history/UndoStack.h"

#include <QObject>

class QAction;
class QWidget;
class TSerialDataModule;

// Ctrl+Z (undo) and Ctrl+Shift+Z / Ctrl+Y (redo) of a window on the
// program's undo stack. They work whichever control has the focus: a text
// field would take them as its own undo of typing, so the window claims them
// before the field sees them. Nothing to undo is a beep; what was undone or
// redone is shown: its page comes up, its field takes the focus.
class UndoKeys : public QObject {
  Q_OBJECT
public:
  UndoKeys(QWidget &window, UndoStack &stack, TSerialDataModule &module);
  ~UndoKeys() override;

  void ApplyTexts();
  QAction *UndoAction() const { return m_undo; }
  QAction *RedoAction() const { return m_redo; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void Answer(UndoStack::Outcome outcome);
  void ShowChangedField();

  QWidget &m_window;
  UndoStack &m_stack;
  TSerialDataModule &m_module;
  QAction *m_undo;
  QAction *m_redo;
};
