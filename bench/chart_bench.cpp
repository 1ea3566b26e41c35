// CPU that the live chart adds to a program polling live values: the data
// module on the simulated unit with the refresher running (as while the
// vehicle configuration window is open), with and without the chart showing
// five minutes of four traces. Run under a display, e.g.
//   xvfb-run -a build/release/bin/chart_bench strip [seconds]
//   xvfb-run -a build/release/bin/chart_bench qtcharts [seconds]   (if built with Qt Charts;
//                                  qtcharts-thin: one-pixel lines)
//   xvfb-run -a build/release/bin/chart_bench none [seconds]
//   NOX_BENCH_PICTURE=chart.png xvfb-run -a build/release/bin/chart_bench picture 60
//                                  (the README's picture: live data only, 60 s window)
// Target: at most 1 percentage point above "none".
#include "dataitems/LiveTraces.h"
#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/Clock.h"
#include "platform/DynamicLibrary.h"
#include "translator/TTranslator.h"
#include "windows/StripChart.h"
#include "windows/TFormLiveChart.h"

#include "ProcessCpuTime.h"
#include "SimulatedUnitConfig.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstring>
#ifdef NOX_HAVE_QTCHARTS
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QValueAxis>
#endif

namespace {
// Runs events for a while. Not through QApplication::quit, which closes
// every window in Qt 6.
void RunFor(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// The system tick moved back by an offset the prefill walks forward.
class ShiftedClock final : public Clock {
public:
  std::uint32_t TickCount() override { return m_system.TickCount() - Offset; }
  void Sleep(std::uint32_t milliseconds) override { m_system.Sleep(milliseconds); }
  std::uint32_t Offset = 0;

private:
  SystemClock m_system;
};

// Five minutes of history at 100 ms, as if the chart had been open that long.
void Prefill(TSerialDataModule &module, ShiftedClock &clock) {
  std::uint8_t buffer[4 + 9] = {9};
  for (int step = 3000; step > 0; --step) {
    clock.Offset = static_cast<std::uint32_t>(step * 100);
    const std::uint8_t packet[9] = {140,
                                    static_cast<std::uint8_t>(step % 17 < 8 ? 40 : 200),
                                    31,
                                    31,
                                    static_cast<std::uint8_t>(90 + step % 5),
                                    100,
                                    static_cast<std::uint8_t>(step % 17 < 8 ? 0 : 2),
                                    0,
                                    120};
    std::memcpy(buffer + 4, packet, sizeof packet);
    for (TNoxSerialData *item : module.DataItems())
      if (auto *live = qobject_cast<TNoxPacketData *>(item))
        live->ReceiveData(buffer);
  }
  clock.Offset = 0;
}

#ifdef NOX_HAVE_QTCHARTS
// The usual Qt Charts strip chart: one line series per trace, the new point
// appended, points older than the window removed, the time axis moved.
QWidget *MakeQtChart(LiveTraces &traces, qreal penWidth) {
  auto *chart = new QChart;
  chart->legend()->hide();
  auto *axisX = new QValueAxis;
  chart->addAxis(axisX, Qt::AlignBottom);
  QList<QLineSeries *> series;
  for (int i = 0; i < 4; ++i) {
    auto *line = new QLineSeries;
    QPen pen = line->pen();
    pen.setWidthF(penWidth);
    line->setPen(pen);
    for (const auto &point : traces.Trace(i).Points())
      line->append(static_cast<double>(point.TimeMs) / 1000.0, point.Value);
    chart->addSeries(line);
    auto *axisY = new QValueAxis;
    axisY->setRange(0, i == 0 ? 1000 : i == 3 ? 100 : 5);
    axisY->setVisible(i == 0);
    chart->addAxis(axisY, Qt::AlignLeft);
    line->attachAxis(axisX);
    line->attachAxis(axisY);
    series << line;
  }
  QObject::connect(&traces, &LiveTraces::PointAdded, chart, [&traces, series, axisX](int index) {
    if (index >= series.size())
      return;
    const auto &point = traces.Trace(index).Points().back();
    const double now = static_cast<double>(point.TimeMs) / 1000.0;
    series[index]->append(now, point.Value);
    const double left = now - static_cast<double>(traces.WindowMs()) / 1000.0;
    int old = 0;
    while (old + 1 < series[index]->count() && series[index]->at(old + 1).x() <= left)
      ++old;
    if (old)
      series[index]->removePoints(0, old);
    axisX->setRange(left, now);
  });
  auto *view = new QChartView(chart);
  view->resize(760, 360);
  return view;
}
#endif
} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("strip");
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  SimulatedUnitConfig config("latency_ms = 0\n");
  ShiftedClock clock;
  Clock::SetCurrent(&clock);

  TSerialDataModule module;
  module.Translator->SetDllName(DynamicLibrary::ExecutableFolder() + QStringLiteral("/Languages.dll"));
  module.Translator->LoadLanguageLibrary();
  module.Translator->SetLanguage(1);
  if (module.ConnectAndReadAll(4, 0) != 0) {
    std::fprintf(stderr, "connect failed\n");
    return 1;
  }
  clock.Offset = 300000;
  std::unique_ptr<QWidget> window;
  LiveTraces *traces = nullptr;
  const bool picture = mode == QLatin1String("picture");
  if (mode == QLatin1String("strip") || picture) {
    auto *form = new TFormLiveChart(module);
    form->ApplyTexts();
    // The picture shows only what the unit delivers, over 60 s.
    form->WindowCombo()->setCurrentIndex(picture ? 1 : 2);
    traces = form->Traces();
    window.reset(form);
  } else if (mode.startsWith(QLatin1String("qtcharts"))) {
#ifdef NOX_HAVE_QTCHARTS
    static LiveTraces qtTraces(
        {module.VAL_GIRI, module.VALORE_LAMBDA, module.VALOR_TPS, module.POSIZIONE_ATTUATORE}, 300000);
    traces = &qtTraces;
    Prefill(module, clock);
    window.reset(MakeQtChart(qtTraces, mode == QLatin1String("qtcharts-thin") ? 0 : 2));
#else
    std::fprintf(stderr, "built without Qt Charts\n");
    return 1;
#endif
  } else if (mode != QLatin1String("none")) {
    std::fprintf(stderr, "usage: chart_bench strip|qtcharts|qtcharts-thin|none|picture [seconds]\n");
    return 1;
  }
  if (mode == QLatin1String("strip"))
    Prefill(module, clock);
  clock.Offset = 0;
  if (window) {
    window->show();
    window->raise();
  }
  module.DataRefresher->SetRunning(true);
  // Let the window settle before measuring.
  RunFor(2000);
  const bool strip = mode == QLatin1String("strip") || picture;
  const int paintsBefore = strip ? static_cast<TFormLiveChart *>(window.get())->Chart()->PaintCount() : 0;
  const double before = ProcessCpuSeconds();
  RunFor(seconds * 1000);
  const double used = ProcessCpuSeconds() - before;
  module.DataRefresher->SetRunning(false);
  std::printf("%s: %.2f %% of one core over %d s", mode.toLocal8Bit().constData(), used / seconds * 100.0,
              seconds);
  if (traces)
    std::printf(", %zu points per trace, newest at %lld ms, now %lld ms", traces->Trace(0).Points().size(),
                static_cast<long long>(traces->Trace(0).Points().back().TimeMs),
                static_cast<long long>(traces->NowMs()));
  if (strip)
    std::printf(", %.1f paints/s",
                (static_cast<TFormLiveChart *>(window.get())->Chart()->PaintCount() - paintsBefore) /
                    static_cast<double>(seconds));
  std::printf("  (target: at most 1 point above \"none\")\n");
  // A picture of what was measured, for the eye.
  if (const char *pictureFile = std::getenv("NOX_BENCH_PICTURE"); pictureFile && window)
    window->grab().save(QString::fromLocal8Bit(pictureFile));
  Clock::SetCurrent(nullptr);
  return 0;
}
