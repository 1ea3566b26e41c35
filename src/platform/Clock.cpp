#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>

namespace {
std::atomic<Clock *> g_current{nullptr};

SystemClock &systemClock() {
  static SystemClock clock;
  return clock;
}
} // namespace

Clock &Clock::Current() {
  Clock *clock = g_current.load(std::memory_order_acquire);
  return clock ? *clock : systemClock();
}

void Clock::SetCurrent(Clock *clock) { g_current.store(clock, std::memory_order_release); }

std::uint32_t SystemClock::TickCount() {
  static const QElapsedTimer started = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
  }();
  // Truncation to 32 bits is the wrap-around the callers expect.
  return static_cast<std::uint32_t>(static_cast<quint64>(started.elapsed()) & 0xFFFFFFFFu);
}

void SystemClock::Sleep(std::uint32_t milliseconds) { QThread::msleep(milliseconds); }
