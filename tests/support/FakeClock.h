#pragma once
#include "platform/Clock.h"

#include <atomic>
#include <vector>

// A clock the test drives by hand. Installs itself for its lifetime; sleeping
// only records the request and moves the tick on.
class FakeClock : public Clock {
public:
  FakeClock() { Clock::SetCurrent(this); }
  ~FakeClock() override { Clock::SetCurrent(nullptr); }

  std::uint32_t TickCount() override { return Tick.load(); }
  void Sleep(std::uint32_t milliseconds) override {
    Sleeps.push_back(milliseconds);
    Tick += milliseconds;
  }

  std::atomic<std::uint32_t> Tick{0};
  std::vector<std::uint32_t> Sleeps;
};
