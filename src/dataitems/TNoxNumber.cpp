#include "dataitems/TNoxNumber.h"

#include "dataitems/ItemWriteTap.h"
#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxConnection.h"
#include "storage/IniStore.h"

#include <mutex>

TNoxNumber::TNoxNumber(QObject *owner) : TNoxSerialData(owner) {
  SetDataKind(0);
  SetIndicesField(-1, -1);
  ClearValue();
}

// ------------------------------------------------------------- properties

TNumberType TNoxNumber::Type() const {
  if (RowIndex() < 0)
    return ntSingle;
  return ColIndex() < 0 ? ntVectorElement : ntMatrixElement;
}

void TNoxNumber::SetType(TNumberType type) {
  switch (type) {
  case ntSingle:
    SetIndicesField(-1, -1);
    break;
  case ntVectorElement:
    SetIndicesField(RowIndex() < 0 ? 0 : RowIndex(), -1);
    break;
  case ntMatrixElement:
    SetIndicesField(RowIndex() < 0 ? 0 : RowIndex(), ColIndex() < 0 ? 0 : ColIndex());
    break;
  }
}

void TNoxNumber::SetRowIndex(int value) {
  if (value < 0)
    SetIndicesField(-1, -1);
  else
    SetIndicesField(value, ColIndex());
}

void TNoxNumber::SetColIndex(int value) {
  if (value < 0)
    SetIndicesField(RowIndex(), -1);
  else if (RowIndex() >= 0)
    SetIndicesField(RowIndex(), value);
}

void TNoxNumber::SetConnection(TNoxConnection *connection) { SetConnectionField(connection); }

void TNoxNumber::AddByteSharer(TNoxNumber *other) {
  if (other && other != this && !m_byteSharers.contains(other))
    m_byteSharers.append(other);
}

// --------------------------------------------------------- protocol calls

bool TNoxNumber::CallRead() {
  NoxProtocolObject *protocol = Connection()->ProtocolObject();
  if (m_byAddress)
    return protocol->ReadAtAddress(DataCode(), m_address, &m_rawValue);
  if (RowIndex() < 0)
    return protocol->ReadValue(DataCode(), &m_rawValue);
  if (ColIndex() < 0)
    return protocol->ReadRowValue(DataCode(), &m_rawValue, RowIndex());
  return protocol->ReadTableValue(DataCode(), &m_rawValue, RowIndex(), ColIndex());
}

bool TNoxNumber::CallWrite(std::int32_t value) {
  NoxProtocolObject *protocol = Connection()->ProtocolObject();
  if (m_byAddress)
    return protocol->WriteAtAddress(DataCode(), m_address, value);
  if (RowIndex() < 0)
    return protocol->WriteValue(DataCode(), value);
  if (ColIndex() < 0)
    return protocol->WriteRowValue(DataCode(), RowIndex(), value);
  return protocol->WriteTableValue(DataCode(), RowIndex(), ColIndex(), value);
}

bool TNoxNumber::ReadData() {
  if (DataValid())
    return true;
  TNoxConnection *connection = Connection();
  if (!connection || !connection->LoadProtocolLibrary())
    return true;
  DoBeforeGetData();
  bool valid = false;
  int status = 0;
  // The status query belongs to the read: both under one lock, no event raised inside.
  if (connection->ProtocolObject()->IsConnected()) {
    std::lock_guard<ReentrantLock> guard(connection->Lock());
    valid = CallRead();
    status = connection->ProtocolObject()->LastStatus();
    SetNotDefinedInUnit(!valid && (status & STATUS_NOT_DEFINED) != 0);
    SetReadFailed(!valid && (status & STATUS_NOT_DEFINED) == 0);
  } else {
    valid = true; // off line: the cached value stands
  }
  SetDataValid(valid);
  if (valid)
    DoGetData();
  else
    DoError(false);
  if (status != 0) {
    DoStatus(status);
    if (status & STATUS_NOT_DEFINED)
      SetDataValid(true);
  }
  return DataValid();
}

bool TNoxNumber::SendRawValue(std::int32_t value) {
  // A conversion failure or a value wider than the item is no ECU value:
  // refuse it before anything changes, and let the controls show the stored
  // value again.
  if (NumberConversion::IsFailureValue(value) || !FitsWidth(value)) {
    RefuseWrite(ERROR_VALUE_REFUSED);
    return false;
  }
  SetDataValid(false);
  ItemWrite write{this, m_rawValue, value, ItemWrite::Result::Written, 0, ItemWriteTap::HandlerRunningFor()};
  TNoxConnection *connection = Connection();
  if (!connection || !connection->LoadProtocolLibrary()) {
    m_rawValue = value;
    write.Outcome = ItemWrite::Result::Failed;
    write.Status = -1;
    ItemWriteTap::Report(write);
    DoError(true);
    return true;
  }
  bool valid = false;
  {
    std::lock_guard<ReentrantLock> guard(connection->Lock());
    valid = CallWrite(value);
    if (!valid)
      write.Status = connection->ProtocolObject()->LastStatus();
  }
  SetDataValid(valid);
  if (valid) {
    m_rawValue = value;
    SetNotDefinedInUnit(false);
    SetReadFailed(false);
    for (const QPointer<TNoxNumber> &other : m_byteSharers) {
      if (!other)
        continue;
      other->m_rawValue = value;
      other->SetDataValid(true);
      other->SetNotDefinedInUnit(false);
      other->SetReadFailed(false);
      other->NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(other.data()), 0);
    }
    // Reported before the handlers run, so that the writes they make follow
    // the one that caused them.
    ItemWriteTap::Report(write);
    ItemWriteTap::HandlerScope handlers(this);
    DoSetData();
  } else {
    write.Outcome = ItemWrite::Result::Failed;
    ItemWriteTap::Report(write);
    DoError(true);
  }
  return valid;
}

// ----------------------------------------------------------------- values

bool TNoxNumber::RefreshValue(double &value) {
  SaveRawValue();
  const bool ok = ReadData();
  if (!ok)
    RestoreRawValue();
  value = ConvertToUser(m_rawValue);
  return ok;
}

double TNoxNumber::GetValue() {
  double value = 0;
  RefreshValue(value);
  return value;
}

bool TNoxNumber::SetValue(double value) {
  if (ReadOnly()) {
    NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(this), 0);
    return false;
  }
  const double previous = GetValue();
  if (!DoBeforeSetData(value, previous, -1, -1))
    return false;
  std::int32_t raw = 0;
  if (const int refusal = ConvertForWrite(value, raw)) {
    RefuseWrite(refusal, value);
    return false;
  }
  return SendRawValue(raw);
}

bool TNoxNumber::SetIntValue(std::int32_t value) { return SetValue(static_cast<double>(value)); }

bool TNoxNumber::WriteMerged(std::int32_t raw, bool ownBitsOnly) {
  double ignored = 0.0;
  if (!DoBeforeSetData(ignored, 0.0, -1, -1))
    return false;
  // A caller's value must not reach into the bits of the items that share
  // the byte; a rewrite carries the whole cached byte.
  if (ownBitsOnly && OutsideMask(raw)) {
    RefuseWrite(ERROR_VALUE_REFUSED);
    return false;
  }
  if (DataMask() != FullMask()) {
    if (!ReloadForMerge()) {
      RefuseWrite(ERROR_SHARED_BYTE_UNREAD, ConvertToUser(raw));
      return false;
    }
    raw = (m_rawValue & ~DataMask()) | (raw & DataMask());
  }
  return SendRawValue(raw);
}

bool TNoxNumber::WriteRawValue(std::int32_t raw) { return !ReadOnly() && WriteMerged(raw, true); }

// The raw value is taken before the merge's reload replaces it.
bool TNoxNumber::RewriteData() { return WriteMerged(m_rawValue, false); }

void TNoxNumber::SetRawValue(std::int32_t value) {
  m_rawValue = value;
  SetDataValid(true);
}

bool TNoxNumber::LoadDefault(bool write) {
  if (write) {
    // Refused before anything is cached: the item never shows a value the
    // unit does not hold.
    std::int32_t raw = 0;
    if (const int refusal = ConvertForWrite(m_defaultValue, raw)) {
      RefuseWrite(refusal, m_defaultValue);
      return false;
    }
    if (!SendRawValue(raw))
      return false;
  } else {
    m_rawValue = ConvertToEcu(m_defaultValue);
  }
  NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(this), 0);
  return true;
}

void TNoxNumber::ClearValue() {
  m_rawValue = 0;
  m_defaultValue = 0;
}

void TNoxNumber::SaveRawValue() { m_savedRawValue = m_rawValue; }

void TNoxNumber::RestoreRawValue() { m_rawValue = m_savedRawValue; }

void TNoxNumber::ReceiveData(const std::uint8_t *buffer) {
  DoBeforeGetData();
  m_rawValue = DecodeRaw(buffer);
  DoGetData();
}

// -------------------------------------------------------------- ini files

TNoxNumber::FileEntry TNoxNumber::Entry() const {
  const bool noSection = FileSection().isEmpty();
  const bool noKey = FileKeyName().isEmpty();
  if (noSection && noKey)
    return FileEntry::None;
  return (noSection || noKey) ? FileEntry::Broken : FileEntry::Present;
}

QString TNoxNumber::FileKey() const {
  switch (Type()) {
  case ntSingle:
    return FileKeyName();
  case ntVectorElement:
    return FileKeyName() + QString::number(RowIndex());
  case ntMatrixElement:
    return FileKeyName() + QString::number(RowIndex()) + QLatin1Char('_') + QString::number(ColIndex());
  }
  return FileKeyName();
}

bool TNoxNumber::SaveToIni(IniStore &ini) {
  const FileEntry entry = Entry();
  if (entry != FileEntry::Present)
    return entry == FileEntry::None;
  if (StoreUserValue())
    ini.WriteString(FileSection(), FileKey(), FileValueText(m_rawValue));
  else
    ini.WriteInteger(FileSection(), FileKey(), m_rawValue);
  return true;
}

bool TNoxNumber::LoadFromIni(IniStore &ini) {
  const FileEntry entry = Entry();
  if (entry != FileEntry::Present)
    return entry == FileEntry::None;
  const QString key = FileKey();
  if (!ini.ValueExists(FileSection(), key))
    return false;
  const auto notify = [this] { NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(this), 0); };

  if (StoreUserValue()) {
    double value = 0;
    if (!NumberConversion::TryParseFloat(ini.ReadString(FileSection(), key, QString()), value))
      return false;
    if (OldReadFileMode()) {
      // Only cached, but refused like a write: the cache must hold a value
      // the unit could hold.
      std::int32_t raw = 0;
      if (const int refusal = ConvertForWrite(value, raw)) {
        RefuseWrite(refusal, value);
        return false;
      }
      m_rawValue = raw;
      notify();
      return true;
    }
    const bool ok = SetValue(value);
    if (!ok)
      notify();
    return ok;
  }

  // Read twice with different defaults: only a real integer gives the same answer.
  const int first = ini.ReadInteger(FileSection(), key, 0);
  const int second = ini.ReadInteger(FileSection(), key, 1);
  if (first != second)
    return false;
  if (OldReadFileMode()) {
    if (OutsideMask(first) || !FitsWidth(first)) {
      RefuseWrite(ERROR_VALUE_REFUSED);
      return false;
    }
    m_rawValue = first;
    notify();
    return true;
  }
  const bool ok = WriteRawValue(first);
  if (!ok)
    notify();
  return ok;
}

bool TNoxNumber::SaveHexToIni(IniStore &ini) {
  const FileEntry entry = Entry();
  if (entry != FileEntry::Present)
    return entry == FileEntry::None;
  const unsigned kind = 0xF0u + static_cast<unsigned>(Type());
  const QString line = QString::asprintf("%X ", kind) +
                       QString::asprintf("%X %X %X %X %X", DataCode(), static_cast<unsigned>(DataMask()),
                                         static_cast<unsigned>(std::max(ColIndex(), 1)),
                                         static_cast<unsigned>(std::max(RowIndex(), 1)),
                                         static_cast<unsigned>(m_rawValue));
  ini.WriteString(FileSection(), FileKeyName(), line);
  return true;
}

bool TNoxNumber::LoadHexFromIni(IniStore &ini) {
  const FileEntry entry = Entry();
  if (entry != FileEntry::Present)
    return entry == FileEntry::None;
  if (!ini.ValueExists(FileSection(), FileKeyName()))
    return false;
  QString line = ini.ReadString(FileSection(), FileKeyName(), QStringLiteral("F0 0 0 0 0 0"));
  ini.DeleteKey(FileSection(), FileKeyName());
  for (int field = 0; field < 5; ++field) {
    const auto space = line.indexOf(QLatin1Char(' '));
    if (space >= 0)
      line.remove(0, space + 1);
  }
  // Text that is not hexadecimal is a broken entry: refuse it (no exception
  // may reach the caller).
  bool ok = false;
  const qint64 parsed = line.trimmed().toLongLong(&ok, 16);
  if (!ok || parsed < 0 || parsed > 0xFFFFFFFFLL)
    return false;
  const bool written = WriteRawValue(static_cast<std::int32_t>(static_cast<std::uint32_t>(parsed)));
  if (!written)
    NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(this), 0);
  return written;
}
