#pragma once
#include <QString>

class TSerialDataModule;

// Brings the unit on line: loads the protocol library, sets the protocol
// object up, identifies the unit, connects and reads everything once.
class ConnectSequence {
public:
  // ConnectAndReadAll results.
  static constexpr int ALREADY_CONNECTED = 1;
  static constexpr int CONNECTED = 0; // also: library missing, Connect refused
  static constexpr int NO_ANSWER = -1;
  static constexpr int UNSUPPORTED_UNIT = -2;

  // Option bits.
  static constexpr int OPTION_SELECT_MODE_B = 1;
  static constexpr int OPTION_KEEP_REFRESHING = 2;
  // The read-all asks the unit for every read the items make, as often as
  // they make it (ReadAllMode::EveryRead).
  static constexpr int OPTION_READ_EVERY_TIME = 4;

  explicit ConnectSequence(TSerialDataModule &module) : m_module(module) {}

  int ConnectAndReadAll(int setupValue, int options);
  // Disconnects and unloads the library if loaded; the refresher runs as asked.
  void CloseConnection(bool refresherRunning);

  static QString BootloaderText() { return QStringLiteral("FW = Bootloader"); }

private:
  int Fail(int result);

  TSerialDataModule &m_module;
};
