#pragma once
// Behaviour switches of the simulated unit, read from a small INI file so that
// a test or a fitter's demo can shape the unit without recompiling it.

#include <array>
#include <cstdint>
#include <iosfwd>
#include <set>
#include <string>

class SimEcuConfig {
public:
  // The environment variable that names the file.
  static constexpr const char *EnvironmentVariable = "NOX_SIMECU_CONFIG";

  std::uint32_t latencyMs = 0;
  // Kind 1, family 36 and variant 26 where the program looks for them in
  // normal mode (byte 1 doubles as the mode byte and is not 3).
  std::array<std::uint8_t, 8> identification{1, 36, 26, 0, 0, 0, 0, 0};
  std::uint32_t dllMajorVersion = 1;
  std::set<int> readFail;
  std::set<int> writeFail;
  std::set<int> undefined;
  bool refuseConnect = false;
  bool noIdentification = false;
  std::uint32_t loseConnectionAfter = 0; // 0: the line never drops
  std::string memoryImage;
  bool persist = false;
  std::uint32_t defaultAcquiredAfterMs = 3000;
  // When set (>= 0), the live values are those of this moment after the
  // connect, whenever they are read: two runs then see the same engine.
  std::int64_t engineTimeMs = -1;

  // Bad lines are reported on `diagnostics` as "<origin>:<line>: ..." and
  // skipped; parsing never fails as a whole.
  static SimEcuConfig parse(std::istream &in, const std::string &origin, std::ostream &diagnostics);

  // When the variable is unset or empty: the defaults, with the memory kept
  // in the user's state folder (defaultMemoryFile), like a real unit keeps
  // its EEPROM. An unreadable file is reported and gives the plain defaults.
  static SimEcuConfig fromEnvironment(std::ostream &diagnostics);

  // $XDG_STATE_HOME/noxconfig/simecu-memory.bin, else the same below
  // ~/.local/state (%LOCALAPPDATA% on Windows); empty when neither folder is
  // known.
  static std::string defaultMemoryFile();
};
