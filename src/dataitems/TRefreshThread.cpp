#include "dataitems/TRefreshThread.h"

#include <algorithm>
#include <chrono>

TRefreshThread::TRefreshThread(std::function<void()> cycle, int sleepTime)
    : m_cycle(std::move(cycle)), m_sleepTime(std::max(20, sleepTime)) {}

TRefreshThread::~TRefreshThread() { Terminate(); }

void TRefreshThread::SetRunning(bool value) {
  {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_running = value;
    // Resuming makes the thread not suspended at once, as a resumed thread is;
    // stopping again before it woke leaves it suspended where it was.
    if (value)
      m_suspended = false;
    else if (m_parked)
      m_suspended = true;
  }
  m_wake.notify_all();
}

void TRefreshThread::SetSleepTime(int value) {
  if (value > 0)
    m_sleepTime = value;
}

void TRefreshThread::Terminate() {
  {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_terminated = true;
  }
  m_wake.notify_all();
  wait();
}

void TRefreshThread::run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_terminated) {
    if (!m_running) {
      m_suspended = true;
      m_parked = true;
      m_wake.wait(lock, [this] { return m_terminated || m_running; });
      m_parked = false;
      if (m_terminated)
        break;
      m_suspended = false;
    }
    // The sleep ends early only to terminate.
    m_wake.wait_for(lock, std::chrono::milliseconds(m_sleepTime.load()), [this] { return m_terminated.load(); });
    if (m_terminated)
      break;
    // Unlocked: stopping and resuming must not wait for a read on the line.
    lock.unlock();
    if (m_cycle)
      m_cycle();
    lock.lock();
  }
  m_suspended = true;
}
