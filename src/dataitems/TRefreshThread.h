#pragma once
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

// Paces the refresh cycles: it sleeps, suspends itself while no cycles are
// wanted, and runs each cycle itself. A cycle waits only for the line thread
// (which never waits for anyone) and hands its results to the GUI thread
// without waiting, so the GUI thread can stop or destroy this thread at any
// time: the wait is at most the cycle under way.
class TRefreshThread : public QThread {
  Q_OBJECT
public:
  // cycle runs on this thread.
  TRefreshThread(std::function<void()> cycle, int sleepTime);
  ~TRefreshThread() override;

  void SetRunning(bool value);
  bool Running() const { return m_running.load(); }
  bool Suspended() const { return m_suspended.load(); }
  // Values below 1 are ignored.
  void SetSleepTime(int value);
  // Ends the loop at its next step and waits until it has ended.
  void Terminate();

protected:
  void run() override;

private:
  std::function<void()> m_cycle;
  std::atomic<bool> m_running{false};
  std::atomic<bool> m_suspended{true};
  std::atomic<bool> m_terminated{false};
  std::atomic<int> m_sleepTime;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_parked = false; // guarded by m_mutex: waiting to be resumed
};
