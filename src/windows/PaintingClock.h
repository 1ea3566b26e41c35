#pragma once
#include "platform/Clock.h"

class UserInterface;

// The desktop program's clock. A wait the unit demands (the second after an
// ignition-type change, a load's waits, the erase's) is no reason to freeze
// the windows: on the GUI thread it runs the event loop until the time is up,
// so windows repaint and live values move, while input is dropped as during
// a wait window (the busy cursor's block). Other threads simply sleep.
class PaintingClock final : public Clock {
public:
  explicit PaintingClock(UserInterface &ui) : m_ui(ui) {}

  std::uint32_t TickCount() override { return m_system.TickCount(); }
  void Sleep(std::uint32_t milliseconds) override;
  // Whether the GUI thread is inside such a wait now.
  bool Waiting() const { return m_depth > 0; }

private:
  UserInterface &m_ui;
  SystemClock m_system;
  int m_depth = 0;
};
