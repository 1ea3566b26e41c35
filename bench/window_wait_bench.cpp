// The desktop program itself on a real line's pace: the simulated unit at
// 95 ms per exchange, the configuration window open, the live values
// running, and the fitter typing into a value field. Run on an X display
// with a window manager:
//   xvfb-run -a sh -c 'openbox & sleep 0.5; build/release/bin/window_wait_bench [keys]'
// Prints
// - the share of the GUI thread's time spent waiting on the line, sampled
//   from outside (target at most 5 %);
// - key-to-screen latency: from the key sent to the X server to the field
//   showing the new text, repainted and flushed (the program reports that
//   moment with NOX_REPORT_TIMING), median and 99th percentile over the keys
//   (at least 200; target p99 at most 30 ms);
// - the live-value rate: the refresh cycles' deliveries per second (each
//   carries the status packet), against one per cycle (an exchange plus the
//   refresher's 20 ms sleep).
// Keys are typed like a fitter types, 40 ms apart, alternately a digit and
// Backspace, so the field never grows; nothing is confirmed.
#include "ProgramUnderX.h"
#include "ThreadStateSampler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {
constexpr int LatencyMs = 95;
constexpr int RefreshSleepMs = 20;

long long Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Keys straight to the X server through the XTest extension, so that the
// moment a key leaves is known to the microsecond (xdotool would add a
// process start to every key). The libraries come with xdotool.
class XKeys {
public:
  bool Open() {
    QLibrary x11(QStringLiteral("X11"), 6);
    QLibrary xtst(QStringLiteral("Xtst"), 6);
    if (!x11.load() || !xtst.load())
      return false;
    m_open = reinterpret_cast<OpenDisplay>(x11.resolve("XOpenDisplay"));
    m_keycode = reinterpret_cast<KeysymToKeycode>(x11.resolve("XKeysymToKeycode"));
    m_flush = reinterpret_cast<Flush>(x11.resolve("XFlush"));
    m_close = reinterpret_cast<CloseDisplay>(x11.resolve("XCloseDisplay"));
    m_fake = reinterpret_cast<FakeKeyEvent>(xtst.resolve("XTestFakeKeyEvent"));
    if (!m_open || !m_keycode || !m_flush || !m_close || !m_fake)
      return false;
    m_display = m_open(nullptr);
    return m_display != nullptr;
  }
  ~XKeys() {
    if (m_display)
      m_close(m_display);
  }
  // Press and release; returns the moment the pair left for the server.
  long long Type(unsigned long keysym) {
    const unsigned char code = m_keycode(m_display, keysym);
    const long long sent = Now();
    m_fake(m_display, code, 1, 0);
    m_fake(m_display, code, 0, 0);
    m_flush(m_display);
    return sent;
  }

private:
  using OpenDisplay = void *(*)(const char *);
  using KeysymToKeycode = unsigned char (*)(void *, unsigned long);
  using Flush = int (*)(void *);
  using CloseDisplay = int (*)(void *);
  using FakeKeyEvent = int (*)(void *, unsigned int, int, unsigned long);
  OpenDisplay m_open = nullptr;
  KeysymToKeycode m_keycode = nullptr;
  Flush m_flush = nullptr;
  CloseDisplay m_close = nullptr;
  FakeKeyEvent m_fake = nullptr;
  void *m_display = nullptr;
};

constexpr unsigned long KeyBackSpace = 0xff08;
constexpr unsigned long KeyOne = 0x31;

// Reads the program's report lines, counting the status packets, until the
// echo of a new text arrives; returns its moment, or -1.
long long WaitForEcho(QProcess &process, int &packets, QByteArray *text, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < timeoutMs) {
    while (process.canReadLine()) {
      const QByteArray line = process.readLine().trimmed();
      if (line.startsWith("delivery "))
        ++packets;
      else if (line.startsWith("echo ")) {
        const QList<QByteArray> parts = line.split(' ');
        if (text)
          *text = parts.mid(2).join(' ');
        return parts.value(1).toLongLong();
      }
    }
    if (process.state() == QProcess::NotRunning)
      return -1;
    process.waitForReadyRead(5);
  }
  return -1;
}

double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

int Fail(QProcess &process, const char *what) {
  std::fprintf(stderr, "window_wait_bench: %s\n", what);
  process.kill();
  process.waitForFinished(5000);
  return 1;
}
} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int keys = argc > 1 ? std::max(200, std::atoi(argv[1])) : 240;
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fprintf(stderr, "window_wait_bench: needs an X display (run it under xvfb-run)\n");
    return 1;
  }
  XKeys x;
  if (!x.Open()) {
    std::fprintf(stderr, "window_wait_bench: no XTest (libXtst.so.6, which xdotool brings)\n");
    return 1;
  }
  QTemporaryDir home;
  QFile unit(home.filePath(QStringLiteral("unit.ini")));
  if (!unit.open(QIODevice::WriteOnly))
    return 1;
  unit.write(QByteArray("latency_ms = ") + QByteArray::number(LatencyMs) + "\n");
  unit.close();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("NOX_REPORT_STARTUP"), QStringLiteral("1"));
  environment.insert(QStringLiteral("NOX_REPORT_TIMING"), QStringLiteral("1"));
  environment.insert(QStringLiteral("NOX_SIMECU_CONFIG"), unit.fileName());
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));

  QProcess process;
  process.setProcessEnvironment(environment);
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/noxconfig"),
                {QStringLiteral("--no-splash")});
  if (!WaitForLine(process, "shown", 10000))
    return Fail(process, "the main window was not shown");
  const QString main = Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                QString::number(process.processId()), QStringLiteral("--name"),
                                QStringLiteral("QMD652")})
                           .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                           .value(0);
  Xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), main});
  Xdotool({QStringLiteral("key"), QStringLiteral("ctrl+c")});
  if (main.isEmpty() || !WaitForLine(process, "connected", 30000))
    return Fail(process, "the program did not connect");
  // The read-all is over once the focus is back on the main window.
  if (!WaitUntilActive(main, 60000))
    return Fail(process, "the focus did not come back to the main window");
  Xdotool({QStringLiteral("key"), QStringLiteral("F1")});
  QElapsedTimer opening;
  opening.start();
  while (Xdotool({QStringLiteral("getactivewindow")}) == main && opening.elapsed() < 10000)
    QThread::msleep(50);
  // The window opens on the ignition type; three fields down is the
  // change-over temperature, a value field.
  QThread::msleep(500);
  Xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down")});
  QThread::msleep(500);

  int packets = 0;
  std::atomic<bool> stop{false};
  Samples samples;
  const QString file = QStringLiteral("/proc/%1/task/%1/syscall").arg(process.processId());
  std::thread sampler(Sample, file, std::cref(stop), std::ref(samples));
  // What the focus moves reported is not a key's echo.
  QByteArray text;
  while (WaitForEcho(process, packets, &text, 300) >= 0) {
  }
  packets = 0;
  const long long started = Now();
  std::vector<double> latencies;
  for (int i = 0; i < keys; ++i) {
    const QByteArray before = text;
    const bool backspace = i % 2 == 0;
    const long long sent = x.Type(backspace ? KeyBackSpace : KeyOne);
    long long shown = WaitForEcho(process, packets, &text, 2000);
    // Only the text this key makes counts.
    while (shown >= 0 && !(backspace ? text.size() < before.size() || before.isEmpty() : text == before + "1"))
      shown = WaitForEcho(process, packets, &text, 2000);
    if (shown < 0) {
      stop = true;
      sampler.join();
      return Fail(process, "a key was not echoed by the value field (is a value field focused?)");
    }
    latencies.push_back(static_cast<double>(shown - sent) / 1e6);
    QThread::msleep(40);
  }
  const double seconds = static_cast<double>(Now() - started) / 1e9;
  stop = true;
  sampler.join();
  while (process.canReadLine())
    if (process.readLine().startsWith("delivery "))
      ++packets;
  process.kill();
  process.waitForFinished(5000);

  if (samples.Total() == 0) {
    std::fprintf(stderr, "window_wait_bench: cannot read %s\n", qPrintable(file));
    return 1;
  }
  const double total = static_cast<double>(samples.Total());
  const double waiting = 100.0 * static_cast<double>(samples.Waiting) / total;
  const double median = Percentile(latencies, 0.5);
  const double p99 = Percentile(latencies, 0.99);
  const double rate = static_cast<double>(packets) / seconds;
  const double cycleRate = 1000.0 / (LatencyMs + RefreshSleepMs);
  std::printf("GUI thread waiting on the line: %.1f %% (target at most 5 %%); idle %.1f %%, running %.1f %%, other "
              "%.1f %% (%lld samples over %.1f s)\n",
              waiting, 100.0 * static_cast<double>(samples.Idle) / total,
              100.0 * static_cast<double>(samples.Running) / total,
              100.0 * static_cast<double>(samples.Other) / total, samples.Total(), seconds);
  std::printf("key to screen: median %.1f ms, p99 %.1f ms, max %.1f ms over %zu keys (target p99 at most 30 ms)\n",
              median, p99, Percentile(latencies, 1.0), latencies.size());
  std::printf("live values: %.2f deliveries of the status packet per second (one per cycle would be %.2f)\n", rate,
              cycleRate);
  return waiting <= 5.0 && p99 <= 30.0 ? 0 : 2;
}
