// The real desktop program under a real X server, driven only with X key
// events: F3 on a file that differs from the unit, Esc (nothing written),
// then F3 and Enter (the file loaded), checked through the unit's memory file.
#include "platform/DynamicLibrary.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QString Xdotool(const QStringList &arguments, const QString &display) {
  QProcess xdotool;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DISPLAY"), display);
  xdotool.setProcessEnvironment(environment);
  xdotool.start(QStringLiteral("xdotool"), arguments);
  xdotool.waitForFinished(15000);
  return QString::fromLocal8Bit(xdotool.readAllStandardOutput()).trimmed();
}

// Waits for a line of the process's output; an empty line takes the first.
bool WaitForLine(QProcess &process, const QByteArray &line, int timeoutMs, QByteArray *first = nullptr) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < timeoutMs) {
    while (process.canReadLine()) {
      const QByteArray read = process.readLine().trimmed();
      if (first) {
        *first = read;
        return true;
      }
      if (read == line)
        return true;
    }
    if (process.state() == QProcess::NotRunning)
      return false;
    process.waitForReadyRead(20);
  }
  return false;
}

class DesktopLoad : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char *tool : {"Xvfb", "xdotool", "openbox"})
      if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
        GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
    ASSERT_TRUE(m_dir.isValid());
    QFile config(Path("unit.ini"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(("latency_ms = 0\ndefault_acquired_after_ms = 0\npersist = 1\nmemory_image = " +
                  Path("unit.bin") + "\n")
                     .toUtf8());
    config.close();
    QFile suppressions(Path("lsan.supp"));
    ASSERT_TRUE(suppressions.open(QIODevice::WriteOnly));
    suppressions.write("leak:libdbus-1.so\n");
    suppressions.close();
    // A display of our own, with a window manager so that focus returns to
    // the main window after a dialog.
    // Xvfb picks a free display number and tells it on its standard output.
    m_xvfb.start(QStringLiteral("Xvfb"),
                 {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    ASSERT_TRUE(m_xvfb.waitForStarted());
    QByteArray number;
    ASSERT_TRUE(WaitForLine(m_xvfb, {}, 10000, &number)) << "Xvfb did not start";
    m_display = QStringLiteral(":") + QString::fromLatin1(number);
    m_openbox.setProcessEnvironment(Environment());
    m_openbox.start(QStringLiteral("openbox"), {});
    ASSERT_TRUE(m_openbox.waitForStarted());
    // Ready once it answers for the desktop: from then on it gives each new
    // window the focus, as on the fitter's desktop.
    ASSERT_TRUE(WaitUntil([&] { return !Xdotool({"get_desktop"}, m_display).isEmpty(); }))
        << "the window manager did not start";
  }
  void TearDown() override {
    for (QProcess *process : {&m_program, &m_openbox, &m_xvfb})
      if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(5000);
      }
  }

  QString Path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }
  QProcessEnvironment Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("NOX_SIMECU_CONFIG"), Path("unit.ini"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
    // Under the leak checker: what the system's D-Bus library keeps for the
    // process's life on a real display is not ours to free.
    environment.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=") + Path("lsan.supp"));
    return environment;
  }
  int Ecuctl(const QStringList &arguments) {
    QProcess ecuctl;
    ecuctl.setProcessEnvironment(Environment());
    ecuctl.start(DynamicLibrary::ExecutableFolder() + QStringLiteral("/ecuctl"), arguments);
    ecuctl.waitForFinished(30000);
    m_lastOutput = QString::fromLocal8Bit(ecuctl.readAllStandardOutput());
    return ecuctl.exitCode();
  }
  QByteArray Memory() const {
    QFile file(Path("unit.bin"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // Keys to the window that has the focus, once it is the one with this
  // title (part of it). The test never activates a window itself: where the
  // focus goes after a dialog or a wait is the program's business.
  bool KeysTo(const QString &title, const QStringList &keys) {
    if (!WaitUntil([&] { return Xdotool({"getactivewindow", "getwindowname"}, m_display).contains(title); }))
      return false;
    QThread::msleep(300);
    Keys(keys);
    return true;
  }
  // Keys to whatever window has the focus.
  void Keys(const QStringList &keys) {
    for (const QString &key : keys) {
      if (key.startsWith(QLatin1String("type:")))
        Xdotool({"type", "--delay", "20", key.mid(5)}, m_display);
      else
        Xdotool({"key", "--clearmodifiers", key}, m_display);
      QThread::msleep(150);
    }
  }
  // F3, the file name typed into the open dialog, then the answer to the
  // comparison (keys that tick rows, then Return or Escape).
  void LoadWithAnswer(const QStringList &answer) {
    ASSERT_TRUE(KeysTo(QStringLiteral("QMD652"), {"F3"}));
    // The open dialog comes up with the focus on its file name.
    ASSERT_TRUE(WaitUntil([&] { return Windows() >= 2; }));
    QThread::msleep(500);
    Keys({"ctrl+a", "type:" + Path("car.kfg"), "Return"});
    // The comparison's caption in Italian, the language of a first start.
    ASSERT_FALSE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "Confronto"}, m_display).isEmpty());
    Keys(answer);
    ASSERT_TRUE(WaitUntil([&] { return !Visible(QStringLiteral("Confronto")); }));
  }
  // The program's visible windows.
  int Windows() {
    return static_cast<int>(
        Xdotool({"search", "--onlyvisible", "--pid", QString::number(m_program.processId())}, m_display)
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
            .size());
  }
  bool Visible(const QString &title) {
    return !Xdotool({"search", "--onlyvisible", "--name", title}, m_display).isEmpty();
  }
  template <typename Condition> static bool WaitUntil(Condition &&condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
      if (timer.elapsed() > 30000)
        return false;
      QThread::msleep(200);
    }
    return true;
  }

  QTemporaryDir m_dir;
  QString m_display;
  QProcess m_xvfb, m_openbox, m_program;
  QString m_lastOutput;
};

TEST_F(DesktopLoad, F3ShowsTheChangesEscWritesNothingEnterLoadsTheTickedOnes) {
  ASSERT_EQ(Ecuctl({"save", Path("car.kfg")}), 0);
  const QByteArray saved = Memory();
  ASSERT_EQ(Ecuctl({"set", "GiriCutOff=2500", "TEMPO_SOVRAPPOSIZIONE=0.6"}), 0);
  const QByteArray changed = Memory();
  ASSERT_EQ(changed.size(), 256);
  // Only the cut-off speed is chosen: the overlap time (byte 216) stays.
  QByteArray expected = saved;
  expected[216] = changed.at(216);
  ASSERT_NE(expected, changed);

  QProcessEnvironment environment = Environment();
  environment.insert(QStringLiteral("NOX_REPORT_STARTUP"), QStringLiteral("1"));
  m_program.setProcessEnvironment(environment);
  m_program.start(DynamicLibrary::ExecutableFolder() + QStringLiteral("/noxconfig"), {"--no-splash"});
  ASSERT_TRUE(WaitForLine(m_program, "shown", 20000));
  ASSERT_TRUE(KeysTo(QStringLiteral("QMD652"), {"ctrl+c"}));
  ASSERT_TRUE(WaitForLine(m_program, "connected", 20000));
  ASSERT_TRUE(WaitUntil([&] { return Windows() == 1; })) << "the wait window of the read-all goes";

  LoadWithAnswer({"Escape"});
  QThread::msleep(1000);
  EXPECT_FALSE(Visible(QStringLiteral("Caricamento"))) << "Esc must not load";
  EXPECT_EQ(Memory(), changed) << "Esc must leave the unit as it was";

  // The rows in item order: the overlap time, then the cut-off speed. None
  // ticked, down to the second row, Space ticks it, Enter loads.
  LoadWithAnswer({"ctrl+shift+a", "Down", "space", "Return"});
  // The load runs with its wait window; the cut-off speed comes in the
  // second pass.
  EXPECT_TRUE(WaitUntil([&] {
    const QByteArray now = Memory();
    return now.size() == 256 && now.at(204) != changed.at(204);
  })) << "the file's cut-off speed reaches the unit";
  EXPECT_TRUE(WaitUntil([&] { return !Visible(QStringLiteral("Caricamento")); }));

  if (qEnvironmentVariableIsSet("NOX_E2E_PICTURE"))
    QProcess::execute(QStringLiteral("import"),
                      {"-display", m_display, "-window", "root", qEnvironmentVariable("NOX_E2E_PICTURE")});
  ASSERT_EQ(m_program.state(), QProcess::Running) << m_program.readAllStandardError().toStdString();
  ASSERT_TRUE(KeysTo(QStringLiteral("QMD652"), {"F5"}));
  ASSERT_TRUE(m_program.waitForFinished(10000));
  EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(m_program.exitCode(), 0) << m_program.readAllStandardError().toStdString();
  ASSERT_EQ(Ecuctl({"get", "GiriCutOff"}), 0);
  EXPECT_EQ(m_lastOutput, QStringLiteral("GiriCutOff=1500\n"));
  EXPECT_EQ(Memory(), expected) << "the load puts back every chosen byte the file was saved from, and no other";
}

} // namespace
