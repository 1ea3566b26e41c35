#pragma once
#include "dataitems/TNoxSerialData.h"

class TDataRefresher;

// A live value: one or two bytes at a fixed offset of the unit's status
// packet, delivered by the refresher at the item's own interval.
class TNoxPacketData : public TNoxSerialData {
  Q_OBJECT
public:
  explicit TNoxPacketData(QObject *owner = nullptr);
  ~TNoxPacketData() override;

  // Capacity of the packet bytes in a delivery buffer (after the length word).
  static constexpr int PACKET_CAPACITY = 252;

  bool Active() const { return m_active; }
  void SetActive(bool value);
  int Offset() const { return m_offset; }
  // Offsets outside the packet area are refused (ignored).
  void SetOffset(int value);
  // Values below 20 ms are refused.
  int TimeInterval() const { return m_timeInterval; }
  void SetTimeInterval(int value);
  TDataRefresher *DataRefresher() const;
  void SetDataRefresher(TDataRefresher *refresher);
  bool Registered() const { return m_registered; }

  double GetValue() override;
  // Sets the cached value without writing to the unit and tells the observers.
  void SetLocalValue(double value);

  void ClearValue() override;
  // One direct read of the status packet.
  bool ReadData() override;
  // buffer: a 32-bit little-endian length, then the packet bytes. A value that
  // lies beyond the bytes received is refused.
  void ReceiveData(const std::uint8_t *buffer) override;
  void SaveRawValue() override {}
  void RestoreRawValue() override {}
  bool RewriteData() override { return false; }
  bool SaveToIni(IniStore &) override { return false; }
  bool LoadFromIni(IniStore &) override { return false; }
  bool LoadDefault(bool) override { return false; }
  bool LoadHexFromIni(IniStore &) override { return false; }
  bool SaveHexToIni(IniStore &) override { return false; }

private:
  void ForgetRefresher();

  bool m_active = false;
  int m_offset = 0;
  bool m_registered = false;
  int m_timeInterval = 1000;
  QPointer<TDataRefresher> m_refresher;
  QMetaObject::Connection m_refresherGone;
};
