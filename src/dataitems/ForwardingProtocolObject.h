#pragma once
#include "NoxProtocolObject.h"

// A protocol object that passes every operation on to another one: the base
// of objects that stand in front of a library's own to watch or spare some
// of its exchanges.
class ForwardingProtocolObject : public NoxProtocolObject {
public:
  explicit ForwardingProtocolObject(NoxProtocolObject *inner) : m_inner(inner) {}
  NoxProtocolObject *Inner() const { return m_inner; }

  std::int32_t SetOptionA(std::int32_t v) override { return m_inner->SetOptionA(v); }
  std::int32_t SetOptionB(std::int32_t v) override { return m_inner->SetOptionB(v); }
  std::int32_t Release() override { return m_inner->Release(); }
  std::int32_t SetNotifyWindow(const NoxNotifyHandle *h) override { return m_inner->SetNotifyWindow(h); }
  std::int32_t SelectModeA() override { return m_inner->SelectModeA(); }
  std::int32_t SelectModeB() override { return m_inner->SelectModeB(); }
  std::int32_t SetOptionD(std::int32_t v) override { return m_inner->SetOptionD(v); }
  std::int32_t SetOptionC(std::int32_t v) override { return m_inner->SetOptionC(v); }
  bool Connect() override { return m_inner->Connect(); }
  std::int32_t Disconnect() override { return m_inner->Disconnect(); }
  bool ReadValue(std::uint32_t c, std::int32_t *v) override { return m_inner->ReadValue(c, v); }
  bool ReadRowValue(std::uint32_t c, std::int32_t *v, std::int32_t r) override {
    return m_inner->ReadRowValue(c, v, r);
  }
  bool ReadTableValue(std::uint32_t c, std::int32_t *v, std::int32_t r, std::int32_t col) override {
    return m_inner->ReadTableValue(c, v, r, col);
  }
  bool ReadPacket(std::uint32_t c, std::uint8_t *b, std::int32_t *l) override {
    return m_inner->ReadPacket(c, b, l);
  }
  bool ReadAtAddress(std::uint32_t c, std::int32_t a, std::int32_t *v) override {
    return m_inner->ReadAtAddress(c, a, v);
  }
  bool WriteValue(std::uint32_t c, std::int32_t v) override { return m_inner->WriteValue(c, v); }
  bool WriteRowValue(std::uint32_t c, std::int32_t r, std::int32_t v) override {
    return m_inner->WriteRowValue(c, r, v);
  }
  bool WriteTableValue(std::uint32_t c, std::int32_t r, std::int32_t col, std::int32_t v) override {
    return m_inner->WriteTableValue(c, r, col, v);
  }
  bool WriteAtAddress(std::uint32_t c, std::int32_t a, std::int32_t v) override {
    return m_inner->WriteAtAddress(c, a, v);
  }
  bool ReadIdentification(NoxIdentification *r) override { return m_inner->ReadIdentification(r); }
  bool IsConnected() override { return m_inner->IsConnected(); }
  std::int32_t LastStatus() override { return m_inner->LastStatus(); }

protected:
  ~ForwardingProtocolObject() = default;

private:
  NoxProtocolObject *m_inner;
};
