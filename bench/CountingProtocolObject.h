#pragma once
#include "dataitems/ForwardingProtocolObject.h"
#include "dataitems/WrappingLibraryLoader.h"

// Forwards every operation to a real protocol object and counts the
// exchanges that travel over the line (those the simulated unit delays).
class CountingProtocolObject final : public ForwardingProtocolObject {
public:
  using ForwardingProtocolObject::ForwardingProtocolObject;
  ~CountingProtocolObject() = default;
  int Exchanges = 0;

  bool Connect() override { return ++Exchanges, ForwardingProtocolObject::Connect(); }
  std::int32_t Disconnect() override { return ++Exchanges, ForwardingProtocolObject::Disconnect(); }
  bool ReadValue(std::uint32_t c, std::int32_t *v) override {
    return ++Exchanges, ForwardingProtocolObject::ReadValue(c, v);
  }
  bool ReadRowValue(std::uint32_t c, std::int32_t *v, std::int32_t r) override {
    return ++Exchanges, ForwardingProtocolObject::ReadRowValue(c, v, r);
  }
  bool ReadTableValue(std::uint32_t c, std::int32_t *v, std::int32_t r, std::int32_t col) override {
    return ++Exchanges, ForwardingProtocolObject::ReadTableValue(c, v, r, col);
  }
  bool ReadPacket(std::uint32_t c, std::uint8_t *b, std::int32_t *l) override {
    return ++Exchanges, ForwardingProtocolObject::ReadPacket(c, b, l);
  }
  bool ReadAtAddress(std::uint32_t c, std::int32_t a, std::int32_t *v) override {
    return ++Exchanges, ForwardingProtocolObject::ReadAtAddress(c, a, v);
  }
  bool WriteValue(std::uint32_t c, std::int32_t v) override {
    return ++Exchanges, ForwardingProtocolObject::WriteValue(c, v);
  }
  bool WriteRowValue(std::uint32_t c, std::int32_t r, std::int32_t v) override {
    return ++Exchanges, ForwardingProtocolObject::WriteRowValue(c, r, v);
  }
  bool WriteTableValue(std::uint32_t c, std::int32_t r, std::int32_t col, std::int32_t v) override {
    return ++Exchanges, ForwardingProtocolObject::WriteTableValue(c, r, col, v);
  }
  bool WriteAtAddress(std::uint32_t c, std::int32_t a, std::int32_t v) override {
    return ++Exchanges, ForwardingProtocolObject::WriteAtAddress(c, a, v);
  }
  bool ReadIdentification(NoxIdentification *r) override {
    return ++Exchanges, ForwardingProtocolObject::ReadIdentification(r);
  }
};

using CountingLibraryLoader = WrappingLibraryLoader<CountingProtocolObject>;
