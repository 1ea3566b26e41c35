#pragma once
#include "dataitems/ForwardingProtocolObject.h"
#include "platform/Clock.h"

#include <array>
#include <cstdint>
#include <map>
#include <set>

// Stands in front of the unit while a file is loaded value by value. The
// load runs the two passes for real, in their order, so that a refused
// write, an address the unit does not know or a lost line meets the load
// exactly where it would meet the passes that send every value. All this
// object may do is spare the exchanges that cannot change anything: a read
// of a byte the program knows the unit holds, and a write of the very value
// that byte already holds.
//
// Once the line is lost nothing more is sent. The passes go on to the end
// all the same: a value the unit is known to hold counts as loaded until the
// first that is not, and every value from there fails (it may depend on
// one the unit did not take), so the load names every value the unit may
// not hold.
class LoadLine final : public ForwardingProtocolObject {
public:
  enum class Mode {
    SpareKnownBytes, // the fast load
    SendEveryWrite,  // every value as it comes; only watched
  };
  LoadLine(NoxProtocolObject &unit, Mode mode) : ForwardingProtocolObject(&unit), m_mode(mode) {}

  // The unit holds `value` at `address` (read at the connect, not since
  // changed by anyone but this load).
  void Know(int address, std::uint8_t value);
  bool Knows(int address) const;
  // A load before this one sent `value` to `address` (a rehearsed load that
  // had to stop halfway).
  void Sent(int address, std::uint8_t value);
  // Writes at these addresses are always sent while the line is up: they
  // run a set-data handler that writes other values, which must not happen
  // for a write the unit would have refused.
  void NeverSpare(std::set<int> addresses) { m_neverSpared = std::move(addresses); }
  // The line was lost before this object came in.
  void SetLineLost() { m_lineLost = true; }

  // The byte at every address this load wrote (sent or spared).
  const std::map<int, std::uint8_t> &WrittenBytes() const { return m_written; }
  // Addresses a write went out to and the unit took.
  const std::set<int> &SentAddresses() const { return m_sent; }
  // Addresses where the unit refused a write (the line still up).
  const std::set<int> &RefusedAddresses() const { return m_refused; }
  // The line went down during the load.
  bool LineLost() const { return m_lineLost; }
  // A wait a handler asks for belongs to the write before it: it is taken
  // only when that write reached the unit (a spared write changed nothing
  // the unit has to take in).
  bool WaitNeeded() const;

  bool ReadAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t *value) override;
  bool WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) override;
  bool WriteValue(std::uint32_t dataCode, std::int32_t value) override;
  bool WriteRowValue(std::uint32_t dataCode, std::int32_t row, std::int32_t value) override;
  bool WriteTableValue(std::uint32_t dataCode, std::int32_t row, std::int32_t column,
                       std::int32_t value) override;
  bool ReadValue(std::uint32_t dataCode, std::int32_t *value) override;
  bool ReadRowValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row) override;
  bool ReadTableValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row,
                      std::int32_t column) override;
  std::int32_t LastStatus() override;

private:
  static constexpr std::int32_t STATUS_NO_ANSWER = 1;
  static std::size_t Index(int address) { return static_cast<std::size_t>(address) & 0xFF; }
  bool Spares(std::uint32_t dataCode, int address) const;
  // Called after every exchange that went to the unit.
  bool Asked(bool result);
  bool Dead(); // an exchange asked for after the line was lost
  enum class Answer { Unit, Here, Dead };

  Mode m_mode;
  std::array<std::uint8_t, 256> m_bytes{};
  std::array<bool, 256> m_known{};
  std::set<int> m_sent;
  std::map<int, std::uint8_t> m_written;
  std::set<int> m_refused;
  std::set<int> m_neverSpared;
  bool m_lineLost = false;
  bool m_deadWriteSeen = false;
  Answer m_lastAnswer = Answer::Here;
  enum class LastWrite { None, Sent, Spared } m_lastWrite = LastWrite::None;
};

// The clock in force while a file loads: a handler's wait is taken only when
// the write it follows reached the unit.
class LoadClock final : public Clock {
public:
  LoadClock(const LoadLine &line, Clock &real) : m_line(line), m_real(real) {}
  std::uint32_t TickCount() override { return m_real.TickCount(); }
  void Sleep(std::uint32_t milliseconds) override {
    if (m_line.WaitNeeded())
      m_real.Sleep(milliseconds);
  }

private:
  const LoadLine &m_line;
  Clock &m_real;
};
