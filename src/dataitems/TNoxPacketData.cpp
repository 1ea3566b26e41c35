#include "dataitems/TNoxPacketData.h"

#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxConnection.h"

#include <cstring>
#include <mutex>

TNoxPacketData::TNoxPacketData(QObject *owner) : TNoxSerialData(owner) {
  SetDataKind(3);
  SetSerialCode(0);
  SetIndicesField(-1, -1);
  SetDataCodeBit(DATACODE_PACKET, true);
  SetReadOnly(true);
  ClearValue();
}

TNoxPacketData::~TNoxPacketData() {
  if (m_refresher && m_registered)
    m_refresher->UnregisterItem(this, DataCode(), -1);
  QObject::disconnect(m_refresherGone);
}

TDataRefresher *TNoxPacketData::DataRefresher() const { return m_refresher.data(); }

void TNoxPacketData::SetDataRefresher(TDataRefresher *refresher) {
  if (m_refresher) {
    QObject::disconnect(m_refresherGone);
    if (m_registered)
      m_refresher->UnregisterItem(this, DataCode(), -1);
  }
  m_refresher = refresher;
  m_registered = false;
  if (refresher)
    m_refresherGone = connect(refresher, &QObject::destroyed, this, [this] { ForgetRefresher(); });
  SetActive(m_active);
}

void TNoxPacketData::ForgetRefresher() {
  m_active = false;
  m_registered = false;
}

void TNoxPacketData::SetActive(bool value) {
  m_active = value;
  if (!m_refresher)
    return;
  if (!m_registered) {
    m_refresher->RegisterItem(this, m_timeInterval, DataCode(), -1);
    m_registered = true;
  }
  if (value)
    m_refresher->EnableItem(this, DataCode(), -1);
  else
    m_refresher->DisableItem(this, DataCode(), -1);
}

void TNoxPacketData::SetOffset(int value) {
  if (value >= 0 && value < PACKET_CAPACITY)
    m_offset = value;
}

void TNoxPacketData::SetTimeInterval(int value) {
  if (value < 20)
    return;
  m_timeInterval = value;
  if (m_registered && m_refresher)
    m_refresher->RegisterItem(this, value, DataCode(), -1);
}

double TNoxPacketData::GetValue() { return ConvertToUser(m_rawValue); }

void TNoxPacketData::SetLocalValue(double value) {
  m_rawValue = ConvertToEcu(value);
  NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(this), 0);
}

void TNoxPacketData::ClearValue() { m_rawValue = 0; }

bool TNoxPacketData::ReadData() {
  SetDataValid(false);
  std::int32_t length = PACKET_CAPACITY - 1;
  TNoxConnection *connection = m_refresher ? m_refresher->Connection() : nullptr;
  if (!connection || !connection->LoadProtocolLibrary())
    return false;
  NoxProtocolObject *protocol = connection->ProtocolObject();
  if (!protocol->IsConnected())
    return false;
  // Word-aligned: the length word, then the packet bytes.
  std::int32_t buffer[1 + PACKET_CAPACITY / 4] = {};
  auto *bytes = reinterpret_cast<std::uint8_t *>(buffer);
  bool valid = false;
  int status = 0;
  {
    std::lock_guard<ReentrantLock> guard(connection->Lock());
    valid = protocol->ReadPacket(DataCode(), bytes + 4, &length);
    status = protocol->LastStatus();
  }
  SetDataValid(valid);
  if (valid) {
    buffer[0] = length;
    ReceiveData(bytes);
  } else {
    DoError(false);
  }
  if (status != 0)
    DoStatus(status);
  return DataValid();
}

void TNoxPacketData::ReceiveData(const std::uint8_t *buffer) {
  std::int32_t received = 0;
  std::memcpy(&received, buffer, sizeof received);
  // Never take a value from bytes the unit did not send, nor from outside the
  // packet area of the buffer.
  const qint64 end = qint64{m_offset} + DataLength();
  if (m_offset < 0 || end > received || end > PACKET_CAPACITY)
    return;
  DoBeforeGetData();
  m_rawValue = DecodeRaw(buffer + 4 + m_offset);
  DoGetData();
}
