#pragma once
// A control unit that lives in memory: the protocol object handed out by the
// simulated protocol library. It answers every operation the program calls
// the way a connected unit would, shaped by SimEcuConfig.
//
// The program calls it from one thread at a time (its GUI thread), so the
// object keeps no locks of its own.

#include "NoxProtocolObject.h"
#include "SimEcuConfig.h"
#include "SimEcuMemory.h"

#include <chrono>
#include <cstdint>
#include <iosfwd>

class SimEcuProtocolObject final : public NoxProtocolObject {
public:
  // LastStatus values besides STATUS_NOT_DEFINED.
  static constexpr std::int32_t StatusOk = 0;
  static constexpr std::int32_t StatusNoAnswer = 1;    // line closed or the unit did not answer
  static constexpr std::int32_t StatusBadArgument = 2; // value or buffer the unit cannot take

  static constexpr std::uint8_t DefaultAcquiredBit = 8;

  // Diagnostics (memory file problems) go to `diagnostics`, which must outlive the object.
  SimEcuProtocolObject(SimEcuConfig config, std::ostream &diagnostics);
  ~SimEcuProtocolObject() = default;
  SimEcuProtocolObject(const SimEcuProtocolObject &) = delete;
  SimEcuProtocolObject &operator=(const SimEcuProtocolObject &) = delete;

  std::int32_t SetOptionA(std::int32_t value) override;
  std::int32_t SetOptionB(std::int32_t value) override;
  std::int32_t Release() override;
  std::int32_t SetNotifyWindow(const NoxNotifyHandle *handle) override;
  std::int32_t SelectModeA() override;
  std::int32_t SelectModeB() override;
  std::int32_t SetOptionD(std::int32_t value) override;
  std::int32_t SetOptionC(std::int32_t value) override;
  bool Connect() override;
  std::int32_t Disconnect() override;
  bool ReadValue(std::uint32_t dataCode, std::int32_t *value) override;
  bool ReadRowValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row) override;
  bool ReadTableValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row,
                      std::int32_t column) override;
  bool ReadPacket(std::uint32_t dataCode, std::uint8_t *bytes, std::int32_t *length) override;
  bool ReadAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t *value) override;
  bool WriteValue(std::uint32_t dataCode, std::int32_t value) override;
  bool WriteRowValue(std::uint32_t dataCode, std::int32_t row, std::int32_t value) override;
  bool WriteTableValue(std::uint32_t dataCode, std::int32_t row, std::int32_t column,
                       std::int32_t value) override;
  bool WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) override;
  bool ReadIdentification(NoxIdentification *record) override;
  bool IsConnected() override;
  std::int32_t LastStatus() override;

private:
  using Clock = std::chrono::steady_clock;

  void waitLatency() const;
  // Every exchange starts here: false (and StatusNoAnswer) while the line is closed.
  bool beginExchange();
  // Counts the exchange; the configured lost connection happens here.
  void endExchange();
  bool fail(std::int32_t status);
  bool addressDefined(std::int32_t address) const;
  std::uint8_t statusFlags() const;
  void post(std::intptr_t connected) const;
  // Saves the memory file when configured; false when that failed.
  bool persist();

  SimEcuConfig m_config;
  std::ostream &m_diagnostics;
  SimEcuMemory m_memory;
  bool m_connected = false;
  bool m_hasNotifyHandle = false;
  NoxNotifyHandle m_notifyHandle{};
  std::int32_t m_lastStatus = StatusOk;
  std::uint32_t m_exchanges = 0;
  Clock::time_point m_connectedAt{};
  // The unit learns its default position from here on (connect, erase).
  Clock::time_point m_learningSince{};
};
