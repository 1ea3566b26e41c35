// Start-up time and memory of the desktop program, measured from outside on
// a real X display (Xvfb will do) with a window manager running:
//   xvfb-run -a sh -c 'openbox & sleep 0.5; build/release/bin/startup_bench'
// Figures: the time from process start to the main window shown (--no-splash),
// median over 10 runs, target at most 300 ms, and the same for a bare Qt
// Widgets window (bare_window: a menu, four buttons, a status bar) started
// alternately in the same run, with the ratio of the two (target at most 2);
// the resident memory after
// connecting with Ctrl+C, target at most 40 MB. The program is then closed
// with F5, sent to the window that has the focus, which must be the main
// window again once the wait window has gone; it must exit with code 0.
#include "ProgramUnderX.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int Runs = 10;

// The program's main window; its caption names the product in every language.
QString MainWindow(qint64 pid) {
  return Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                  QString::number(pid), QStringLiteral("--name"), QStringLiteral("QMD652")})
      .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
      .value(0);
}

// Keys to whichever window has the focus.
void Keys(const QString &keys) {
  Xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

double ResidentMegabytes(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly))
    return -1;
  for (const QByteArray &line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:"))
      return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
  return -1;
}
} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fprintf(stderr, "startup_bench: needs an X display (run it under xvfb-run)\n");
    return 1;
  }
  const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/noxconfig");
  QTemporaryDir home;
  QFile unit(home.filePath(QStringLiteral("unit.ini")));
  if (!unit.open(QIODevice::WriteOnly))
    return 1;
  unit.close();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("NOX_REPORT_STARTUP"), QStringLiteral("1"));
  environment.insert(QStringLiteral("NOX_SIMECU_CONFIG"), unit.fileName());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));

  // The yardstick, started alternately with the program so that both see
  // the same load on the machine.
  std::vector<qint64> bareTimes;
  auto startBare = [&] {
    QProcess bare;
    bare.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    bare.start(QCoreApplication::applicationDirPath() + QStringLiteral("/bare_window"), {});
    if (WaitForLine(bare, "shown", 10000))
      bareTimes.push_back(timer.elapsed());
    bare.terminate();
    bare.waitForFinished(5000);
  };

  std::vector<qint64> times;
  double resident = -1;
  int exitCode = -1;
  for (int run = 0; run < Runs; ++run) {
    startBare();
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {QStringLiteral("--no-splash")});
    if (!WaitForLine(process, "shown", 10000)) {
      std::fprintf(stderr, "startup_bench: the main window was not shown\n");
      return 1;
    }
    times.push_back(timer.elapsed());
    if (run == Runs - 1) {
      const QString window = MainWindow(process.processId());
      // Just started: the window manager may not have given it the focus yet.
      Xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
      Keys(QStringLiteral("ctrl+c"));
      if (window.isEmpty() || !WaitForLine(process, "connected", 10000)) {
        std::fprintf(stderr, "startup_bench: the program did not connect\n");
        return 1;
      }
      QThread::msleep(500); // the wait window is gone and the read-all done
      resident = ResidentMegabytes(process.processId());
      // The program gives the focus back to the main window when the wait
      // window goes; F5 then reaches it with nothing re-activated.
      if (!WaitUntilActive(window, 5000)) {
        std::fprintf(stderr, "startup_bench: the focus did not come back to the main window\n");
        return 1;
      }
      Keys(QStringLiteral("F5"));
      process.waitForFinished(5000);
      exitCode = process.state() == QProcess::NotRunning ? process.exitCode() : -1;
    }
    if (process.state() != QProcess::NotRunning) {
      process.terminate();
      process.waitForFinished(5000);
    }
  }
  std::sort(times.begin(), times.end());
  std::printf("start to main window shown: median %lld ms (min %lld, max %lld, %d runs; target 300 ms)\n",
              static_cast<long long>(times[times.size() / 2]), static_cast<long long>(times.front()),
              static_cast<long long>(times.back()), Runs);
  double ratio = -1;
  if (bareTimes.size() == times.size()) {
    std::sort(bareTimes.begin(), bareTimes.end());
    const qint64 bare = bareTimes[bareTimes.size() / 2];
    ratio = bare > 0 ? static_cast<double>(times[times.size() / 2]) / static_cast<double>(bare) : -1;
    std::printf("bare Qt Widgets window shown: median %lld ms; ratio %.1f (target at most 2)\n",
                static_cast<long long>(bare), ratio);
  } else {
    std::printf("bare Qt Widgets window: not shown in every run\n");
  }
  std::printf("resident memory after connecting: %.1f MB (target 40 MB)\n", resident);
  std::printf("exit code after F5: %d\n", exitCode);
  return times[times.size() / 2] <= 300 && ratio > 0 && ratio <= 2 && resident > 0 && resident <= 40 && exitCode == 0 ? 0 : 2;
}
