// The workshop history of a busy workshop: 20,000 connections of one kind of
// unit, each with a few changes. Times what a fitter waits for: the listing
// in-process, `ecuctl history` as a process, the history window's first show,
// and the look-up of a load cut short that every connect makes.
//   build/release/bin/history_bench [connections]
// Targets: each at most 2 s (the window's first show at most 1 s).
#include "ecuconfig/TSerialDataModule.h"
#include "history/ConnectionJournal.h"
#include "history/InterruptedLoads.h"
#include "history/WorkshopHistory.h"
#include "platform/DynamicLibrary.h"
#include "windows/TFormHistory.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {
double Seconds(const QElapsedTimer &timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e9; }
} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  QTemporaryDir dir;
  WorkshopHistory history(dir.path());
  TSerialDataModule module;
  const QByteArray plain = "[CONFIGURAZIONE]\r\nTIPO ACCENSIONE=4\r\n";
  QElapsedTimer timer;
  timer.start();
  const QDateTime first(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC);
  for (int i = 0; i < count; ++i) {
    HistoryConnection connection;
    connection.Started = first.addSecs(i * 97);
    connection.Identification = QStringLiteral("1-36-26");
    connection.Firmware = QStringLiteral("v4");
    if (!history.NewConnection(connection, plain)) {
      std::fprintf(stderr, "history_bench: cannot write %s\n", qPrintable(dir.path()));
      return 1;
    }
    QFile log(connection.LogFile);
    log.open(QIODevice::Append);
    for (int change = 0; change < 3; ++change) {
      ChangeRecord record;
      record.Time = connection.Started.addSecs(change + 1);
      record.Item = QStringLiteral("GiriCutOff");
      record.OldRaw = 60 + change;
      record.NewRaw = 61 + change;
      log.write(WorkshopHistory::RecordLine(record));
    }
  }
  std::printf("made %d connections in %.1f s\n", count, Seconds(timer));

  timer.restart();
  const int listed = static_cast<int>(history.Connections().size());
  std::printf("listing in-process (with change counts): %.2f s for %d  (target <= 2)\n", Seconds(timer), listed);

  timer.restart();
  const InterruptedLoads::Load pending = InterruptedLoads(history).Unfinished(QStringLiteral("1-36-26"));
  std::printf("look-up of a load cut short, at every connect: %.3f s (found: %s)\n", Seconds(timer),
              pending.Number ? "yes" : "no");

  QProcess ecuctl;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("NOX_HISTORY_DIR"), dir.path());
  ecuctl.setProcessEnvironment(environment);
  timer.restart();
  ecuctl.start(DynamicLibrary::ExecutableFolder() + QStringLiteral("/ecuctl"), {QStringLiteral("history")});
  ecuctl.waitForFinished(120000);
  const int lines = static_cast<int>(ecuctl.readAllStandardOutput().count('\n'));
  std::printf("ecuctl history: %.2f s for %d lines, exit %d  (target <= 2)\n", Seconds(timer), lines,
              ecuctl.exitCode());

  timer.restart();
  TFormHistory window(module, history, [](const QString &, QWidget *) { return false; }, nullptr);
  window.show();
  QApplication::processEvents();
  std::printf("history window, first show: %.2f s  (target <= 1)\n", Seconds(timer));
  return 0;
}
