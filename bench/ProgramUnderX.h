#pragma once
// Helpers of the benchmarks that run the desktop program on an X display and
// drive it from outside.
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

// Waits for a line the program reports on standard output (NOX_REPORT_STARTUP).
inline bool WaitForLine(QProcess &process, const QByteArray &line, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < timeoutMs) {
    while (process.canReadLine())
      if (process.readLine().trimmed() == line)
        return true;
    if (process.state() == QProcess::NotRunning)
      return false;
    process.waitForReadyRead(20);
  }
  return false;
}

// Runs xdotool and returns what it printed.
inline QString Xdotool(const QStringList &arguments) {
  QProcess xdotool;
  xdotool.start(QStringLiteral("xdotool"), arguments);
  xdotool.waitForFinished(5000);
  return QString::fromLocal8Bit(xdotool.readAllStandardOutput()).trimmed();
}

// Waits until the window manager reports this window (an xdotool window id)
// as the active one.
inline bool WaitUntilActive(const QString &window, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < timeoutMs) {
    if (Xdotool({QStringLiteral("getactivewindow")}) == window)
      return true;
    QThread::msleep(50);
  }
  return false;
}
