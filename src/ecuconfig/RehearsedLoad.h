#pragma once
#include "NoxProtocolObject.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>

class TSerialDataModule;

// The fast load's first try: the two passes run against a stand-in that
// holds the bytes the program knows the unit holds, so that not one of them
// is sent; then only the bytes that end up different go out, each once, in
// the order of the writes that gave them their final values (a value never
// before the bytes its conversion depends on). Waits, the items' writes and
// what the observers are told follow once the unit has taken every byte.
//
// That is only right when the unit takes every byte. When it refuses one,
// the bytes already sent are put back and the rehearsal did not happen:
// every item is put back as it was, and the caller loads the file value by
// value, the way the passes meet a fault. When the line goes, SentBytes says
// what the unit took.
class RehearsedLoad {
public:
  // known: the unit's bytes the program knows, by address.
  RehearsedLoad(TSerialDataModule &module, NoxProtocolObject &unit, std::map<int, std::uint8_t> known)
      : m_module(module), m_unit(unit), m_known(std::move(known)) {}

  // True when every changed byte reached the unit.
  bool Run(const std::function<void()> &passes);

  // Addresses written to the unit, the rehearsal's own writes included.
  const std::set<int> &Written() const { return m_written; }
  // After a false Run: what the unit took before it stopped.
  const std::map<int, std::uint8_t> &SentBytes() const { return m_sentBytes; }
  bool LineLost() const { return m_lineLost; }
  // After a true Run: the final byte at every known address the passes wrote.
  const std::map<int, std::uint8_t> &WrittenBytes() const { return m_writtenBytes; }

private:
  TSerialDataModule &m_module;
  NoxProtocolObject &m_unit;
  std::map<int, std::uint8_t> m_known;
  std::set<int> m_written;
  std::map<int, std::uint8_t> m_sentBytes;
  std::map<int, std::uint8_t> m_writtenBytes;
  bool m_lineLost = false;
};
