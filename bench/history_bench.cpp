// The workshop history of a busy workshop: 20,000 connections of one kind of
// unit, each with a few changes. Times what a fitter waits for: the listing
// in-process, `ecuctl history` as a process, the history window's first show,
// and what every connect adds: the new entry (sharing the previous restore
// point) and the look-up of a load cut short.
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
  // One connection made the way the program makes it; the others are its
  // files again under other ids (the restore point shared, as a unit read
  // unchanged shares it), which is far quicker than connecting 20,000 times.
  HistoryConnection model;
  model.Started = QDateTime(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC);
  model.Identification = QStringLiteral("1-36-26");
  model.Firmware = QStringLiteral("v4");
  if (!history.NewConnection(model, plain)) {
    std::fprintf(stderr, "history_bench: cannot write %s\n", qPrintable(dir.path()));
    return 1;
  }
  QByteArray log;
  for (int change = 0; change < 3; ++change) {
    ChangeRecord record;
    record.Time = model.Started.addSecs(change + 1);
    record.Item = QStringLiteral("GiriCutOff");
    record.OldRaw = 60 + change;
    record.NewRaw = 61 + change;
    log += WorkshopHistory::RecordLine(record);
  }
  // As the journal leaves a connection it closed: its change count in its
  // description, with the size of the log it counted.
  model.ChangeCount = 3;
  model.CountedLogSize = log.size();
  history.WriteEntry(model);
  QFile entryFile(dir.filePath(model.Id + QStringLiteral(".json")));
  entryFile.open(QIODevice::ReadOnly);
  const QByteArray entry = entryFile.readAll();
  for (int i = 1; i < count; ++i) {
    const QDateTime started = model.Started.addSecs(i * 97);
    const QString id = started.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral("-1-36-26");
    QByteArray text = entry;
    text.replace(model.Id.toLatin1(), id.toLatin1());
    text.replace(model.Started.toString(Qt::ISODate).toLatin1(), started.toString(Qt::ISODate).toLatin1());
    // The restore point stays the model's own.
    text.replace((id + QStringLiteral(".kfg")).toLatin1(), (model.Id + QStringLiteral(".kfg")).toLatin1());
    QFile description(dir.filePath(id + QStringLiteral(".json")));
    QFile changes(dir.filePath(id + QStringLiteral(".jsonl")));
    if (!description.open(QIODevice::WriteOnly) || description.write(text) != text.size() ||
        !changes.open(QIODevice::WriteOnly) || changes.write(log) != log.size()) {
      std::fprintf(stderr, "history_bench: cannot write %s\n", qPrintable(dir.path()));
      return 1;
    }
  }
  {
    QFile changes(model.LogFile);
    changes.open(QIODevice::Append);
    changes.write(log);
  }
  std::printf("made %d connections in %.1f s\n", count, Seconds(timer));

  timer.restart();
  const int listed = static_cast<int>(history.Connections().size());
  std::printf("listing in-process (with change counts): %.2f s for %d  (target <= 2)\n", Seconds(timer), listed);

  timer.restart();
  history.Connections(WorkshopHistory::Count::NoChanges);
  std::printf("listing in-process (descriptions only): %.2f s\n", Seconds(timer));

  timer.restart();
  HistoryConnection another;
  another.Started = QDateTime::currentDateTimeUtc();
  another.Identification = model.Identification;
  another.Firmware = model.Firmware;
  history.NewConnection(another, plain);
  std::printf("a new connection's entry and restore point: %.3f s (shares the previous one: %s)\n", Seconds(timer),
              another.RestorePoint == model.RestorePoint ? "yes" : "no");

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
