#include "dataitems/ProtocolLine.h"

ProtocolLine::ProtocolLine() {
  m_thread = std::thread([this] { Loop(); });
  // Jobs reach the thread only through m_mutex, after this assignment.
  std::lock_guard<std::mutex> guard(m_mutex);
  m_threadId = m_thread.get_id();
}

ProtocolLine::~ProtocolLine() { Stop(); }

bool ProtocolLine::Run(const std::function<void()> &job) {
  if (OnLineThread()) {
    job();
    return true;
  }
  Job entry;
  entry.Work = &job;
  std::unique_lock<std::mutex> lock(m_mutex);
  if (m_stopping)
    return false;
  m_jobs.push_back(&entry);
  m_wake.notify_one();
  m_done.wait(lock, [&entry] { return entry.Done; });
  lock.unlock();
  if (entry.Error)
    std::rethrow_exception(entry.Error);
  return true;
}

void ProtocolLine::Stop() {
  {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_stopping)
      return;
    m_stopping = true;
  }
  m_wake.notify_one();
  m_thread.join();
}

void ProtocolLine::Loop() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
    if (m_jobs.empty())
      return; // stopping, and every job asked before has run
    Job *job = m_jobs.front();
    m_jobs.pop_front();
    lock.unlock();
    try {
      (*job->Work)();
    } catch (...) {
      job->Error = std::current_exception();
    }
    lock.lock();
    job->Done = true;
    m_done.notify_all();
  }
}
