#pragma once
#include "NoxProtocolObject.h"
#include "platform/Clock.h"

#include <array>
#include <cstdint>
#include <map>

class TNoxSerialData;
#include <vector>

// Stands in for the unit while a load is rehearsed: the bytes the program
// knows the unit holds answer reads and take writes without a single
// exchange, and every write is remembered in order with the waits that
// followed it. Addresses whose byte is not known (a read that failed, items
// that disagree) are passed through to the real unit as they come, so that
// they behave exactly as on the line.
class DryRunUnit final : public NoxProtocolObject {
public:
  explicit DryRunUnit(NoxProtocolObject &unit) : m_unit(unit) {}

  // The unit holds `value` at `address`.
  void Know(int address, std::uint8_t value);
  bool Knows(int address) const;
  std::uint8_t Byte(int address) const { return m_bytes[Index(address)]; }

  // One byte the rehearsal changed, with the waits that belong to its writes.
  struct Change {
    std::uint32_t DataCode;
    int Address;
    std::uint8_t Value;
    std::vector<std::uint32_t> Waits;
    // The item whose set-data handler gave the byte its final value: that
    // item's own write must have reached the unit for this one to hold.
    const TNoxSerialData *Handler = nullptr;
  };
  // Bytes whose final value differs from the start, in the order of the
  // last write that changed each.
  std::vector<Change> Changes() const;
  // The final byte at every address the rehearsal wrote (known, or written
  // through to the unit).
  std::map<int, std::uint8_t> WrittenBytes() const;
  // Addresses written through to the unit during the rehearsal.
  const std::vector<int> &PassedWrites() const { return m_passedWrites; }

  // A wait asked for during the rehearsal. True when it belongs to a write
  // that already went to the unit, so it must be waited now; otherwise it is
  // kept with the last write and taken only if that byte is sent.
  bool NoteWait(std::uint32_t milliseconds);

  std::int32_t SetOptionA(std::int32_t value) override { return m_unit.SetOptionA(value); }
  std::int32_t SetOptionB(std::int32_t value) override { return m_unit.SetOptionB(value); }
  std::int32_t Release() override { return m_unit.Release(); }
  std::int32_t SetNotifyWindow(const NoxNotifyHandle *handle) override {
    return m_unit.SetNotifyWindow(handle);
  }
  std::int32_t SelectModeA() override { return m_unit.SelectModeA(); }
  std::int32_t SelectModeB() override { return m_unit.SelectModeB(); }
  std::int32_t SetOptionD(std::int32_t value) override { return m_unit.SetOptionD(value); }
  std::int32_t SetOptionC(std::int32_t value) override { return m_unit.SetOptionC(value); }
  bool Connect() override { return Passed(m_unit.Connect()); }
  std::int32_t Disconnect() override { return m_unit.Disconnect(); }
  bool ReadValue(std::uint32_t dataCode, std::int32_t *value) override {
    return Passed(m_unit.ReadValue(dataCode, value));
  }
  bool ReadRowValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row) override {
    return Passed(m_unit.ReadRowValue(dataCode, value, row));
  }
  bool ReadTableValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row,
                      std::int32_t column) override {
    return Passed(m_unit.ReadTableValue(dataCode, value, row, column));
  }
  bool ReadPacket(std::uint32_t dataCode, std::uint8_t *bytes, std::int32_t *length) override {
    return Passed(m_unit.ReadPacket(dataCode, bytes, length));
  }
  bool ReadAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t *value) override;
  bool WriteValue(std::uint32_t dataCode, std::int32_t value) override;
  bool WriteRowValue(std::uint32_t dataCode, std::int32_t row, std::int32_t value) override;
  bool WriteTableValue(std::uint32_t dataCode, std::int32_t row, std::int32_t column,
                       std::int32_t value) override;
  bool WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) override;
  bool ReadIdentification(NoxIdentification *record) override {
    return Passed(m_unit.ReadIdentification(record));
  }
  bool IsConnected() override { return m_unit.IsConnected(); }
  std::int32_t LastStatus() override { return m_lastPassed ? m_unit.LastStatus() : 0; }

private:
  static std::size_t Index(int address) { return static_cast<std::size_t>(address) & 0xFF; }
  bool Passed(bool result) {
    m_lastPassed = true;
    return result;
  }
  // A write the rehearsal cannot answer for: it goes to the unit now.
  bool PassWrite(bool result);

  struct Write {
    std::uint32_t DataCode;
    int Address;
    bool Changed; // the byte differed before this write
    std::vector<std::uint32_t> Waits;
    const TNoxSerialData *Handler; // whose set-data handler made it, if any
  };

  NoxProtocolObject &m_unit;
  std::array<std::uint8_t, 256> m_start{};
  std::array<std::uint8_t, 256> m_bytes{};
  std::array<bool, 256> m_known{};
  std::vector<Write> m_writes;
  std::vector<int> m_passedWrites;
  std::map<int, std::uint8_t> m_passedBytes;
  bool m_lastPassed = false;
  bool m_lastWritePassed = false;
};

// The clock in force during a rehearsal: waits are handed to the stand-in
// instead of blocking, unless they belong to a write already sent.
class DryRunClock final : public Clock {
public:
  DryRunClock(DryRunUnit &unit, Clock &real) : m_unit(unit), m_real(real) {}
  std::uint32_t TickCount() override { return m_real.TickCount(); }
  void Sleep(std::uint32_t milliseconds) override {
    if (m_unit.NoteWait(milliseconds))
      m_real.Sleep(milliseconds);
  }

private:
  DryRunUnit &m_unit;
  Clock &m_real;
};
