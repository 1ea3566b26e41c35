// A whole working day under review: 8 hours of live values at ten rows a
// second (288,000 rows of the nine values), as the chart window's recorder
// writes them. Times the reading of the file, the review window's first show
// (read and painted), and the repaint while the fitter scrolls and zooms.
//   build/release/bin/recording_bench [rows]
// Targets: opened (read and shown) in under 2 s; each repaint well under a
// frame (16 ms) so that scrolling stays smooth.
#include "dataitems/LiveCsvWriter.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/TSerialDataModule.h"
#include "recording/RecordingFile.h"
#include "windows/RecordingPlot.h"
#include "windows/TFormRecording.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {
double Seconds(const QElapsedTimer &timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e9; }
} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 288000;
  TSerialDataModule module;
  module.LoadLanguageLibrary();
  QStringList names;
  for (TNoxPacketData *item : LiveCsvWriter::LiveItems(module.DataItems()))
    names << item->objectName();
  QTemporaryDir dir;
  const QString fileName = dir.filePath(QStringLiteral("day.csv"));
  {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
      std::fprintf(stderr, "recording_bench: cannot write %s\n", qPrintable(fileName));
      return 1;
    }
    QByteArray text = "time," + names.join(QLatin1Char(',')).toLatin1() + '\n';
    const QDateTime start(QDate(2026, 12, 9), QTime(8, 0));
    for (int row = 0; row < rows; ++row) {
      text += start.addMSecs(qint64(row) * 100).toString(Qt::ISODateWithMs).toLatin1();
      for (qsizetype value = 0; value < names.size(); ++value)
        text += ',' + QByteArray::number(std::round(1000 * (1 + std::sin(row / (50.0 + value)))) / 10);
      text += '\n';
      if (text.size() > (1 << 20)) {
        file.write(text);
        text.clear();
      }
    }
    file.write(text);
  }
  std::printf("a day's recording: %d rows of %lld values\n", rows, static_cast<long long>(names.size()));

  QElapsedTimer timer;
  timer.start();
  const RecordingFile::Result read = RecordingFile::Read(fileName, names);
  std::printf("reading the file: %.2f s (%lld rows)\n", Seconds(timer), static_cast<long long>(read.Data.Rows()));

  timer.restart();
  TFormRecording review(module);
  review.setAttribute(Qt::WA_DeleteOnClose, false);
  review.resize(1200, 700);
  if (!review.Open(fileName))
    return 1;
  review.show();
  QApplication::processEvents();
  review.Plot()->repaint();
  const double opened = Seconds(timer);
  std::printf("review window opened (read, shown, painted): %.2f s  (target < 2)\n", opened);

  RecordingPlot *plot = review.Plot();
  auto average = [](int times, const std::function<void(int)> &step) {
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < times; ++i)
      step(i);
    return Seconds(clock) / times * 1000;
  };
  // The cursor over the whole day: the traces are the picture kept.
  const double cursor = average(100, [plot](int i) {
    plot->MoveCursorTo(plot->CursorRow() + (i % 2 ? -1000 : 1000));
    plot->repaint();
  });
  // The whole day drawn anew (a zoom out to it).
  const double wholeDay = average(10, [plot](int i) {
    if (i % 2)
      plot->ShowAll();
    else
      plot->Zoom(0.999, plot->ViewFrom());
    plot->repaint();
  });
  plot->Zoom(1.0 / 64, plot->ViewFrom());
  const double zoomed = average(100, [plot](int) {
    plot->Pan(0.1);
    plot->repaint();
  });
  std::printf("repaint: cursor moved over the whole day %.1f ms; the whole day drawn anew %.1f ms; "
              "zoomed in to 1/64 and scrolling %.1f ms  (targets < 16 for the cursor and the scroll)\n",
              cursor, wholeDay, zoomed);
  return opened < 2 && cursor < 16 && zoomed < 16 ? 0 : 2;
}
