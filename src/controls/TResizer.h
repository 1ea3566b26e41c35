#pragma once
#include "controls/ControlTypes.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

// The move-and-resize settings every bound control carries. The resizer sits
// in its target's event path as an event filter, but it is always locked: it
// hands every event on unchanged, so the control behaves as without it. It
// leaves the target's event path when it goes, and forgets a target that
// goes first.
class TResizer : public QObject {
  Q_OBJECT
  Q_PROPERTY(int ResizingBorder READ ResizingBorder WRITE setResizingBorder)
  Q_PROPERTY(Nox::TResizingMode ResizingMode READ ResizingMode WRITE setResizingMode)
  Q_PROPERTY(int GridDimension READ GridDimension WRITE setGridDimension)
  Q_PROPERTY(bool FixDblClick READ FixDblClick WRITE setFixDblClick)

public:
  using MoveEvent = std::function<void(TResizer *Sender, int &Left, int &Top)>;
  using ResizeEvent = std::function<void(TResizer *Sender, int DeltaWidth, int DeltaHeight)>;

  // With a target, the resizer is the target's child and filters its events.
  explicit TResizer(QWidget *target = nullptr);
  ~TResizer() override;

  QWidget *Target() const { return m_target; }
  bool Locked() const { return m_locked; }

  int ResizingBorder() const { return m_resizingBorder; }
  // Ignored when negative, or not below the target's smaller dimension.
  void setResizingBorder(int value);
  Nox::TResizingMode ResizingMode() const { return m_resizingMode; }
  void setResizingMode(Nox::TResizingMode value) { m_resizingMode = value; }
  int GridDimension() const { return m_gridDimension; }
  // Values of 0 or below become 1.
  void setGridDimension(int value) { m_gridDimension = value <= 0 ? 1 : value; }
  bool FixDblClick() const { return m_fixDblClick; }
  void setFixDblClick(bool value) { m_fixDblClick = value; }

  // Kept for the window descriptions; a locked resizer never raises them.
  MoveEvent OnMove;
  ResizeEvent OnResize;

  // Locks again after the window description has been applied.
  void Loaded() { m_locked = true; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  QPointer<QWidget> m_target;
  bool m_locked = true;
  int m_resizingBorder = 8;
  Nox::TResizingMode m_resizingMode = Nox::raHorizontal | Nox::raMove;
  int m_gridDimension = 10;
  bool m_fixDblClick = true;
};
