#include "ecuconfig/LoadLine.h"

void LoadLine::Know(int address, std::uint8_t value) {
  if (address < 0 || address > 255)
    return;
  m_known[Index(address)] = true;
  m_bytes[Index(address)] = value;
}

bool LoadLine::Knows(int address) const { return address >= 0 && address <= 255 && m_known[Index(address)]; }

bool LoadLine::Spares(std::uint32_t dataCode, int address) const {
  return (m_mode == Mode::SpareKnownBytes || m_lineLost) && Knows(address) && (dataCode & DATACODE_TWO_BYTES) == 0;
}

void LoadLine::Sent(int address, std::uint8_t value) {
  Know(address, value);
  m_sent.insert(address);
  m_written[address] = value;
}

bool LoadLine::WaitNeeded() const {
  if (m_lineLost)
    return false;
  if (m_mode == Mode::SendEveryWrite)
    return true;
  return m_lastWrite == LastWrite::Sent;
}

bool LoadLine::Asked(bool result) {
  m_lastAnswer = Answer::Unit;
  // A unit that stops answering in the middle of a load is not asked again:
  // each further exchange would only wait for its time-out.
  if (!result && !Inner()->IsConnected())
    m_lineLost = true;
  return result;
}

bool LoadLine::Dead() {
  m_lastAnswer = Answer::Dead;
  return false;
}

bool LoadLine::ReadAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t *value) {
  if (!Spares(dataCode, address) || value == nullptr)
    return m_lineLost ? Dead() : Asked(Inner()->ReadAtAddress(dataCode, address, value));
  m_lastAnswer = Answer::Here;
  *value = m_bytes[Index(address)];
  return true;
}

bool LoadLine::WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) {
  // After the line is lost, a value counts as held only until the first
  // that is not: the values after it may depend on it.
  if (Spares(dataCode, address) && value == m_bytes[Index(address)] && !m_deadWriteSeen &&
      (m_lineLost || !m_neverSpared.count(address))) {
    m_lastAnswer = Answer::Here;
    m_lastWrite = LastWrite::Spared;
    m_written[address] = m_bytes[Index(address)];
    return true;
  }
  if (m_lineLost) {
    m_lastWrite = LastWrite::None;
    m_deadWriteSeen = true;
    return Dead();
  }
  const bool written = Asked(Inner()->WriteAtAddress(dataCode, address, value));
  m_lastWrite = written ? LastWrite::Sent : LastWrite::None;
  if (address >= 0 && address <= 255) {
    // After a failure the byte is whatever the unit says when next asked.
    m_known[Index(address)] = written && value >= 0 && value <= 255 && m_known[Index(address)];
    if (written) {
      m_bytes[Index(address)] = static_cast<std::uint8_t>(value);
      m_sent.insert(address);
      m_written[address] = static_cast<std::uint8_t>(value);
    } else if (m_lineLost) {
      m_deadWriteSeen = true;
    } else if (value >= 0 && value <= 255) {
      // The unit refuses the address (not just a value no byte can hold).
      m_refused.insert(address);
    }
  }
  return written;
}

bool LoadLine::WriteValue(std::uint32_t dataCode, std::int32_t value) {
  if (m_lineLost)
    return Dead();
  const bool written = Asked(Inner()->WriteValue(dataCode, value));
  m_lastWrite = written ? LastWrite::Sent : LastWrite::None;
  return written;
}

bool LoadLine::WriteRowValue(std::uint32_t dataCode, std::int32_t row, std::int32_t value) {
  if (m_lineLost)
    return Dead();
  const bool written = Asked(Inner()->WriteRowValue(dataCode, row, value));
  m_lastWrite = written ? LastWrite::Sent : LastWrite::None;
  return written;
}

bool LoadLine::WriteTableValue(std::uint32_t dataCode, std::int32_t row, std::int32_t column,
                               std::int32_t value) {
  if (m_lineLost)
    return Dead();
  const bool written = Asked(Inner()->WriteTableValue(dataCode, row, column, value));
  m_lastWrite = written ? LastWrite::Sent : LastWrite::None;
  return written;
}

bool LoadLine::ReadValue(std::uint32_t dataCode, std::int32_t *value) {
  return m_lineLost ? Dead() : Asked(Inner()->ReadValue(dataCode, value));
}

bool LoadLine::ReadRowValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row) {
  return m_lineLost ? Dead() : Asked(Inner()->ReadRowValue(dataCode, value, row));
}

bool LoadLine::ReadTableValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row,
                              std::int32_t column) {
  return m_lineLost ? Dead() : Asked(Inner()->ReadTableValue(dataCode, value, row, column));
}

std::int32_t LoadLine::LastStatus() {
  switch (m_lastAnswer) {
  case Answer::Unit:
    return Inner()->LastStatus();
  case Answer::Dead:
    return STATUS_NO_ANSWER;
  case Answer::Here:
    break;
  }
  return 0;
}
