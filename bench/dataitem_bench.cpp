// Round-trip cost of a parameter through the connection and the simulated
// unit at zero latency, and the cost of a cached read.
//   build/release/bin/dataitem_bench [iterations]
// Targets on the reference machine: at most 10 us per round trip, at most
// 0.2 us per cached read.
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"

#include "SimulatedUnitConfig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

template <typename F> double MicrosecondsPer(int iterations, F &&operation) {
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < iterations; ++i)
    operation(i);
  return static_cast<double>(timer.nsecsElapsed()) / 1000.0 / iterations;
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;

  SimulatedUnitConfig config("latency_ms = 0\n");

  TNoxConnection connection;
  connection.SetDllName(QStringLiteral("ProtoNOX.dll"));
  if (!connection.LoadProtocolLibrary() || !connection.ProtocolObject()->Connect()) {
    std::fprintf(stderr, "the simulated unit could not be loaded or connected\n");
    return 1;
  }

  TNoxNumber ignition; // byte 163, bits 0-2: a masked parameter
  ignition.SetConnection(&connection);
  ignition.SetByAddress(true);
  ignition.SetAddress(163);
  ignition.SetDataMask(7);
  ignition.SetDefaultValue(4);
  ignition.Loaded();

  const double reload = MicrosecondsPer(iterations, [&](int) { ignition.Reload(); });
  // A masked write is a read (for the merge) and a write.
  const double write = MicrosecondsPer(iterations, [&](int i) { ignition.SetValue(i & 1 ? 4 : 5); });
  ignition.GetValue();
  volatile double sink = 0;
  const double cached = MicrosecondsPer(iterations * 10, [&](int) { sink = sink + ignition.GetValue(); });

  std::printf("Reload (read round trip):        %8.3f us  (target <= 10)\n", reload);
  std::printf("SetValue masked (read + write):  %8.3f us  (target <= 10 per round trip: %.3f)\n", write,
              write / 2);
  std::printf("GetValue on a valid cache:       %8.3f us  (target <= 0.2)\n", cached);
  return 0;
}
