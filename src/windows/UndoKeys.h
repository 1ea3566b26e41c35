#pragma once
#include <QObject>

class QAction;
class QWidget;
class TSerialDataModule;
class UndoStack;

// Ctrl+Z (undo) and Ctrl+Shift+Z / Ctrl+Y (redo) of a window on the
// program's undo stack. They work whichever control has the focus: a text
// field would take them as its own undo of typing, so the window claims them
// before the field sees them. Nothing to undo is a beep.
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
  QWidget &m_window;
  UndoStack &m_stack;
  TSerialDataModule &m_module;
  QAction *m_undo;
  QAction *m_redo;
};
