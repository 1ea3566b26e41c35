#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

// Lets GUI events run until the condition holds; false after 5 s.
template <typename Condition> bool WaitFor(Condition &&condition) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > 5000)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}
