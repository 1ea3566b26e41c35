#pragma once
#include "dataitems/TNoxSerialData.h"

#include <QList>
#include <QPointer>

enum TNumberType { ntSingle = 0, ntVectorElement = 1, ntMatrixElement = 2 };

// One ECU parameter: a byte or word in the unit's memory that the fitter
// reads, edits and writes back, located by address or by data code with an
// optional row and column.
class TNoxNumber : public TNoxSerialData {
  Q_OBJECT
public:
  explicit TNoxNumber(QObject *owner = nullptr);

  TNumberType Type() const;
  void SetType(TNumberType type);
  void SetRowIndex(int value);
  void SetColIndex(int value);
  bool ByAddress() const { return m_byAddress; }
  void SetByAddress(bool value) { m_byAddress = value; }
  int Address() const { return m_address; }
  void SetAddress(int value) { m_address = value; }
  double DefaultValue() const { return m_defaultValue; }
  void SetDefaultValue(double value) { m_defaultValue = value; }
  void SetConnection(TNoxConnection *connection);

  double GetValue() override;
  bool RefreshValue(double &value);
  bool SetValue(double value);
  bool SetIntValue(std::int32_t value);
  bool WriteRawValue(std::int32_t raw);
  // Caches a value as if read: no ECU access, no notification.
  void SetRawValue(std::int32_t value);
  bool SendRawValue(std::int32_t value);

  void ClearValue() override;
  bool ReadData() override;
  void SaveRawValue() override;
  void RestoreRawValue() override;
  bool RewriteData() override;
  bool SaveToIni(IniStore &ini) override;
  bool LoadFromIni(IniStore &ini) override;
  void ReceiveData(const std::uint8_t *buffer) override;
  bool LoadDefault(bool write) override;
  bool LoadHexFromIni(IniStore &ini) override;
  bool SaveHexToIni(IniStore &ini) override;

  // The file key with the index suffix of vector and matrix elements.
  QString FileKey() const;

  // Another item that owns the whole of this item's byte (the change-over
  // speed and the priming time share one): whatever either writes, the
  // other holds too, as the unit does.
  void AddByteSharer(TNoxNumber *other);
  const QList<QPointer<TNoxNumber>> &ByteSharers() const { return m_byteSharers; }

private:
  bool CallRead();
  bool CallWrite(std::int32_t value);
  bool WriteMerged(std::int32_t raw, bool ownBitsOnly);
  // Both file names empty: the item has no entry; exactly one: a broken one.
  enum class FileEntry { None, Broken, Present };
  FileEntry Entry() const;

  QList<QPointer<TNoxNumber>> m_byteSharers;
  std::int32_t m_savedRawValue = 0;
  bool m_byAddress = false;
  int m_address = 0;
  double m_defaultValue = 0;
};
