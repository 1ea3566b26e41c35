#pragma once
// The state of one thread, sampled every millisecond from
// /proc/<pid>/task/<tid>/syscall (Linux): inside a sleep (the simulated unit
// sleeps the thread that calls it) or a futex wait (a thread waiting for the
// line thread) it waits on the line; inside poll it is idle.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <thread>

struct Samples {
  long long Waiting = 0, Idle = 0, Running = 0, Other = 0;
  long long Total() const { return Waiting + Idle + Running + Other; }
};

// Samples the thread's state until stop is set.
inline void Sample(const QString &file, const std::atomic<bool> &stop, Samples &samples) {
  QFile syscall(file);
  while (!stop.load()) {
    if (syscall.open(QIODevice::ReadOnly)) {
      const QByteArray line = syscall.readAll();
      syscall.close();
      bool number = false;
      const int call = line.split(' ').value(0).trimmed().toInt(&number);
      if (!number)
        ++samples.Running; // "running": in user space
      else if (call == 35 || call == 230 || call == 202) // nanosleep, clock_nanosleep, futex
        ++samples.Waiting;
      else if (call == 7 || call == 271 || call == 232 || call == 281) // poll, ppoll, epoll_wait, epoll_pwait
        ++samples.Idle;
      else
        ++samples.Other;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}
