#pragma once
#include "dataitems/ForwardingProtocolObject.h"

#include <QPointer>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class TNoxConnection;

// Stands in front of the connection's protocol object while every item is
// read at once. Items that share a byte, and handlers that reload other items
// on the way, would otherwise ask the unit again for what it has just said,
// and on a serial line every exchange costs about a tenth of a second.
//
// While serving, a read at an address, or of the status packet, that
// succeeded once is answered again from memory, status word included. A read
// that failed is never kept: it reaches the unit again, exactly as it would
// without this object. Whatever may change the unit or the line (a write, a
// connect, a disconnect, a change of option or mode) makes it forget all it
// kept: writing the check byte, for one, erases the whole unit.
class ReadAllCache final : public ForwardingProtocolObject {
public:
  // Puts itself in front of the connection's protocol object (the library
  // must be loaded) until it is destroyed or the library is freed.
  explicit ReadAllCache(TNoxConnection &connection);
  ~ReadAllCache();
  ReadAllCache(const ReadAllCache &) = delete;
  ReadAllCache &operator=(const ReadAllCache &) = delete;

  // Whether the connection still talks through this object.
  bool Installed() const;
  // Answers come from memory, and reads are kept, only while serving. In
  // between, what others read (a timer, while a wait window lets messages
  // through) reaches the unit as always.
  void SetServing(bool value) { m_serving = value; }

  bool ReadAtAddress(std::uint32_t c, std::int32_t a, std::int32_t *v) override;
  bool ReadPacket(std::uint32_t c, std::uint8_t *b, std::int32_t *l) override;
  std::int32_t LastStatus() override;

  bool ReadValue(std::uint32_t c, std::int32_t *v) override;
  bool ReadRowValue(std::uint32_t c, std::int32_t *v, std::int32_t r) override;
  bool ReadTableValue(std::uint32_t c, std::int32_t *v, std::int32_t r, std::int32_t col) override;
  bool ReadIdentification(NoxIdentification *r) override;
  std::int32_t SetNotifyWindow(const NoxNotifyHandle *h) override;

  std::int32_t SetOptionA(std::int32_t v) override;
  std::int32_t SetOptionB(std::int32_t v) override;
  std::int32_t SetOptionC(std::int32_t v) override;
  std::int32_t SetOptionD(std::int32_t v) override;
  std::int32_t SelectModeA() override;
  std::int32_t SelectModeB() override;
  std::int32_t Release() override;
  bool Connect() override;
  std::int32_t Disconnect() override;
  bool WriteValue(std::uint32_t c, std::int32_t v) override;
  bool WriteRowValue(std::uint32_t c, std::int32_t r, std::int32_t v) override;
  bool WriteTableValue(std::uint32_t c, std::int32_t r, std::int32_t col, std::int32_t v) override;
  bool WriteAtAddress(std::uint32_t c, std::int32_t a, std::int32_t v) override;

private:
  using Address = std::pair<std::uint32_t, std::int32_t>; // data code, address
  struct Byte {
    std::int32_t Value;
    std::int32_t Status;
  };
  struct Packet {
    std::vector<std::uint8_t> Bytes;
    std::int32_t Capacity; // what the read asked for: a full buffer may be the head only
    std::int32_t Status;
  };

  // The unit is asked: the next status word is the unit's.
  void PassOn();
  // The unit may change: nothing kept holds any more.
  void Forget();

  QPointer<TNoxConnection> m_connection;
  NoxProtocolObject *m_previousFront;
  bool m_serving = false;
  std::map<Address, Byte> m_bytes;
  std::map<std::uint32_t, Packet> m_packets;
  // A read counts as good only with its status word, which the caller asks
  // for next; until then it waits here.
  std::optional<std::pair<Address, std::int32_t>> m_unconfirmedByte;
  std::optional<std::pair<std::uint32_t, Packet>> m_unconfirmedPacket;
  // The last answer came from memory, with this status word.
  bool m_answeredFromMemory = false;
  std::int32_t m_status = 0;
};
