#pragma once
#include <QRecursiveMutex>
#include <atomic>

// The connection's lock around each exchange with the protocol object.
// Re-entrant, and it counts how deep it is held so that the exact places
// where it is held can be checked.
class ReentrantLock {
public:
  void lock() {
    m_mutex.lock();
    m_depth.fetch_add(1, std::memory_order_relaxed);
  }
  void unlock() {
    m_depth.fetch_sub(1, std::memory_order_relaxed);
    m_mutex.unlock();
  }
  bool try_lock() {
    if (!m_mutex.tryLock())
      return false;
    m_depth.fetch_add(1, std::memory_order_relaxed);
    return true;
  }
  // How many times the owning thread holds the lock now (0 = free).
  int Depth() const { return m_depth.load(std::memory_order_relaxed); }

private:
  QRecursiveMutex m_mutex;
  std::atomic<int> m_depth{0};
};
