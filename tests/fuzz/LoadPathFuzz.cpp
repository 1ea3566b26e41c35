// libFuzzer target for the whole load path: the input is the bytes of a .kfg
// file, loaded with the real LoadConfiguration of a data module connected to
// an in-memory simulated unit. Besides sanitizer findings it checks, on every
// write that reaches the unit, what no file may ever cause:
//   - a bit outside every item's mask changes (another item's bits, or an
//     address no item covers);
//   - the check byte gets anything but its check value (the unit erases);
//   - a value outside one byte is sent;
//   - the read-only status flags are written.

#include "SimEcuProtocolObject.h"
#include "dataitems/ProtocolLibraryLoader.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace {

constexpr int CHECK_ADDRESS = 161;
constexpr int CHECK_VALUE = 172;
constexpr int STATUS_FLAGS_ADDRESS = 122;

void Violation(const char *what, int address, int value) {
  std::fprintf(stderr, "load path: %s (address %d, value %d)\n", what, address, value);
  std::abort();
}

// The simulated unit behind a guard that checks each write on its way.
class GuardedUnit final : public NoxProtocolObject {
public:
  explicit GuardedUnit(const std::array<int, 256> &masks) : m_unit(SimEcuConfig{}, m_diagnostics), m_masks(masks) {}

  bool WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) override {
    if (value < 0 || value > 255)
      Violation("value wider than a byte", address, value);
    if (address == CHECK_ADDRESS && value != CHECK_VALUE)
      Violation("check byte overwritten: the unit would erase itself", address, value);
    if (address == STATUS_FLAGS_ADDRESS)
      Violation("read-only status flags written", address, value);
    if (address >= 0 && address < 256) {
      std::int32_t current = 0;
      if (m_unit.ReadAtAddress(0, address, &current) &&
          ((current ^ value) & ~m_masks[static_cast<std::size_t>(address)]) != 0)
        Violation("bits outside every item's mask changed", address, value);
    }
    return m_unit.WriteAtAddress(dataCode, address, value);
  }

  std::int32_t SetOptionA(std::int32_t v) override { return m_unit.SetOptionA(v); }
  std::int32_t SetOptionB(std::int32_t v) override { return m_unit.SetOptionB(v); }
  std::int32_t Release() override { return m_unit.Release(); }
  std::int32_t SetNotifyWindow(const NoxNotifyHandle *) override { return 1; } // no events pile up
  std::int32_t SelectModeA() override { return m_unit.SelectModeA(); }
  std::int32_t SelectModeB() override { return m_unit.SelectModeB(); }
  std::int32_t SetOptionD(std::int32_t v) override { return m_unit.SetOptionD(v); }
  std::int32_t SetOptionC(std::int32_t v) override { return m_unit.SetOptionC(v); }
  bool Connect() override { return m_unit.Connect(); }
  std::int32_t Disconnect() override { return m_unit.Disconnect(); }
  bool ReadValue(std::uint32_t c, std::int32_t *v) override { return m_unit.ReadValue(c, v); }
  bool ReadRowValue(std::uint32_t c, std::int32_t *v, std::int32_t r) override { return m_unit.ReadRowValue(c, v, r); }
  bool ReadTableValue(std::uint32_t c, std::int32_t *v, std::int32_t r, std::int32_t col) override {
    return m_unit.ReadTableValue(c, v, r, col);
  }
  bool ReadPacket(std::uint32_t c, std::uint8_t *b, std::int32_t *l) override { return m_unit.ReadPacket(c, b, l); }
  bool ReadAtAddress(std::uint32_t c, std::int32_t a, std::int32_t *v) override { return m_unit.ReadAtAddress(c, a, v); }
  bool WriteValue(std::uint32_t c, std::int32_t v) override { return m_unit.WriteValue(c, v); }
  bool WriteRowValue(std::uint32_t c, std::int32_t r, std::int32_t v) override { return m_unit.WriteRowValue(c, r, v); }
  bool WriteTableValue(std::uint32_t c, std::int32_t r, std::int32_t col, std::int32_t v) override {
    return m_unit.WriteTableValue(c, r, col, v);
  }
  bool ReadIdentification(NoxIdentification *r) override { return m_unit.ReadIdentification(r); }
  bool IsConnected() override { return m_unit.IsConnected(); }
  std::int32_t LastStatus() override { return m_unit.LastStatus(); }

private:
  std::ostringstream m_diagnostics;
  SimEcuProtocolObject m_unit;
  const std::array<int, 256> &m_masks;
};

class GuardedLibrary final : public ProtocolLibraryLoader {
public:
  explicit GuardedLibrary(const std::array<int, 256> &masks) : m_masks(masks) {}
  bool Load(const QString &, ProtocolEntryPoints &entryPoints) override {
    const auto &masks = m_masks;
    entryPoints.CreateClassInstance = [&masks]() -> NoxProtocolObject * { return new GuardedUnit(masks); };
    entryPoints.DestroyClassInstance = [](NoxProtocolObject *object) { delete static_cast<GuardedUnit *>(object); };
    entryPoints.GetDLLVersion = [](NoxDllVersion *version) {
      *version = {1, 0, 0, 0};
      return true;
    };
    return true;
  }
  void Unload() override {}

private:
  const std::array<int, 256> &m_masks;
};

// The handlers' pauses (a second after an ignition-type write) cost nothing.
class InstantClock final : public Clock {
public:
  std::uint32_t TickCount() override { return m_tick; }
  void Sleep(std::uint32_t milliseconds) override { m_tick += milliseconds; }

private:
  std::uint32_t m_tick = 0;
};

class SilentInterface final : public UserInterface {
public:
  void ShowMessage(const QString &, const QString &, MessageIcon) override {}
};

struct Harness {
  Harness() {
    static int argc = 1;
    static char name[] = "fuzz_load_path";
    static char *argv[] = {name, nullptr};
    application = std::make_unique<QCoreApplication>(argc, argv);
    Clock::SetCurrent(&clock);
    UserInterface::SetCurrent(&ui);
    file = directory.filePath(QStringLiteral("input.kfg"));
  }
  std::unique_ptr<QCoreApplication> application;
  InstantClock clock;
  SilentInterface ui;
  QTemporaryDir directory;
  QString file;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static Harness harness;
  {
    QFile input(harness.file);
    if (!input.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        input.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) != static_cast<qint64>(size))
      std::abort();
  }
  // A fresh module and a factory-fresh unit for every input: each run is the
  // same whatever came before.
  std::array<int, 256> masks{};
  TSerialDataModule module;
  for (TNoxSerialData *item : module.DataItems())
    if (auto *number = qobject_cast<TNoxNumber *>(item); number && number->ByAddress())
      masks[static_cast<std::size_t>(number->Address())] |= number->DataMask();
  module.NoxConnection->SetLibraryLoader(std::make_unique<GuardedLibrary>(masks));
  if (module.ConnectAndReadAll(4, 0) != 0)
    std::abort();
  module.LoadConfiguration(harness.file);
  return 0;
}
