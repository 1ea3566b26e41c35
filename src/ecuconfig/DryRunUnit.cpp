#include "ecuconfig/DryRunUnit.h"

#include "dataitems/ItemWriteTap.h"

#include <algorithm>

void DryRunUnit::Know(int address, std::uint8_t value) {
  const std::size_t i = Index(address);
  m_known[i] = true;
  m_start[i] = value;
  m_bytes[i] = value;
}

bool DryRunUnit::Knows(int address) const {
  return address >= 0 && address < 256 && m_known[Index(address)];
}

bool DryRunUnit::ReadAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t *value) {
  if (!Knows(address) || (dataCode & DATACODE_TWO_BYTES) != 0 || value == nullptr)
    return Passed(m_unit.ReadAtAddress(dataCode, address, value));
  m_lastPassed = false;
  *value = m_bytes[Index(address)];
  return true;
}

bool DryRunUnit::PassWrite(bool result) {
  m_lastWritePassed = true;
  return Passed(result);
}

bool DryRunUnit::WriteValue(std::uint32_t dataCode, std::int32_t value) {
  return PassWrite(m_unit.WriteValue(dataCode, value));
}

bool DryRunUnit::WriteRowValue(std::uint32_t dataCode, std::int32_t row, std::int32_t value) {
  return PassWrite(m_unit.WriteRowValue(dataCode, row, value));
}

bool DryRunUnit::WriteTableValue(std::uint32_t dataCode, std::int32_t row, std::int32_t column,
                                 std::int32_t value) {
  return PassWrite(m_unit.WriteTableValue(dataCode, row, column, value));
}

bool DryRunUnit::WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) {
  // What the unit would refuse is left to the unit to refuse, with its own
  // status: nothing changes there either way.
  if (!Knows(address)) {
    m_passedWrites.push_back(address);
    const bool written = m_unit.WriteAtAddress(dataCode, address, value);
    if (written && value >= 0 && value <= 255)
      m_passedBytes[address] = static_cast<std::uint8_t>(value);
    return PassWrite(written);
  }
  if ((dataCode & DATACODE_TWO_BYTES) != 0 || value < 0 || value > 255)
    return PassWrite(m_unit.WriteAtAddress(dataCode, address, value));
  const std::size_t i = Index(address);
  m_writes.push_back({dataCode, address, m_bytes[i] != value, {}, ItemWriteTap::HandlerRunningFor()});
  m_bytes[i] = static_cast<std::uint8_t>(value);
  m_lastPassed = false;
  m_lastWritePassed = false;
  return true;
}

bool DryRunUnit::NoteWait(std::uint32_t milliseconds) {
  if (m_lastWritePassed)
    return true;
  if (!m_writes.empty())
    m_writes.back().Waits.push_back(milliseconds);
  return false;
}

std::vector<DryRunUnit::Change> DryRunUnit::Changes() const {
  // A byte goes out at the place of the write that gave it its final value:
  // after the bytes its conversion depended on (the sensor type before its
  // voltages), whatever rewrote it later with the same value.
  std::vector<std::size_t> lastWrite(256, SIZE_MAX);
  for (std::size_t w = 0; w < m_writes.size(); ++w)
    if (m_writes[w].Changed)
      lastWrite[Index(m_writes[w].Address)] = w;
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < 256; ++i)
    if (m_known[i] && m_bytes[i] != m_start[i] && lastWrite[i] != SIZE_MAX)
      order.push_back(lastWrite[i]);
  std::sort(order.begin(), order.end());
  std::vector<Change> changes;
  for (std::size_t w : order) {
    const int address = m_writes[w].Address;
    Change change{m_writes[w].DataCode, address, m_bytes[Index(address)], {}, m_writes[w].Handler};
    // A wait belongs to a write that changed the byte (the unit needs the
    // time to take the new value in); it is taken after the one write sent.
    for (const Write &write : m_writes)
      if (write.Address == address && write.Changed)
        change.Waits.insert(change.Waits.end(), write.Waits.begin(), write.Waits.end());
    changes.push_back(std::move(change));
  }
  return changes;
}

std::map<int, std::uint8_t> DryRunUnit::WrittenBytes() const {
  std::map<int, std::uint8_t> bytes = m_passedBytes;
  for (const Write &write : m_writes)
    bytes[write.Address] = m_bytes[Index(write.Address)];
  return bytes;
}
