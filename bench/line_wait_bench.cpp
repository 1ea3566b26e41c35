// How long the GUI thread waits on the line while the live values run: the
// simulated unit at 95 ms per exchange (a real line), the nine live values
// at 100 ms, the refresh thread sleeping 20 ms between cycles. Prints the
// share of the GUI thread's time spent waiting on the line and the
// live-value rate (status packets read and delivered per second).
//   build/release/bin/line_wait_bench [seconds]
// Target: at most 5 % waiting; the rate stays one status packet per cycle.
//
// The GUI thread's state is sampled every millisecond from
// /proc/self/task/<id>/syscall (Linux): inside a sleep (the simulated unit
// sleeps the thread that calls it) or a futex wait (a thread waiting for the
// line thread) it waits on the line; inside poll it is idle.
#include "CountingProtocolObject.h"
#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxConnection.h"
#include "ecuconfig/TSerialDataModule.h"

#include "SimulatedUnitConfig.h"
#include "ThreadStateSampler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {
// Counts the status packets the refresher hands to the GUI thread.
class PacketCounter final : public QObject {
public:
  int Packets = 0;
  bool event(QEvent *e) override {
    if (static_cast<std::uint32_t>(e->type()) != MSG_PACKET_DATA)
      return QObject::event(e);
    ++Packets;
    return true;
  }
};

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  SimulatedUnitConfig config("latency_ms = 95\n");

  TSerialDataModule module;
  auto loader = std::make_unique<CountingLibraryLoader>();
  CountingLibraryLoader *counting = loader.get();
  module.NoxConnection->SetLibraryLoader(std::move(loader));
  if (module.ConnectAndReadAll(4, 0) != 0 || !counting->Object) {
    std::fprintf(stderr, "connect failed\n");
    return 1;
  }
  PacketCounter counter;
  module.DataRefresher->RegisterItem(&counter, 100, DATACODE_PACKET, -1);
  // Read while the line is quiet: the counter belongs to the thread that
  // calls the library.
  const int exchangesBefore = counting->Object->Exchanges;
  QElapsedTimer refreshing;
  refreshing.start();
  module.DataRefresher->SetSleepTime(20);
  module.DataRefresher->SetRunning(true);
  // Let the first cycles settle before sampling.
  QTimer::singleShot(1000, &app, &QCoreApplication::quit);
  QCoreApplication::exec();

  const int packetsBefore = counter.Packets;
  std::atomic<bool> stop{false};
  Samples samples;
  const QString file = QStringLiteral("/proc/self/task/%1/syscall").arg(getpid());
  std::thread sampler(Sample, file, std::cref(stop), std::ref(samples));
  QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
  QCoreApplication::exec();
  stop = true;
  sampler.join();
  const int packets = counter.Packets - packetsBefore;
  module.DataRefresher->SetRunning(false);
  while (module.DataRefresher->IsRunning()) {
  }
  const double refreshSeconds = static_cast<double>(refreshing.elapsed()) / 1000.0;
  // One more exchange: whichever thread makes the calls has finished with
  // the counter once it has answered.
  module.NoxConnection->ProtocolObject()->IsConnected();
  const int reads = counting->Object->Exchanges - exchangesBefore;

  if (samples.Total() == 0) {
    std::fprintf(stderr, "line_wait_bench: cannot read %s\n", qPrintable(file));
    return 1;
  }
  const double total = static_cast<double>(samples.Total());
  const double waiting = 100.0 * static_cast<double>(samples.Waiting) / total;
  std::printf("GUI thread waiting on the line: %.1f %% (target at most 5 %%); idle %.1f %%, running %.1f %%, other "
              "%.1f %% (%lld samples over %d s)\n",
              waiting, 100.0 * static_cast<double>(samples.Idle) / total,
              100.0 * static_cast<double>(samples.Running) / total, 100.0 * static_cast<double>(samples.Other) / total,
              samples.Total(), seconds);
  std::printf("live values: %.2f status packets read per second (%d over %.1f s), %.2f delivered per second\n",
              static_cast<double>(reads) / refreshSeconds, reads, refreshSeconds,
              static_cast<double>(packets) / seconds);
  return waiting <= 5.0 ? 0 : 2;
}
