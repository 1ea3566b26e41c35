#pragma once
#include "platform/Clock.h"

#include <QObject>

// The desktop program's clock. A wait the unit demands (the second after an
// ignition-type change, a load's waits, the erase's) is no reason to freeze
// the windows: on the GUI thread it runs the event loop until the time is up,
// so windows repaint, timers run and live values move. The fitter's keys and
// clicks are held meanwhile, not lost: the window system keeps them queued
// and they are handled once the wait is over, in order, as they were when
// the wait froze the program. Input handed over directly rather than through
// that queue, and the window manager's close, are dropped. Other threads
// simply sleep.
class PaintingClock final : public Clock {
public:
  std::uint32_t TickCount() override { return m_system.TickCount(); }
  void Sleep(std::uint32_t milliseconds) override;
  // Whether the GUI thread is inside such a wait now.
  bool Waiting() const { return m_depth > 0; }

private:
  class InputHold : public QObject {
  public:
    bool eventFilter(QObject *watched, QEvent *event) override;
  };
  SystemClock m_system;
  int m_depth = 0;
};
