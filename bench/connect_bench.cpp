// Connect-and-read-all against the simulated unit with 5 ms per exchange,
// the time of saving and of the file part of loading a configuration, and
// the exchanges of loading a file that matches the unit or differs in 1 or
// 20 parameters, sending only the changed bytes and sending every value.
//   build/release/bin/connect_bench
// Targets: T / (E x 5 ms + W) at most 1.05; save and file part of load at
// most 20 ms each.
#include "CountingProtocolObject.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ConfigurationEnvelope.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/ConnectSequence.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/Clock.h"
#include "storage/TMemIniData.h"

#include "SimulatedUnitConfig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {
// The system clock, adding up every wait that the handlers ask for.
class MeasuringClock final : public Clock {
public:
  std::uint32_t TickCount() override { return m_system.TickCount(); }
  void Sleep(std::uint32_t milliseconds) override {
    Waited += milliseconds;
    m_system.Sleep(milliseconds);
  }
  std::uint64_t Waited = 0;

private:
  SystemClock m_system;
};

// Connect and read-all with every read going to the unit, before the
// measured run (one data module at a time).
int EveryReadExchanges() {
  TSerialDataModule module;
  auto loader = std::make_unique<CountingLibraryLoader>();
  CountingLibraryLoader *counting = loader.get();
  module.NoxConnection->SetLibraryLoader(std::move(loader));
  if (module.ConnectAndReadAll(4, ConnectSequence::OPTION_READ_EVERY_TIME) != 0 || !counting->Object)
    return -1;
  const int exchanges = counting->Object->Exchanges;
  module.CloseConnection(false);
  return exchanges;
}

// The unit's configuration as saved, with `changes` parameters moved by one
// step of their byte (plain full-byte parameters, in component order).
QByteArray EditedFile(TSerialDataModule &module, int changes) {
  TMemIniData ini(nullptr);
  for (TNoxSerialData *item : module.DataItems())
    if (item->DataKind() != 3)
      item->SaveToIni(ini);
  for (TNoxSerialData *data : module.DataItems()) {
    auto *item = qobject_cast<TNoxNumber *>(data);
    if (changes == 0)
      break;
    if (!item || !item->ByAddress() || item->ReadOnly() || item->DataMask() != 255 ||
        item == module.CHECKUP || item->FileKeyName().isEmpty())
      continue;
    const std::int32_t raw = item->RawValue() ^ 1;
    const QString value = item->FileValueText(raw);
    if (item->ConvertToEcu(value.toDouble()) != raw)
      continue;
    ini.WriteString(item->FileSection(), item->FileKeyName(), value);
    --changes;
  }
  return ConfigurationEnvelope::Seal(ini.TextBytes());
}
} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  constexpr int latencyMs = 5;
  SimulatedUnitConfig config(QByteArray("latency_ms = ") + QByteArray::number(latencyMs) + "\n");

  const int everyRead = EveryReadExchanges();
  MeasuringClock clock;
  Clock::SetCurrent(&clock);
  TSerialDataModule module;
  auto loader = std::make_unique<CountingLibraryLoader>();
  CountingLibraryLoader *counting = loader.get();
  module.NoxConnection->SetLibraryLoader(std::move(loader));

  QElapsedTimer timer;
  timer.start();
  const int result = module.ConnectAndReadAll(4, 0);
  const double total = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  if (result != 0 || !counting->Object) {
    std::fprintf(stderr, "connect failed (%d)\n", result);
    return 1;
  }
  const int exchanges = counting->Object->Exchanges;
  const double floor = exchanges * latencyMs + static_cast<double>(clock.Waited);
  std::printf("connect and read all: E = %d exchanges, W = %llu ms of mandated waits, T = %.1f ms\n",
              exchanges, static_cast<unsigned long long>(clock.Waited), total);
  std::printf("  T / (E x %d ms + W) = %.4f  (target <= 1.05); at 95 ms per exchange: %.1f s\n", latencyMs,
              total / floor, (exchanges * 95.0 + static_cast<double>(clock.Waited)) / 1000);
  std::printf("  E = %d exchanges (target <= 75); asking the unit for every read: E = %d\n", exchanges,
              everyRead);

  Clock::SetCurrent(nullptr);
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("bench.kfg"));
  constexpr int runs = 50;
  timer.restart();
  for (int i = 0; i < runs; ++i)
    module.SaveConfiguration(file);
  const double save = static_cast<double>(timer.nsecsElapsed()) / 1e6 / runs;
  timer.restart();
  int keys = 0;
  for (int i = 0; i < runs; ++i) {
    QByteArray block;
    ConfigurationEnvelope::DecryptFile(file, block);
    TMemIniData ini(&block);
    keys += ini.ValueExists(QStringLiteral("CONFIGURAZIONE"), QStringLiteral("CHECKUP")) ? 1 : 0;
  }
  const double loadFile = static_cast<double>(timer.nsecsElapsed()) / 1e6 / runs;
  std::printf("SaveConfiguration:                  %.3f ms  (target <= 20)\n", save);
  std::printf("LoadConfiguration, file part:       %.3f ms  (target <= 20; %d/%d parsed)\n", loadFile, keys,
              runs);

  // Loads while connected: exchanges E and waits W of the load alone; the
  // time on a K-line link is E x 95 ms + W.
  Clock::SetCurrent(&clock);
  struct Case {
    const char *name;
    int changes;
  };
  const Case cases[] = {{"unchanged file", 0}, {"1 parameter differs", 1}, {"20 parameters differ", 20}};
  const QString same = dir.filePath(QStringLiteral("same.kfg"));
  ConfigurationEnvelope::WriteFile(same, EditedFile(module, 0));
  for (const bool writeAll : {false, true}) {
    for (const Case &c : cases) {
      const QString edited = dir.filePath(QStringLiteral("edited.kfg"));
      ConfigurationEnvelope::WriteFile(edited, EditedFile(module, c.changes));
      const int before = counting->Object->Exchanges;
      const std::uint64_t waitedBefore = clock.Waited;
      LoadSummary summary;
      const bool ok = module.LoadConfiguration(edited, writeAll, &summary);
      const int e = counting->Object->Exchanges - before;
      const auto w = static_cast<unsigned long long>(clock.Waited - waitedBefore);
      std::printf("load, %s, %-21s E = %3d, W = %4llu ms, at 95 ms: %5.1f s  (%d written, %d already)%s\n",
                  writeAll ? "write-all   " : "changed only", c.name, e, w,
                  (e * 95.0 + static_cast<double>(w)) / 1000, summary.Written, summary.AlreadyInUnit,
                  ok ? "" : "  FAILED");
      // Back to the state the file was made from.
      module.LoadConfiguration(same, false, nullptr);
    }
  }
  Clock::SetCurrent(nullptr);
  module.CloseConnection(false);
  return 0;
}
