#pragma once
#include "NoxProtocolObject.h"
#include "dataitems/ReentrantLock.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// The line thread: the one thread that makes every call into the protocol
// library, from loading it to unloading it. A library need not be
// thread-safe: it sees every call from the thread that created its object,
// one at a time, in the order the calls were asked for.
//
// Other threads hand it jobs and wait for them. The line thread itself never
// waits for another thread (a job only calls the library and posts), so a
// thread that waits for it always gets its answer.
class ProtocolLine {
public:
  ProtocolLine();
  ~ProtocolLine();
  ProtocolLine(const ProtocolLine &) = delete;
  ProtocolLine &operator=(const ProtocolLine &) = delete;

  // Runs job on the line thread after the jobs asked before it and waits
  // until it has run; an exception it throws comes back here. On the line
  // thread itself the job runs at once: a job that calls back into the line
  // must not wait for itself. False, without running it, once the line has
  // stopped.
  bool Run(const std::function<void()> &job);
  // Runs the jobs already asked for, then ends the thread; later jobs are
  // refused. Called by the owner before the library is gone.
  void Stop();
  bool OnLineThread() const { return std::this_thread::get_id() == m_threadId; }

  // The lock around each exchange with the library: a read and its
  // LastStatus form one bracket that nothing may come between. Re-entrant.
  // A thread that holds it may wait for line jobs; so the line thread only
  // ever tries it (try_lock), never waits for it.
  ReentrantLock &Lock() { return m_lock; }

  // The library's own object, null while none exists. Line thread only.
  NoxProtocolObject *Object() const { return m_object; }
  void SetObject(NoxProtocolObject *object) { m_object = object; }

private:
  struct Job {
    const std::function<void()> *Work = nullptr;
    bool Done = false;
    std::exception_ptr Error;
  };
  void Loop();

  std::mutex m_mutex;
  std::condition_variable m_wake; // the line thread: a job came, or stop
  std::condition_variable m_done; // the waiters: a job ended
  std::deque<Job *> m_jobs;       // guarded by m_mutex
  bool m_stopping = false;        // guarded by m_mutex
  ReentrantLock m_lock;
  NoxProtocolObject *m_object = nullptr;
  std::thread m_thread;
  std::thread::id m_threadId;
};

// The protocol object the rest of the program talks to: every operation
// becomes a job on the line thread, run on the library's own object, and the
// caller waits for its result. An operation asked once the object is gone or
// the line has stopped fails (false, or 0).
class LineProtocolObject final : public NoxProtocolObject {
public:
  explicit LineProtocolObject(ProtocolLine &line) : m_line(line) {}
  ~LineProtocolObject() = default;

  std::int32_t SetOptionA(std::int32_t v) override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.SetOptionA(v); });
  }
  std::int32_t SetOptionB(std::int32_t v) override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.SetOptionB(v); });
  }
  std::int32_t Release() override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.Release(); });
  }
  std::int32_t SetNotifyWindow(const NoxNotifyHandle *h) override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.SetNotifyWindow(h); });
  }
  std::int32_t SelectModeA() override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.SelectModeA(); });
  }
  std::int32_t SelectModeB() override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.SelectModeB(); });
  }
  std::int32_t SetOptionD(std::int32_t v) override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.SetOptionD(v); });
  }
  std::int32_t SetOptionC(std::int32_t v) override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.SetOptionC(v); });
  }
  bool Connect() override {
    return Call(false, [&](NoxProtocolObject &o) { return o.Connect(); });
  }
  std::int32_t Disconnect() override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.Disconnect(); });
  }
  bool ReadValue(std::uint32_t c, std::int32_t *v) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.ReadValue(c, v); });
  }
  bool ReadRowValue(std::uint32_t c, std::int32_t *v, std::int32_t r) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.ReadRowValue(c, v, r); });
  }
  bool ReadTableValue(std::uint32_t c, std::int32_t *v, std::int32_t r, std::int32_t col) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.ReadTableValue(c, v, r, col); });
  }
  bool ReadPacket(std::uint32_t c, std::uint8_t *b, std::int32_t *l) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.ReadPacket(c, b, l); });
  }
  bool ReadAtAddress(std::uint32_t c, std::int32_t a, std::int32_t *v) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.ReadAtAddress(c, a, v); });
  }
  bool WriteValue(std::uint32_t c, std::int32_t v) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.WriteValue(c, v); });
  }
  bool WriteRowValue(std::uint32_t c, std::int32_t r, std::int32_t v) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.WriteRowValue(c, r, v); });
  }
  bool WriteTableValue(std::uint32_t c, std::int32_t r, std::int32_t col, std::int32_t v) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.WriteTableValue(c, r, col, v); });
  }
  bool WriteAtAddress(std::uint32_t c, std::int32_t a, std::int32_t v) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.WriteAtAddress(c, a, v); });
  }
  bool ReadIdentification(NoxIdentification *r) override {
    return Call(false, [&](NoxProtocolObject &o) { return o.ReadIdentification(r); });
  }
  bool IsConnected() override {
    return Call(false, [&](NoxProtocolObject &o) { return o.IsConnected(); });
  }
  std::int32_t LastStatus() override {
    return Call(std::int32_t{0}, [&](NoxProtocolObject &o) { return o.LastStatus(); });
  }

private:
  template <typename Result, typename Operation> Result Call(Result failed, Operation operation) {
    Result result = failed;
    m_line.Run([&] {
      if (NoxProtocolObject *object = m_line.Object())
        result = operation(*object);
    });
    return result;
  }

  ProtocolLine &m_line;
};
