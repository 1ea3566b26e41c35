#pragma once
// The unit's 256-byte configuration memory and its address map.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class SimEcuMemory {
public:
  static constexpr std::size_t Size = 256;
  using Image = std::array<std::uint8_t, Size>;

  // One row of the factory image: a byte of the map and the parameters it holds.
  struct FactoryByte {
    std::uint8_t address;
    std::uint8_t value;
    const char *items;
  };

  static constexpr int StatusFlagsAddress = 122; // FlagAcquisitodefault
  static constexpr int CheckupAddress = 161;     // CHECKUP
  static constexpr std::uint8_t CheckupIntact = 172;

  // Every byte of the address map, in address order.
  static std::span<const FactoryByte> factoryTable();
  static const Image &factoryImage();
  // True for the bytes the unit answers (the factory table's addresses).
  static bool isMapped(int address);

  SimEcuMemory();

  std::uint8_t at(int address) const { return m_bytes[static_cast<std::size_t>(address)]; }
  void set(int address, std::uint8_t value) { m_bytes[static_cast<std::size_t>(address)] = value; }
  const Image &bytes() const { return m_bytes; }
  void restoreFactory() { m_bytes = factoryImage(); }

  // A memory file is exactly Size bytes, byte n holding address n. On failure
  // the memory is unchanged and `error` says why.
  bool loadFile(const std::string &path, std::string &error);
  // Written to a temporary file beside `path` and renamed over it, so a crash
  // never leaves a half-written unit behind.
  bool saveFile(const std::string &path, std::string &error) const;

private:
  Image m_bytes;
};
