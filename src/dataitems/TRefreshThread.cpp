#include "dataitems/TRefreshThread.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>

TRefreshThread::TRefreshThread(QObject *guiContext, std::function<void()> cycle, int sleepTime)
    : m_guiContext(guiContext), m_cycle(std::move(cycle)), m_sleepTime(std::max(20, sleepTime)) {}

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

    const std::uint64_t ticket = ++m_requested;
    QObject *context = m_guiContext.data();
    if (!context)
      break;
    // Queued: the GUI thread runs it when it next processes events. If the
    // context is destroyed first, Qt drops the call.
    QMetaObject::invokeMethod(context, [this, ticket] { RunCycleOnGuiThread(ticket); }, Qt::QueuedConnection);
    m_wake.wait(lock, [this, ticket] { return m_terminated || m_completed >= ticket; });
  }
  m_suspended = true;
}

void TRefreshThread::RunCycleOnGuiThread(std::uint64_t ticket) {
  // The thread is told the cycle is over however it ends, an exception from
  // a handler included; otherwise it would wait for ever.
  struct Completion {
    TRefreshThread &thread;
    std::uint64_t ticket;
    ~Completion() {
      {
        std::lock_guard<std::mutex> guard(thread.m_mutex);
        thread.m_completed = std::max(thread.m_completed, ticket);
      }
      thread.m_wake.notify_all();
    }
  } completion{*this, ticket};
  if (!m_terminated && m_cycle)
    m_cycle();
}
