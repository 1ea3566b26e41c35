#pragma once
#include <cstdint>

// Millisecond tick and sleep. Everything that waits or measures intervals asks
// the current clock, so that tests can replace it with one they drive by hand
// and check intervals exactly instead of depending on the machine's speed.
class Clock {
public:
  virtual ~Clock() = default;

  // Milliseconds since an arbitrary start, wrapping around at 2^32 like the
  // system tick count; compare with unsigned arithmetic.
  virtual std::uint32_t TickCount() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // The clock in force; the system clock unless a test installed another.
  static Clock &Current();
  // nullptr puts the system clock back. The caller keeps ownership.
  static void SetCurrent(Clock *clock);
};

// The real thing: a monotonic tick and a blocking sleep of the calling thread.
class SystemClock final : public Clock {
public:
  std::uint32_t TickCount() override;
  void Sleep(std::uint32_t milliseconds) override;
};
