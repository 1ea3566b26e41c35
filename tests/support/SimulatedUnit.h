#pragma once
#include "dataitems/protocol/NoxProtocolObject.h"

#include <QByteArray>
#include <QList>
#include <QTemporaryFile>
#include <cstdint>
#include <memory>
#include <string>

// The simulated unit the module loads, shaped by settings lines for as long
// as this object lives: the lines go into a temporary file that
// NOX_SIMECU_CONFIG names.
class SimulatedUnitSettings {
public:
  // No waiting: answers at once and the default position is learnt already.
  static constexpr const char *FAST = "latency_ms = 0\ndefault_acquired_after_ms = 0\n";

  explicit SimulatedUnitSettings(const QByteArray &lines = FAST) { Use(lines); }
  ~SimulatedUnitSettings() { qunsetenv("NOX_SIMECU_CONFIG"); }
  SimulatedUnitSettings(const SimulatedUnitSettings &) = delete;
  SimulatedUnitSettings &operator=(const SimulatedUnitSettings &) = delete;

  // False when the file could not be written (the test should stop).
  bool Use(const QByteArray &lines) {
    m_file = std::make_unique<QTemporaryFile>();
    if (!m_file->open() || m_file->write(lines) != lines.size() || !m_file->flush())
      return false;
    qputenv("NOX_SIMECU_CONFIG", m_file->fileName().toLocal8Bit());
    return true;
  }
  bool IsValid() const { return m_file && m_file->isOpen(); }

  // Every byte of the unit's memory from first to last, read past the items'
  // caches; -1 where the unit has none.
  static QList<int> Memory(NoxProtocolObject *unit, int first = 0, int last = 255) {
    QList<int> bytes;
    for (int address = first; address <= last; ++address) {
      std::int32_t value = -1;
      bytes << (unit && unit->ReadAtAddress(0, address, &value) ? value : -1);
    }
    return bytes;
  }

  // The same as text, "?" where the unit has none: a failed comparison
  // shows where the bytes differ.
  static std::string MemoryText(NoxProtocolObject *unit) {
    std::string text;
    for (const int value : Memory(unit))
      text += value < 0 ? std::string("? ") : std::to_string(value) + ' ';
    return text;
  }

private:
  std::unique_ptr<QTemporaryFile> m_file;
};
