#include "SimEcuProtocolObject.h"

#include "StatusPacketModel.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <thread>
#include <utility>

namespace {

// Option and mode operations configure the serial line of a real unit; the
// simulated one has no line, so it just accepts them.
constexpr std::int32_t Accepted = 1;

} // namespace

SimEcuProtocolObject::SimEcuProtocolObject(SimEcuConfig config, std::ostream &diagnostics)
    : m_config(std::move(config)), m_diagnostics(diagnostics) {
  if (m_config.memoryImage.empty())
    return;
  std::string error;
  if (m_memory.loadFile(m_config.memoryImage, error))
    return;
  // A unit that keeps its memory in a file that does not exist yet is a new
  // unit: it starts from the factory image and creates the file on first write.
  std::error_code ignored;
  if (m_config.persist && !std::filesystem::exists(m_config.memoryImage, ignored))
    return;
  m_diagnostics << "simulated unit: " << error << ", starting from the factory image\n";
}

std::int32_t SimEcuProtocolObject::SetOptionA(std::int32_t) {
  return Accepted;
}
std::int32_t SimEcuProtocolObject::SetOptionB(std::int32_t) {
  return Accepted;
}
std::int32_t SimEcuProtocolObject::SelectModeA() {
  return Accepted;
}
std::int32_t SimEcuProtocolObject::SelectModeB() {
  return Accepted;
}
std::int32_t SimEcuProtocolObject::SetOptionD(std::int32_t) {
  return Accepted;
}
std::int32_t SimEcuProtocolObject::SetOptionC(std::int32_t) {
  return Accepted;
}

std::int32_t SimEcuProtocolObject::Release() {
  // The program releases only a closed line, right before destroying the
  // object; nobody is left to tell, so nothing is posted.
  m_connected = false;
  m_hasNotifyHandle = false;
  return Accepted;
}

std::int32_t SimEcuProtocolObject::SetNotifyWindow(const NoxNotifyHandle *handle) {
  m_hasNotifyHandle = handle != nullptr && handle->post != nullptr;
  m_notifyHandle = m_hasNotifyHandle ? *handle : NoxNotifyHandle{};
  return Accepted;
}

bool SimEcuProtocolObject::Connect() {
  waitLatency();
  if (m_config.refuseConnect)
    return fail(StatusNoAnswer);
  m_lastStatus = StatusOk;
  if (m_connected)
    return true;
  m_connected = true;
  m_exchanges = 0;
  m_connectedAt = Clock::now();
  m_learningSince = m_connectedAt;
  post(1);
  return true;
}

std::int32_t SimEcuProtocolObject::Disconnect() {
  if (m_connected) {
    m_connected = false;
    post(0);
  }
  return Accepted;
}

bool SimEcuProtocolObject::ReadValue(std::uint32_t, std::int32_t *) {
  // This unit has no quantities by code, only its address map and its packet.
  if (!beginExchange())
    return false;
  endExchange();
  return fail(STATUS_NOT_DEFINED);
}

bool SimEcuProtocolObject::ReadRowValue(std::uint32_t, std::int32_t *, std::int32_t) {
  if (!beginExchange())
    return false;
  endExchange();
  return fail(STATUS_NOT_DEFINED);
}

bool SimEcuProtocolObject::ReadTableValue(std::uint32_t, std::int32_t *, std::int32_t, std::int32_t) {
  if (!beginExchange())
    return false;
  endExchange();
  return fail(STATUS_NOT_DEFINED);
}

bool SimEcuProtocolObject::WriteValue(std::uint32_t, std::int32_t) {
  if (!beginExchange())
    return false;
  endExchange();
  return fail(STATUS_NOT_DEFINED);
}

bool SimEcuProtocolObject::WriteRowValue(std::uint32_t, std::int32_t, std::int32_t) {
  if (!beginExchange())
    return false;
  endExchange();
  return fail(STATUS_NOT_DEFINED);
}

bool SimEcuProtocolObject::WriteTableValue(std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {
  if (!beginExchange())
    return false;
  endExchange();
  return fail(STATUS_NOT_DEFINED);
}

bool SimEcuProtocolObject::ReadPacket(std::uint32_t, std::uint8_t *bytes, std::int32_t *length) {
  if (!beginExchange())
    return false;
  endExchange();
  if (bytes == nullptr || length == nullptr || *length <= 0)
    return fail(StatusBadArgument);
  const auto elapsed = m_config.engineTimeMs >= 0
                           ? std::chrono::milliseconds(m_config.engineTimeMs)
                           : std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_connectedAt);
  const StatusPacketModel::Packet packet = StatusPacketModel::compute(m_memory.bytes(), elapsed);
  // A short buffer gets the head of the packet, never more than it holds.
  const auto delivered = std::min(static_cast<std::size_t>(*length), packet.size());
  std::memcpy(bytes, packet.data(), delivered);
  *length = static_cast<std::int32_t>(delivered);
  m_lastStatus = StatusOk;
  return true;
}

bool SimEcuProtocolObject::ReadAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t *value) {
  if (!beginExchange())
    return false;
  endExchange();
  // Every byte of the map is a single byte; there is no two-byte quantity.
  if (!addressDefined(address) || (dataCode & DATACODE_TWO_BYTES) != 0)
    return fail(STATUS_NOT_DEFINED);
  if (m_config.readFail.contains(address))
    return fail(StatusNoAnswer);
  if (value == nullptr)
    return fail(StatusBadArgument);
  *value = address == SimEcuMemory::StatusFlagsAddress ? statusFlags() : m_memory.at(address);
  m_lastStatus = StatusOk;
  return true;
}

bool SimEcuProtocolObject::WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) {
  if (!beginExchange())
    return false;
  endExchange();
  if (!addressDefined(address) || (dataCode & DATACODE_TWO_BYTES) != 0)
    return fail(STATUS_NOT_DEFINED);
  if (m_config.writeFail.contains(address))
    return fail(StatusNoAnswer);
  if (value < 0 || value > 255)
    return fail(StatusBadArgument);
  const SimEcuMemory previous = m_memory;
  m_memory.set(address, static_cast<std::uint8_t>(value));
  const bool erase = address == SimEcuMemory::CheckupAddress && value != SimEcuMemory::CheckupIntact;
  // A broken check byte makes the unit erase its EEPROM: back to the factory
  // image, and the default position has to be learnt again.
  if (erase)
    m_memory.restoreFactory();
  // A unit whose memory file cannot be written has not stored the value: it
  // keeps what it had and the write fails, as an EEPROM write would.
  if (!persist()) {
    m_memory = previous;
    return fail(StatusNoAnswer);
  }
  if (erase)
    m_learningSince = Clock::now();
  m_lastStatus = StatusOk;
  return true;
}

bool SimEcuProtocolObject::ReadIdentification(NoxIdentification *record) {
  // Asked before Connect: the unit identifies itself on a line not yet open.
  waitLatency();
  if (m_config.noIdentification || record == nullptr)
    return fail(StatusNoAnswer);
  std::copy(m_config.identification.begin(), m_config.identification.end(), record->Bytes);
  m_lastStatus = StatusOk;
  return true;
}

bool SimEcuProtocolObject::IsConnected() {
  return m_connected;
}

std::int32_t SimEcuProtocolObject::LastStatus() {
  return m_lastStatus;
}

void SimEcuProtocolObject::waitLatency() const {
  if (m_config.latencyMs > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(m_config.latencyMs));
}

bool SimEcuProtocolObject::beginExchange() {
  waitLatency();
  if (!m_connected) {
    m_lastStatus = StatusNoAnswer;
    return false;
  }
  return true;
}

void SimEcuProtocolObject::endExchange() {
  ++m_exchanges;
  // The exchange that reaches the count still gets its answer; the line is
  // gone for the next one, as when a cable is pulled between two messages.
  if (m_config.loseConnectionAfter != 0 && m_exchanges >= m_config.loseConnectionAfter && m_connected) {
    m_connected = false;
    post(0);
  }
}

bool SimEcuProtocolObject::fail(std::int32_t status) {
  m_lastStatus = status;
  return false;
}

bool SimEcuProtocolObject::addressDefined(std::int32_t address) const {
  return address >= 0 && address < static_cast<std::int32_t>(SimEcuMemory::Size) &&
         SimEcuMemory::isMapped(address) && !m_config.undefined.contains(address);
}

std::uint8_t SimEcuProtocolObject::statusFlags() const {
  std::uint8_t flags = m_memory.at(SimEcuMemory::StatusFlagsAddress);
  if (Clock::now() - m_learningSince >= std::chrono::milliseconds(m_config.defaultAcquiredAfterMs))
    flags |= DefaultAcquiredBit;
  return flags;
}

void SimEcuProtocolObject::post(std::intptr_t connected) const {
  if (m_hasNotifyHandle)
    m_notifyHandle.post(m_notifyHandle.context, MSG_CONNECTION_STATE, 0, connected);
}

bool SimEcuProtocolObject::persist() {
  if (!m_config.persist || m_config.memoryImage.empty())
    return true;
  // The user's state folder may not exist yet on a fresh account.
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(m_config.memoryImage).parent_path(), ignored);
  std::string error;
  if (m_memory.saveFile(m_config.memoryImage, error))
    return true;
  m_diagnostics << "simulated unit: " << error << ", the write is refused\n";
  return false;
}
