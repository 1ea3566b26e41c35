#include "support/FakeProtocolObject.h"

#include "dataitems/ReentrantLock.h"

QStringList FakeProtocolObject::CallNames() const {
  std::lock_guard<std::mutex> guard(m_callsMutex);
  QStringList names;
  for (const QString &call : Calls)
    names << call.section(QLatin1Char(' '), 0, 0);
  return names;
}

int FakeProtocolObject::CountOf(const QString &prefix) const {
  std::lock_guard<std::mutex> guard(m_callsMutex);
  int count = 0;
  for (const QString &call : Calls)
    if (call.startsWith(prefix))
      ++count;
  return count;
}

void FakeProtocolObject::Record(const QString &call) {
  const int depth = WatchedLock ? WatchedLock->Depth() : 0;
  {
    std::lock_guard<std::mutex> guard(m_callsMutex);
    Calls << call + QStringLiteral(" lock=%1").arg(depth);
  }
  if (OnCall)
    OnCall(call);
}

std::int32_t FakeProtocolObject::SetOptionA(std::int32_t value) {
  Record(QStringLiteral("SetOptionA(%1)").arg(value));
  return 0;
}
std::int32_t FakeProtocolObject::SetOptionB(std::int32_t value) {
  Record(QStringLiteral("SetOptionB(%1)").arg(value));
  return 0;
}
std::int32_t FakeProtocolObject::Release() {
  Record(QStringLiteral("Release()"));
  return 0;
}
std::int32_t FakeProtocolObject::SetNotifyWindow(const NoxNotifyHandle *handle) {
  Record(QStringLiteral("SetNotifyWindow()"));
  Notify = handle ? *handle : NoxNotifyHandle{nullptr, nullptr};
  return 0;
}
std::int32_t FakeProtocolObject::SelectModeA() {
  Record(QStringLiteral("SelectModeA()"));
  return 0;
}
std::int32_t FakeProtocolObject::SelectModeB() {
  Record(QStringLiteral("SelectModeB()"));
  return 0;
}
std::int32_t FakeProtocolObject::SetOptionD(std::int32_t value) {
  Record(QStringLiteral("SetOptionD(%1)").arg(value));
  return 0;
}
std::int32_t FakeProtocolObject::SetOptionC(std::int32_t value) {
  Record(QStringLiteral("SetOptionC(%1)").arg(value));
  return 0;
}
bool FakeProtocolObject::Connect() {
  Record(QStringLiteral("Connect()"));
  if (ConnectOk)
    Connected = true;
  return ConnectOk;
}
std::int32_t FakeProtocolObject::Disconnect() {
  Record(QStringLiteral("Disconnect()"));
  Connected = false;
  return 0;
}
bool FakeProtocolObject::ReadValue(std::uint32_t dataCode, std::int32_t *value) {
  Record(QStringLiteral("ReadValue(%1)").arg(dataCode));
  if (FailReads)
    return false;
  *value = Memory[0];
  return true;
}
bool FakeProtocolObject::ReadRowValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row) {
  Record(QStringLiteral("ReadRowValue(%1,%2)").arg(dataCode).arg(row));
  if (FailReads || row < 0 || row > 255)
    return false;
  *value = Memory[static_cast<std::size_t>(row)];
  return true;
}
bool FakeProtocolObject::ReadTableValue(std::uint32_t dataCode, std::int32_t *value, std::int32_t row,
                                        std::int32_t column) {
  Record(QStringLiteral("ReadTableValue(%1,%2,%3)").arg(dataCode).arg(row).arg(column));
  if (FailReads)
    return false;
  *value = Memory[static_cast<std::size_t>((row * 16 + column) & 0xFF)];
  return true;
}
bool FakeProtocolObject::ReadPacket(std::uint32_t dataCode, std::uint8_t *bytes, std::int32_t *length) {
  Record(QStringLiteral("ReadPacket(%1,%2)").arg(dataCode).arg(*length));
  if (FailReads)
    return false;
  const std::int32_t count = std::min({*length, PacketLength, static_cast<std::int32_t>(Packet.size())});
  for (std::int32_t i = 0; i < count; ++i)
    bytes[i] = Packet[static_cast<std::size_t>(i)];
  *length = count;
  return true;
}
bool FakeProtocolObject::ReadAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t *value) {
  Record(QStringLiteral("ReadAtAddress(%1,%2)").arg(dataCode).arg(address));
  if (FailReads || address < 0 || address > 255)
    return false;
  *value = Memory[static_cast<std::size_t>(address)];
  return true;
}
bool FakeProtocolObject::WriteValue(std::uint32_t dataCode, std::int32_t value) {
  Record(QStringLiteral("WriteValue(%1,%2)").arg(dataCode).arg(value));
  if (FailWrites)
    return false;
  Memory[0] = value;
  return true;
}
bool FakeProtocolObject::WriteRowValue(std::uint32_t dataCode, std::int32_t row, std::int32_t value) {
  Record(QStringLiteral("WriteRowValue(%1,%2,%3)").arg(dataCode).arg(row).arg(value));
  if (FailWrites || row < 0 || row > 255)
    return false;
  Memory[static_cast<std::size_t>(row)] = value;
  return true;
}
bool FakeProtocolObject::WriteTableValue(std::uint32_t dataCode, std::int32_t row, std::int32_t column,
                                         std::int32_t value) {
  Record(QStringLiteral("WriteTableValue(%1,%2,%3,%4)").arg(dataCode).arg(row).arg(column).arg(value));
  if (FailWrites)
    return false;
  Memory[static_cast<std::size_t>((row * 16 + column) & 0xFF)] = value;
  return true;
}
bool FakeProtocolObject::WriteAtAddress(std::uint32_t dataCode, std::int32_t address, std::int32_t value) {
  Record(QStringLiteral("WriteAtAddress(%1,%2,%3)").arg(dataCode).arg(address).arg(value));
  if (FailWrites || address < 0 || address > 255)
    return false;
  Memory[static_cast<std::size_t>(address)] = value;
  return true;
}
bool FakeProtocolObject::ReadIdentification(NoxIdentification *record) {
  Record(QStringLiteral("ReadIdentification()"));
  if (IdentificationOk)
    *record = Identification;
  return IdentificationOk;
}
bool FakeProtocolObject::IsConnected() {
  Record(QStringLiteral("IsConnected()"));
  return Connected;
}
std::int32_t FakeProtocolObject::LastStatus() {
  Record(QStringLiteral("LastStatus()"));
  return Status;
}

bool FakeProtocolLibrary::Load(const QString &, ProtocolEntryPoints &entryPoints) {
  entryPoints = {};
  ++m_state->Loads;
  if (!m_state->FileExists)
    return false;
  auto state = m_state;
  if (state->HasCreate)
    entryPoints.CreateClassInstance = [state]() -> NoxProtocolObject * {
      ++state->Creates;
      state->Object = new FakeProtocolObject;
      if (state->Prepare)
        state->Prepare(*state->Object);
      return state->Object;
    };
  if (state->HasDestroy)
    entryPoints.DestroyClassInstance = [state](NoxProtocolObject *object) {
      ++state->Destroys;
      delete static_cast<FakeProtocolObject *>(object);
      state->Object = nullptr;
    };
  if (state->HasVersion)
    entryPoints.GetDLLVersion = [state](NoxDllVersion *version) {
      ++state->VersionChecks;
      *version = {state->Major, 0, 0, 0};
      return state->VersionOk;
    };
  return true;
}

void FakeProtocolLibrary::Unload() { ++m_state->Unloads; }
