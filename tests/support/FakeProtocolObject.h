#pragma once
#include "NoxProtocolObject.h"
#include "dataitems/ProtocolLibraryLoader.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

class ReentrantLock;

// A scripted protocol object that records every call in order, each with the
// depth at which the connection's lock was held during the call, e.g.
// "ReadAtAddress(0,163) lock=1".
class FakeProtocolObject final : public NoxProtocolObject {
public:
  // The lock whose depth is recorded with each call (may stay null).
  ReentrantLock *WatchedLock = nullptr;

  std::array<std::int32_t, 256> Memory{};
  bool Connected = true;
  bool FailReads = false;
  bool FailWrites = false;
  std::int32_t Status = 0;
  NoxIdentification Identification{{1, 0, 36, 26, 0, 0, 0, 0}};
  bool IdentificationOk = true;
  bool ConnectOk = true;
  std::array<std::uint8_t, 64> Packet{};
  std::int32_t PacketLength = 9;
  NoxNotifyHandle Notify{nullptr, nullptr};
  // Runs inside every call, after it was recorded (lets a test act mid-sequence).
  std::function<void(const QString &call)> OnCall;

  // Appended on the line thread; a test that reads it while the refresh
  // thread runs uses CountOf, which takes the object's mutex.
  QStringList Calls;
  // Recorded calls without the lock note.
  QStringList CallNames() const;
  int CountOf(const QString &prefix) const;

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
  bool ReadTableValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row, std::int32_t column) override;
  bool ReadPacket(std::uint32_t dataCode, std::uint8_t *bytes, std::int32_t *length) override;
  bool ReadAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t *value) override;
  bool WriteValue(std::uint32_t dataCode, std::int32_t value) override;
  bool WriteRowValue(std::uint32_t dataCode, std::int32_t row, std::int32_t value) override;
  bool WriteTableValue(std::uint32_t dataCode, std::int32_t row, std::int32_t column, std::int32_t value) override;
  bool WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) override;
  bool ReadIdentification(NoxIdentification *record) override;
  bool IsConnected() override;
  std::int32_t LastStatus() override;

  ~FakeProtocolObject() = default;

private:
  void Record(const QString &call);
  mutable std::mutex m_callsMutex;
};

// Hands a connection fake objects instead of loading a file. The test keeps
// a pointer to the object it gets and scripts it.
class FakeProtocolLibrary final : public ProtocolLibraryLoader {
public:
  struct State {
    bool FileExists = true;
    bool HasCreate = true, HasDestroy = true, HasVersion = true;
    bool VersionOk = true;
    std::uint32_t Major = 1;
    int Loads = 0, Unloads = 0, VersionChecks = 0, Creates = 0, Destroys = 0;
    FakeProtocolObject *Object = nullptr; // the live object, null when destroyed
    std::function<void(FakeProtocolObject &)> Prepare; // runs on every new object
  };

  explicit FakeProtocolLibrary(std::shared_ptr<State> state) : m_state(std::move(state)) {}
  bool Load(const QString &dllName, ProtocolEntryPoints &entryPoints) override;
  void Unload() override;

private:
  std::shared_ptr<State> m_state;
};
