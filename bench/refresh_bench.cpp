// CPU time that the refresh machinery uses per second of wall time: nine live
// values at 100 ms against the simulated unit without latency, the thread
// sleeping 20 ms between cycles.
//   build/release/bin/refresh_bench [seconds]
// Target: below 1 % of one core.
#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxConnection.h"
#include "ecuconfig/TSerialDataModule.h"

#include "ProcessCpuTime.h"
#include "SimulatedUnitConfig.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace {
// Runs the event loop for the given time and returns the CPU seconds used.
double CpuWhileRunning(int milliseconds) {
  const double before = ProcessCpuSeconds();
  QTimer::singleShot(milliseconds, QCoreApplication::instance(), &QCoreApplication::quit);
  QCoreApplication::exec();
  return ProcessCpuSeconds() - before;
}
} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  SimulatedUnitConfig config("latency_ms = 0\n");

  TSerialDataModule module;
  if (module.ConnectAndReadAll(4, 0) != 0) {
    std::fprintf(stderr, "connect failed\n");
    return 1;
  }
  const double idle = CpuWhileRunning(seconds * 1000);
  module.DataRefresher->SetSleepTime(20);
  module.DataRefresher->SetRunning(true);
  const double busy = CpuWhileRunning(seconds * 1000);
  module.DataRefresher->SetRunning(false);
  const double share = (busy - idle) / seconds * 100.0;
  std::printf("refresh machinery: %.3f %% of one core (%.3f s CPU over %d s, idle loop %.3f s)  (target < 1 %%)\n",
              share, busy, seconds, idle);
  return 0;
}
