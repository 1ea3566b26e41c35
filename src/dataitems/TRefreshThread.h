#pragma once
#include <QObject>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// Paces the refresh cycles. It only sleeps, suspends itself while no cycles
// are wanted, and asks the GUI thread to run each cycle, waiting until it has.
//
// The GUI thread may at the same time be waiting for this thread (to stop it,
// or to destroy it). So this thread never waits for the GUI thread
// unconditionally: every wait also ends when it is told to terminate.
class TRefreshThread : public QThread {
  Q_OBJECT
public:
  // cycle runs on the thread of guiContext (the refresher's thread).
  TRefreshThread(QObject *guiContext, std::function<void()> cycle, int sleepTime);
  ~TRefreshThread() override;

  void SetRunning(bool value);
  bool Running() const { return m_running.load(); }
  bool Suspended() const { return m_suspended.load(); }
  // Values below 1 are ignored.
  void SetSleepTime(int value);
  // Ends the loop at its next step and waits until it has ended.
  void Terminate();
  // Cycles handed to the GUI thread so far (for inspection).
  std::uint64_t CyclesRequested() const { return m_requested.load(); }

protected:
  void run() override;

private:
  // Called on the GUI thread through its event queue.
  void RunCycleOnGuiThread(std::uint64_t ticket);

  QPointer<QObject> m_guiContext;
  std::function<void()> m_cycle;
  std::atomic<bool> m_running{false};
  std::atomic<bool> m_suspended{true};
  std::atomic<bool> m_terminated{false};
  std::atomic<int> m_sleepTime;
  std::atomic<std::uint64_t> m_requested{0};
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::uint64_t m_completed = 0; // guarded by m_mutex
  bool m_parked = false;         // guarded by m_mutex: waiting to be resumed
};
