#include "dataitems/ReadAllCache.h"

#include "dataitems/TNoxConnection.h"

#include <algorithm>

ReadAllCache::ReadAllCache(TNoxConnection &connection)
    : ForwardingProtocolObject(connection.ProtocolObject()), m_connection(&connection),
      m_previousFront(connection.FrontObject()) {
  connection.SetFrontObject(this);
}

ReadAllCache::~ReadAllCache() {
  if (Installed())
    m_connection->SetFrontObject(m_previousFront);
}

bool ReadAllCache::Installed() const {
  return m_connection && m_connection->ProtocolObject() == this;
}

void ReadAllCache::PassOn() {
  m_answeredFromMemory = false;
  m_unconfirmedByte.reset();
  m_unconfirmedPacket.reset();
}

void ReadAllCache::Forget() {
  PassOn();
  m_bytes.clear();
  m_packets.clear();
}

bool ReadAllCache::ReadAtAddress(std::uint32_t c, std::int32_t a, std::int32_t *v) {
  const Address key{c, a};
  if (m_serving && v) {
    if (const auto found = m_bytes.find(key); found != m_bytes.end()) {
      PassOn();
      *v = found->second.Value;
      m_answeredFromMemory = true;
      m_status = found->second.Status;
      return true;
    }
  }
  PassOn();
  const bool ok = Inner()->ReadAtAddress(c, a, v);
  if (ok && m_serving && v)
    m_unconfirmedByte.emplace(key, *v);
  return ok;
}

bool ReadAllCache::ReadPacket(std::uint32_t c, std::uint8_t *b, std::int32_t *l) {
  if (m_serving && b && l && *l >= 0) {
    if (const auto found = m_packets.find(c); found != m_packets.end()) {
      const Packet &packet = found->second;
      const auto held = static_cast<std::int32_t>(packet.Bytes.size());
      // A packet cut at the capacity of its read says nothing about the bytes beyond.
      if (*l <= packet.Capacity || held < packet.Capacity) {
        PassOn();
        const std::int32_t delivered = std::min(*l, held);
        std::copy_n(packet.Bytes.begin(), delivered, b);
        *l = delivered;
        m_answeredFromMemory = true;
        m_status = packet.Status;
        return true;
      }
    }
  }
  PassOn();
  const std::int32_t capacity = l ? *l : 0;
  const bool ok = Inner()->ReadPacket(c, b, l);
  if (ok && m_serving && b && l && *l >= 0 && *l <= capacity)
    m_unconfirmedPacket.emplace(c, Packet{std::vector<std::uint8_t>(b, b + *l), capacity, 0});
  return ok;
}

std::int32_t ReadAllCache::LastStatus() {
  if (m_answeredFromMemory)
    return m_status;
  const std::int32_t status = Inner()->LastStatus();
  if (m_unconfirmedByte)
    m_bytes[m_unconfirmedByte->first] = Byte{m_unconfirmedByte->second, status};
  if (m_unconfirmedPacket) {
    m_unconfirmedPacket->second.Status = status;
    m_packets[m_unconfirmedPacket->first] = std::move(m_unconfirmedPacket->second);
  }
  m_unconfirmedByte.reset();
  m_unconfirmedPacket.reset();
  return status;
}

// ---------------------------------------------- passed on, nothing changes

bool ReadAllCache::ReadValue(std::uint32_t c, std::int32_t *v) {
  PassOn();
  return Inner()->ReadValue(c, v);
}

bool ReadAllCache::ReadRowValue(std::uint32_t c, std::int32_t *v, std::int32_t r) {
  PassOn();
  return Inner()->ReadRowValue(c, v, r);
}

bool ReadAllCache::ReadTableValue(std::uint32_t c, std::int32_t *v, std::int32_t r, std::int32_t col) {
  PassOn();
  return Inner()->ReadTableValue(c, v, r, col);
}

bool ReadAllCache::ReadIdentification(NoxIdentification *r) {
  PassOn();
  return Inner()->ReadIdentification(r);
}

std::int32_t ReadAllCache::SetNotifyWindow(const NoxNotifyHandle *h) {
  PassOn();
  return Inner()->SetNotifyWindow(h);
}

// ------------------------------------------ passed on, the unit may change

std::int32_t ReadAllCache::SetOptionA(std::int32_t v) {
  Forget();
  return Inner()->SetOptionA(v);
}

std::int32_t ReadAllCache::SetOptionB(std::int32_t v) {
  Forget();
  return Inner()->SetOptionB(v);
}

std::int32_t ReadAllCache::SetOptionC(std::int32_t v) {
  Forget();
  return Inner()->SetOptionC(v);
}

std::int32_t ReadAllCache::SetOptionD(std::int32_t v) {
  Forget();
  return Inner()->SetOptionD(v);
}

std::int32_t ReadAllCache::SelectModeA() {
  Forget();
  return Inner()->SelectModeA();
}

std::int32_t ReadAllCache::SelectModeB() {
  Forget();
  return Inner()->SelectModeB();
}

std::int32_t ReadAllCache::Release() {
  Forget();
  return Inner()->Release();
}

bool ReadAllCache::Connect() {
  Forget();
  return Inner()->Connect();
}

std::int32_t ReadAllCache::Disconnect() {
  Forget();
  return Inner()->Disconnect();
}

bool ReadAllCache::WriteValue(std::uint32_t c, std::int32_t v) {
  Forget();
  return Inner()->WriteValue(c, v);
}

bool ReadAllCache::WriteRowValue(std::uint32_t c, std::int32_t r, std::int32_t v) {
  Forget();
  return Inner()->WriteRowValue(c, r, v);
}

bool ReadAllCache::WriteTableValue(std::uint32_t c, std::int32_t r, std::int32_t col, std::int32_t v) {
  Forget();
  return Inner()->WriteTableValue(c, r, col, v);
}

bool ReadAllCache::WriteAtAddress(std::uint32_t c, std::int32_t a, std::int32_t v) {
  Forget();
  return Inner()->WriteAtAddress(c, a, v);
}
