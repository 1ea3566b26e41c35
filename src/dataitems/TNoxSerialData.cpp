#include "dataitems/TNoxSerialData.h"

#include "dataitems/ItemWriteTap.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/NumberConversion.h"
#include "dataitems/TBaseTransformation.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"

#include <QCoreApplication>
#include <bit>
#include <cmath>
#include <mutex>

TNoxSerialData::TNoxSerialData(QObject *owner) : QObject(owner) {}

TNoxSerialData::~TNoxSerialData() {
  // Items that use another as coefficient sit in its observer list; leave it.
  for (auto &ext : m_extCoeffs)
    if (ext)
      ext->RemoveObserver(this);
}

// ---------------------------------------------------------------- setters

void TNoxSerialData::SetDataLength(int value) {
  if (value < 1 || value > 2 || value == m_dataLength)
    return;
  ClearValue();
  m_dataLength = value;
  m_dataMask = FullMask();
  SetDataCodeBit(DATACODE_TWO_BYTES, value == 2);
  m_dataValid = false;
}

void TNoxSerialData::SetDataMask(int value) {
  const auto mask = static_cast<std::uint32_t>(value) & static_cast<std::uint32_t>(FullMask());
  if (static_cast<int>(mask) == m_dataMask)
    return;
  // Only one contiguous run of set bits makes sense as a field of the raw value.
  if (mask != 0) {
    const auto shifted = mask >> std::countr_zero(mask);
    if ((shifted & (shifted + 1)) != 0)
      return;
  }
  ClearValue();
  m_dataMask = static_cast<int>(mask);
  m_dataValid = false;
}

void TNoxSerialData::SetSerialCode(int value) {
  if (value < 0)
    return;
  m_serialCode = value & 0xFF;
  m_dataCode = (m_dataCode & ~DATACODE_SERIAL_MASK) | static_cast<std::uint32_t>(m_serialCode);
}

void TNoxSerialData::SetSigned(bool value) {
  m_signed = value;
  SetDataCodeBit(DATACODE_SIGNED, value);
}

void TNoxSerialData::SetDataCodeBit(std::uint32_t bit, bool on) {
  if (on)
    m_dataCode |= bit;
  else
    m_dataCode &= ~bit;
}

void TNoxSerialData::SetPrecision(double value) {
  // An infinite step rounds every value to NaN.
  if (value >= 0 && std::isfinite(value))
    m_precision = value;
}

void TNoxSerialData::SetValueMin(double value) {
  if (m_loading || value <= m_valueMax)
    m_valueMin = value;
}

void TNoxSerialData::SetValueMax(double value) {
  if (m_loading || value >= m_valueMin)
    m_valueMax = value;
}

void TNoxSerialData::SetConversionTable(std::vector<double> ecuColumn, std::vector<double> userColumn) {
  ClearConversionTable();
  if (ecuColumn.empty() || ecuColumn.size() != userColumn.size())
    return;
  m_ecuColumn = std::move(ecuColumn);
  m_userColumn = std::move(userColumn);
  m_hasTable = true;
}

void TNoxSerialData::ClearConversionTable() {
  m_ecuColumn.clear();
  m_userColumn.clear();
  m_hasTable = false;
}

TBaseTransformation *TNoxSerialData::TransformationAt(int which) const {
  return (which >= 0 && which < 4) ? m_transformations[static_cast<std::size_t>(which)].data() : nullptr;
}

void TNoxSerialData::SetTransformationAt(int which, TBaseTransformation *transformation) {
  if (which < 0 || which >= 4)
    return;
  m_transformations[static_cast<std::size_t>(which)] = transformation;
  if (transformation)
    Reload();
}

TNoxNumber *TNoxSerialData::ExtCoeff(int which) const {
  return (which >= 0 && which < 4) ? m_extCoeffs[static_cast<std::size_t>(which)].data() : nullptr;
}

void TNoxSerialData::SetExtCoeff(int which, TNoxSerialData *item) {
  if (which < 0 || which >= 4)
    return;
  auto *number = qobject_cast<TNoxNumber *>(item);
  // Notification and coefficient reads follow the references: a cycle would
  // recurse without end.
  if (item && (!number || number->UsesAsCoefficient(this)))
    return;
  auto &slot = m_extCoeffs[static_cast<std::size_t>(which)];
  if (slot)
    slot->RemoveObserver(this);
  slot = number;
  if (number)
    number->AddObserver(this);
}

bool TNoxSerialData::UsesAsCoefficient(const TNoxSerialData *item) const {
  if (item == this)
    return true;
  for (const auto &ext : m_extCoeffs)
    if (ext && ext->UsesAsCoefficient(item))
      return true;
  return false;
}

void TNoxSerialData::SetConnectionField(TNoxConnection *connection) { m_connection = connection; }

TNoxConnection *TNoxSerialData::Connection() const { return m_connection.data(); }

void TNoxSerialData::Loaded() {
  m_loading = false;
  LoadDefault(false);
}

// ------------------------------------------------------------ conversions

void TNoxSerialData::GetCoefficients(double &a, double &b, double &c, double &d) {
  std::array<double, 4> out = m_coeffs;
  for (std::size_t i = 0; i < 4; ++i) {
    if (!m_extCoeffs[i])
      continue;
    out[i] = m_extCoeffs[i]->GetValue();
    if (auto *transformation = m_transformations[i].data()) {
      double transformed = 0;
      if (transformation->Transform(out[i], transformed) == 0)
        out[i] = transformed;
    }
  }
  a = out[0];
  b = out[1];
  c = out[2];
  d = out[3];
}

double TNoxSerialData::Interpolate(const std::vector<double> &search, const std::vector<double> &result,
                                   double value) const {
  const std::size_t n = search.size();
  // A single point cannot describe a slope; it maps everything to its value.
  if (n < 2)
    return result.empty() ? 0.0 : result[0];
  const bool ascending = search[n - 1] > search[0];
  std::size_t i = n - 1;
  for (std::size_t k = 1; k < n; ++k) {
    if (ascending ? search[k] >= value : search[k] <= value) {
      i = k;
      break;
    }
  }
  const double span = search[i] - search[i - 1];
  // Two equal neighbours leave no slope: take the nearer point's value.
  if (span == 0)
    return result[i];
  return result[i] - (result[i] - result[i - 1]) * (search[i] - value) / span;
}

double TNoxSerialData::ConvertToUser(std::int32_t raw) {
  const double r = ConvertToUserUnrounded(raw);
  // Failure values are returned unrounded.
  if (NumberConversion::IsFailureValue(r))
    return r;
  return NumberConversion::RoundToPrecision(r, m_precision);
}

QString TNoxSerialData::FileValueText(std::int32_t raw) {
  const QString shown = NumberConversion::FormatG(ConvertToUser(raw));
  if (ReadsBackAs(shown, raw))
    return shown;
  // The rounded value would come back as another byte (1538.46 RPM shown as
  // 1500): write the exact value with as few digits as bring the byte back.
  const double exact = ConvertToUserUnrounded(raw);
  for (int digits = 6; digits <= 17; ++digits) {
    const QString text = NumberConversion::FormatG(exact, digits);
    if (ReadsBackAs(text, raw))
      return text;
  }
  return shown; // no user value means this byte (a conversion failure)
}

bool TNoxSerialData::ReadsBackAs(const QString &text, std::int32_t raw) {
  double user = 0;
  if (!NumberConversion::TryParseFloat(text, user))
    return false;
  // A file is loaded with the limits off.
  const bool limitsOff = m_disableLimits;
  m_disableLimits = true;
  const std::int32_t back = ConvertUnmerged(user);
  m_disableLimits = limitsOff;
  if (NumberConversion::IsFailureValue(back))
    return false;
  if (m_dataMask == FullMask())
    return back == raw;
  return !OutsideMask(back) && (back & m_dataMask) == (raw & m_dataMask);
}

double TNoxSerialData::ConvertToUserUnrounded(std::int32_t raw) {
  double a = 0, b = 0, c = 0, d = 0;
  if (m_transformation == ttFormula || m_transformation == ttNonLinearTabled)
    GetCoefficients(a, b, c, d);

  std::int32_t x = raw & m_dataMask;
  if (m_signed)
    x = m_dataLength == 2 ? static_cast<std::int16_t>(x & 0xFFFF) : static_cast<std::int8_t>(x & 0xFF);
  const double xd = x;

  double r = 0;
  switch (m_transformation) {
  case ttNone:
    r = xd;
    break;
  case ttFormula: {
    const double denominator = c * xd + d;
    if (denominator == 0)
      return CONVERSION_ZERO_DENOMINATOR;
    r = (a * xd + b) / denominator;
    break;
  }
  case ttTabled: {
    if (!m_hasTable)
      return CONVERSION_NOT_IN_TABLE;
    bool found = false;
    for (std::size_t k = 0; k < m_ecuColumn.size(); ++k) {
      if (m_ecuColumn[k] == xd) {
        r = m_userColumn[k];
        found = true;
      }
    }
    if (!found)
      return CONVERSION_NOT_IN_TABLE;
    break;
  }
  case ttNonLinearTabled: {
    if (!m_hasTable)
      return CONVERSION_NOT_IN_TABLE;
    const double denominator = c * xd + d;
    if (denominator == 0)
      return CONVERSION_ZERO_DENOMINATOR;
    r = Interpolate(m_ecuColumn, m_userColumn, (a * xd + b) / denominator);
    break;
  }
  case ttCustom:
    r = DoConvertToUser(x);
    break;
  }
  return r;
}

std::int32_t TNoxSerialData::ConvertToEcu(double user) {
  const std::int32_t r = ConvertUnmerged(user);
  // Failure values are reported as they stand.
  if (NumberConversion::IsFailureValue(r))
    return r;
  return MergeWithCurrent(r);
}

int TNoxSerialData::ConvertForWrite(double user, std::int32_t &raw) {
  const std::int32_t r = ConvertUnmerged(user);
  if (NumberConversion::IsFailureValue(r) || OutsideMask(r) || !FitsWidth(r))
    return ERROR_VALUE_REFUSED;
  if (m_dataMask == FullMask()) {
    raw = r;
    return 0;
  }
  // Without the other items' bits a merge would clear them on the unit.
  if (!ReloadForMerge())
    return ERROR_SHARED_BYTE_UNREAD;
  raw = (m_rawValue & ~m_dataMask) | (r & m_dataMask);
  return 0;
}

std::int32_t TNoxSerialData::ConvertUnmerged(double user) {
  double a = 0, b = 0, c = 0, d = 0;
  if (m_transformation == ttFormula || m_transformation == ttNonLinearTabled)
    GetCoefficients(a, b, c, d);

  if (!m_disableLimits && (m_valueMin != 0 || m_valueMax != 0)) {
    if (user > m_valueMax)
      user = m_valueMax;
    else if (user < m_valueMin)
      user = m_valueMin;
  }

  std::int32_t r = 0;
  switch (m_transformation) {
  case ttNone:
    if (!NumberConversion::TruncateToInt32(user, r))
      return CONVERSION_OUT_OF_RANGE;
    break;
  case ttFormula: {
    const double denominator = c * user - a;
    if (denominator == 0)
      return CONVERSION_ZERO_DENOMINATOR;
    if (!NumberConversion::RoundHalfAwayToInt32((b - d * user) / denominator, r))
      return CONVERSION_OUT_OF_RANGE;
    break;
  }
  case ttTabled: {
    if (!m_hasTable)
      return CONVERSION_NOT_IN_TABLE;
    std::size_t k = 0;
    while (k < m_userColumn.size() && m_userColumn[k] != user)
      ++k;
    if (k == m_userColumn.size())
      return CONVERSION_NOT_IN_TABLE;
    if (!NumberConversion::RoundHalfAwayToInt32(m_ecuColumn[k], r))
      return CONVERSION_OUT_OF_RANGE;
    break;
  }
  case ttNonLinearTabled: {
    if (!m_hasTable)
      return CONVERSION_NOT_IN_TABLE;
    const double k = Interpolate(m_userColumn, m_ecuColumn, user);
    const double denominator = c * k - a;
    if (denominator == 0)
      return CONVERSION_ZERO_DENOMINATOR;
    if (!NumberConversion::RoundHalfAwayToInt32((b - d * k) / denominator, r))
      return CONVERSION_OUT_OF_RANGE;
    break;
  }
  case ttCustom:
    r = DoConvertToEcu(user);
    break;
  }
  return r;
}

std::int32_t TNoxSerialData::MergeWithCurrent(std::int32_t raw) {
  if (m_dataMask == FullMask())
    return raw;
  // The other bits of the byte belong to other items: fetch them fresh.
  if (ReloadForMerge())
    return (m_rawValue & ~m_dataMask) | (raw & m_dataMask);
  return raw & m_dataMask;
}

bool TNoxSerialData::ReloadForMerge() {
  const std::int32_t kept = m_rawValue;
  m_notifyEnabled = false;
  const bool ok = Reload();
  m_notifyEnabled = true;
  if (!ok)
    m_rawValue = kept;
  return ok;
}

std::int32_t TNoxSerialData::DecodeRaw(const std::uint8_t *bytes) const {
  if (m_dataLength == 2) {
    const auto word = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
    return m_signed ? static_cast<std::int16_t>(word) : word;
  }
  return m_signed ? static_cast<std::int8_t>(bytes[0]) : bytes[0];
}

bool TNoxSerialData::FitsWidth(std::int32_t raw) const {
  // Both readings of the bit pattern are accepted: 0..255 and -128..-1 for a
  // byte (signed items and sign-magnitude encodings travel either way).
  const std::int32_t full = FullMask();
  return raw >= -(full + 1) / 2 && raw <= full;
}

// ----------------------------------------------------------------- values

double TNoxSerialData::GetValue() { return ConvertToUser(m_rawValue); }

std::int32_t TNoxSerialData::GetIntValue() {
  std::int32_t result = 0;
  // A user value beyond 32 bits cannot come from one or two bytes unless the
  // coefficients are absurd; 0 is a safer answer than undefined behaviour.
  if (!NumberConversion::RoundHalfAwayToInt32(GetValue(), result))
    return 0;
  return result;
}

bool TNoxSerialData::Reload() {
  m_dataValid = false;
  return ReadData();
}

// ----------------------------------------------------------------- events

void TNoxSerialData::DoError(bool Writing) {
  if (!OnError)
    return;
  int errorCode = -1;
  if (m_connection && m_connection->LoadProtocolLibrary()) {
    std::lock_guard<ReentrantLock> guard(m_connection->Lock());
    errorCode = m_connection->ProtocolObject()->LastStatus();
  }
  OnError(this, errorCode, Writing);
}

void TNoxSerialData::RaiseError(int errorCode, bool writing) {
  if (OnError)
    OnError(this, errorCode, writing);
}

void TNoxSerialData::RefuseWrite(int errorCode, double tried) {
  ItemWriteTap::Report({this, m_rawValue, m_rawValue, ItemWrite::Result::Refused, errorCode,
                        ItemWriteTap::HandlerRunningFor(), tried});
  RaiseError(errorCode, true);
  NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(this), 0);
}

void TNoxSerialData::DoGetData() {
  if (OnGetData)
    OnGetData(this);
  NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(this), 0);
}

void TNoxSerialData::DoSetData() {
  if (OnSetData)
    OnSetData(this);
  NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(this), 0);
}

void TNoxSerialData::DoBeforeGetData() {
  if (BeforeGetData)
    BeforeGetData(this);
}

bool TNoxSerialData::DoBeforeSetData(double &newValue, double prevValue, int rowIndex, int colIndex) {
  bool abort = false;
  if (BeforeSetData)
    BeforeSetData(this, &newValue, prevValue, rowIndex, colIndex, abort);
  return !abort;
}

void TNoxSerialData::DoStatus(int status) {
  NotifyObservers(MSG_DATA_STATE, reinterpret_cast<std::uintptr_t>(this), status);
}

std::int32_t TNoxSerialData::DoConvertToEcu(double userValue) {
  int converted = 0;
  if (OnConvertToEcu)
    OnConvertToEcu(this, userValue, converted);
  return converted;
}

double TNoxSerialData::DoConvertToUser(std::int32_t ecuValue) {
  double converted = 0.0;
  if (OnConvertToUser)
    OnConvertToUser(this, ecuValue, converted);
  return converted;
}

// -------------------------------------------------------------- ini files

namespace {
// Puts a field back however the inner operation leaves.
class SectionOverride {
public:
  SectionOverride(TNoxSerialData &item, const QString &section) : m_item(item), m_saved(item.FileSection()) {
    m_item.SetFileSection(section);
  }
  ~SectionOverride() { m_item.SetFileSection(m_saved); }
  SectionOverride(const SectionOverride &) = delete;
  SectionOverride &operator=(const SectionOverride &) = delete;

private:
  TNoxSerialData &m_item;
  QString m_saved;
};
} // namespace

bool TNoxSerialData::SaveToIniSection(IniStore &ini, const QString &section) {
  SectionOverride override(*this, section);
  return SaveToIni(ini);
}

bool TNoxSerialData::LoadFromIniSection(IniStore &ini, const QString &section) {
  SectionOverride override(*this, section);
  return LoadFromIni(ini);
}

// -------------------------------------------------------------- observers

void TNoxSerialData::AddObserver(QObject *observer) {
  if (!observer)
    return;
  for (const auto &existing : m_observers)
    if (existing == observer)
      return;
  m_observers.append(observer);
}

void TNoxSerialData::RemoveObserver(QObject *observer) {
  m_observers.removeIf([observer](const QPointer<QObject> &o) { return o.isNull() || o == observer; });
}

QList<QObject *> TNoxSerialData::Observers() const {
  QList<QObject *> result;
  for (const auto &o : m_observers)
    if (o)
      result.append(o.data());
  return result;
}

namespace {
TNoxSerialData::NotificationTap *notificationTap = nullptr;
}

void TNoxSerialData::SetNotificationTap(NotificationTap *tap) { notificationTap = tap; }

void TNoxSerialData::NotifyObservers(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!m_notifyEnabled)
    return;
  if (notificationTap) {
    (*notificationTap)(this, message, wParam, lParam);
    return;
  }
  // A handler may add or remove observers (or free one) while we walk: walk a
  // snapshot of guarded pointers.
  const QList<QPointer<QObject>> snapshot = m_observers;
  for (const auto &observer : snapshot) {
    if (!observer)
      continue;
    if (auto *item = qobject_cast<TNoxSerialData *>(observer.data())) {
      item->NotifyObservers(message, wParam, lParam);
    } else {
      NoxMessageEvent event(message, wParam, lParam);
      QCoreApplication::sendEvent(observer.data(), &event);
    }
  }
}
