#pragma once
#include "NoxProtocolObject.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

class IniStore;
class TBaseTransformation;
class TNoxConnection;
class TNoxNumber;

enum TransformationType { ttNone = 0, ttFormula = 1, ttTabled = 2, ttNonLinearTabled = 3, ttCustom = 4 };

// One ECU quantity: where it lives, which bits are its own, how its raw value
// becomes the value the fitter sees and back, its limits and file key, and
// who must hear when it changes. Parameters (TNoxNumber) and live values
// (TNoxPacketData) derive from it.
class TNoxSerialData : public QObject {
  Q_OBJECT
public:
  using ConvertToEcuEvent = std::function<void(TNoxSerialData *Sender, double UserValue, int &ConvertedValue)>;
  using ConvertToUserEvent = std::function<void(TNoxSerialData *Sender, int EcuValue, double &ConvertedValue)>;
  using BeforeSetDataEvent = std::function<void(TNoxSerialData *Sender, double *newValue, double prevValue,
                                                int RowIndex, int ColIndex, bool &Abort)>;
  using NotifyEvent = std::function<void(TNoxSerialData *Sender)>;
  using ErrorEvent = std::function<void(TNoxSerialData *Sender, int ErrorCode, bool Writing)>;

  // OnError codes of writes the item refuses itself, nothing sent: the value
  // is no ECU value (a conversion failure), does not fit the item's width or
  // has bits outside a partial mask...
  static constexpr int ERROR_VALUE_REFUSED = -100;
  // ...or the byte it shares with other items could not be read, so their
  // bits are unknown and would be overwritten.
  static constexpr int ERROR_SHARED_BYTE_UNREAD = -101;

  explicit TNoxSerialData(QObject *owner = nullptr);
  ~TNoxSerialData() override;

  // ---- Layout and data code
  int DataLength() const { return m_dataLength; }
  void SetDataLength(int value);
  int DataMask() const { return m_dataMask; }
  void SetDataMask(int value);
  int SerialCode() const { return m_serialCode; }
  void SetSerialCode(int value);
  bool Signed() const { return m_signed; }
  void SetSigned(bool value);
  std::uint32_t DataCode() const { return m_dataCode; }
  int DataKind() const { return m_dataKind; }
  int RowIndex() const { return m_rowIndex; }
  int ColIndex() const { return m_colIndex; }
  // 256^DataLength - 1: the mask of the whole raw value.
  int FullMask() const { return m_dataLength == 2 ? 0xFFFF : 0xFF; }

  // ---- Conversion settings
  TransformationType Transformation() const { return m_transformation; }
  void SetTransformation(TransformationType value) { m_transformation = value; }
  QString MeasureUnit() const { return m_measureUnit; }
  void SetMeasureUnit(const QString &value) { m_measureUnit = value; }
  double CoeffA() const { return m_coeffs[0]; }
  double CoeffB() const { return m_coeffs[1]; }
  double CoeffC() const { return m_coeffs[2]; }
  double CoeffD() const { return m_coeffs[3]; }
  void SetCoeffA(double value) { m_coeffs[0] = value; }
  void SetCoeffB(double value) { m_coeffs[1] = value; }
  void SetCoeffC(double value) { m_coeffs[2] = value; }
  void SetCoeffD(double value) { m_coeffs[3] = value; }
  void SetCoeffs(double a, double b, double c, double d) { m_coeffs = {a, b, c, d}; }
  double Precision() const { return m_precision; }
  void SetPrecision(double value);
  double ValueMin() const { return m_valueMin; }
  void SetValueMin(double value);
  double ValueMax() const { return m_valueMax; }
  void SetValueMax(double value);
  bool DisableLimits() const { return m_disableLimits; }
  void SetDisableLimits(bool value) { m_disableLimits = value; }

  // The conversion table; equal columns. An empty table means none.
  void SetConversionTable(std::vector<double> ecuColumn, std::vector<double> userColumn);
  void ClearConversionTable();
  bool HasTable() const { return m_hasTable; }
  int TableCount() const { return static_cast<int>(m_ecuColumn.size()); }
  const std::vector<double> &EcuColumn() const { return m_ecuColumn; }
  const std::vector<double> &UserColumn() const { return m_userColumn; }

  TBaseTransformation *TransformationAt(int which) const; // 0..3 = A..D
  void SetTransformationAt(int which, TBaseTransformation *transformation);
  TNoxNumber *ExtCoeff(int which) const; // 0..3 = A..D
  // Refused (ignored) when item is no parameter, or when it already depends
  // on this item, directly or through other coefficients.
  void SetExtCoeff(int which, TNoxSerialData *item);
  // Whether item is this one or one of its coefficients, at any depth.
  bool UsesAsCoefficient(const TNoxSerialData *item) const;

  // ---- Flags and file location
  int DataGroup() const { return m_dataGroup; }
  void SetDataGroup(int value) { m_dataGroup = value; }
  bool OldReadFileMode() const { return m_oldReadFileMode; }
  void SetOldReadFileMode(bool value) { m_oldReadFileMode = value; }
  bool ReadOnly() const { return m_readOnly; }
  void SetReadOnly(bool value) { m_readOnly = value; }
  bool StoreUserValue() const { return m_storeUserValue; }
  void SetStoreUserValue(bool value) { m_storeUserValue = value; }
  QString FileSection() const { return m_fileSection; }
  void SetFileSection(const QString &value) { m_fileSection = value; }
  QString FileKeyName() const { return m_fileKeyName; }
  void SetFileKeyName(const QString &value) { m_fileKeyName = value; }
  bool NotifyEnabled() const { return m_notifyEnabled; }
  void SetNotifyEnabled(bool value) { m_notifyEnabled = value; }

  TNoxConnection *Connection() const;

  // ---- Cached value
  std::int32_t RawValue() const { return m_rawValue; }
  void SetRawValueField(std::int32_t value) { m_rawValue = value; }
  bool DataValid() const { return m_dataValid; }
  // The unit answered the last read with "not defined here": the item counts
  // as valid, but its value is a default or an old one, not the unit's.
  bool NotDefinedInUnit() const { return m_notDefinedInUnit; }
  // The last read asked of the unit failed (and nothing was read or written
  // since): the cached value is a default or an old one, not the unit's.
  bool ReadFailed() const { return m_readFailed; }
  void SetReadFailed(bool value) { m_readFailed = value; }
  // The cached value may no longer be the unit's: the next read asks it.
  void MarkUnread() { m_dataValid = false; }
  // What a load may change in an item besides the unit's bytes, so that a
  // rehearsed load that has to be run again starts from where it began.
  struct CachedState {
    std::int32_t Raw;
    bool Valid;
    bool NotDefined;
    bool ReadFailed;
    std::array<double, 4> Coeffs;
    double Min;
    double Max;
  };
  CachedState SaveCachedState() const {
    return {m_rawValue, m_dataValid, m_notDefinedInUnit, m_readFailed, m_coeffs, m_valueMin, m_valueMax};
  }
  void RestoreCachedState(const CachedState &state) {
    m_rawValue = state.Raw;
    m_dataValid = state.Valid;
    m_notDefinedInUnit = state.NotDefined;
    m_readFailed = state.ReadFailed;
    m_coeffs = state.Coeffs;
    m_valueMin = state.Min;
    m_valueMax = state.Max;
  }

  // ---- Events
  ConvertToEcuEvent OnConvertToEcu;
  ConvertToUserEvent OnConvertToUser;
  BeforeSetDataEvent BeforeSetData;
  NotifyEvent BeforeGetData;
  NotifyEvent OnGetData;
  NotifyEvent OnSetData;
  ErrorEvent OnError;

  // ---- Conversions
  double ConvertToUser(std::int32_t raw);
  // The text a configuration file holds for a raw value: the value as shown
  // when it reads back as the same raw value, otherwise the exact value with
  // as many significant digits as that needs; "%g" form with ".".
  QString FileValueText(std::int32_t raw);
  std::int32_t ConvertToEcu(double user);
  // The raw value a write of a user value sends: converted, checked and
  // merged into a fresh read of a shared byte. 0 when it may be sent,
  // otherwise the refusal code (raw is then untouched).
  int ConvertForWrite(double user, std::int32_t &raw);
  // Whether a raw value carries bits that belong to other items of its byte.
  bool OutsideMask(std::int32_t raw) const { return m_dataMask != FullMask() && (raw & ~m_dataMask) != 0; }
  void GetCoefficients(double &a, double &b, double &c, double &d);

  // ---- Values
  virtual double GetValue();
  std::int32_t GetIntValue();

  // ---- Overridable operations (slot order of the item's operation table)
  virtual void ClearValue() = 0;
  virtual bool ReadData() = 0;
  virtual void DoError(bool Writing);
  virtual void DoGetData();
  virtual void DoSetData();
  virtual void DoBeforeGetData();
  virtual bool DoBeforeSetData(double &newValue, double prevValue, int rowIndex, int colIndex);
  virtual void DoStatus(int status);
  virtual std::int32_t DoConvertToEcu(double userValue);
  virtual double DoConvertToUser(std::int32_t ecuValue);
  virtual void SaveRawValue() = 0;
  virtual void RestoreRawValue() = 0;
  virtual bool Reload();
  virtual bool RewriteData() = 0;
  virtual bool SaveToIniSection(IniStore &ini, const QString &section);
  virtual bool LoadFromIniSection(IniStore &ini, const QString &section);
  virtual bool SaveToIni(IniStore &ini) = 0;
  virtual bool LoadFromIni(IniStore &ini) = 0;
  virtual void ReceiveData(const std::uint8_t *buffer) = 0;
  virtual bool LoadDefault(bool write) = 0;
  virtual bool LoadHexFromIni(IniStore &ini) = 0;
  virtual bool SaveHexToIni(IniStore &ini) = 0;

  // ---- Observers
  void AddObserver(QObject *observer);
  void RemoveObserver(QObject *observer);
  void NotifyObservers(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  QList<QObject *> Observers() const;
  // While a tap is set, every item hands its notifications to the tap
  // instead of its observers (a dry run must not redraw anything). nullptr
  // delivers again. GUI thread only.
  using NotificationTap = std::function<void(TNoxSerialData *item, std::uint32_t message, std::uintptr_t wParam,
                                             std::intptr_t lParam)>;
  static void SetNotificationTap(NotificationTap *tap);

  // ---- Applying stored properties: limits are accepted in any order until
  // Loaded() runs the loaded hook.
  bool Loading() const { return m_loading; }
  void Loaded();

protected:
  // Reports an error with a code of the item's own, not the protocol's.
  void RaiseError(int errorCode, bool writing);
  // A write refused before anything was sent: OnError, and the controls
  // show the stored value again. tried: the user value asked for, if any.
  void RefuseWrite(int errorCode, double tried = std::numeric_limits<double>::quiet_NaN());
  // Reads the current raw value for a merge without telling the observers;
  // a failed read leaves the cached value as it was.
  bool ReloadForMerge();
  void SetConnectionField(TNoxConnection *connection);
  void SetDataValid(bool value) { m_dataValid = value; }
  void SetNotDefinedInUnit(bool value) { m_notDefinedInUnit = value; }
  void SetDataKind(int value) { m_dataKind = value; }
  void SetIndicesField(int row, int col) {
    m_rowIndex = row;
    m_colIndex = col;
  }
  void SetDataCodeBit(std::uint32_t bit, bool on);
  // Takes one or two bytes, low byte first, sign-extended when Signed.
  std::int32_t DecodeRaw(const std::uint8_t *bytes) const;
  // Whether a raw value can travel in DataLength bytes.
  bool FitsWidth(std::int32_t raw) const;

  std::int32_t m_rawValue = 0;

private:
  double Interpolate(const std::vector<double> &search, const std::vector<double> &result, double value) const;
  // The conversion proper without rounding to Precision.
  double ConvertToUserUnrounded(std::int32_t raw);
  // Whether a file's text converts back (limits off) to raw's own bits.
  bool ReadsBackAs(const QString &text, std::int32_t raw);
  // The conversion proper: limits, then the mode; no merge.
  std::int32_t ConvertUnmerged(double user);
  std::int32_t MergeWithCurrent(std::int32_t raw);

  int m_colIndex = -1;
  int m_rowIndex = -1;
  int m_dataMask = 255;
  int m_dataLength = 1;
  int m_dataKind = 0;
  bool m_dataValid = false;
  bool m_notDefinedInUnit = false;
  bool m_readFailed = false;
  int m_serialCode = 0;
  bool m_signed = false;
  std::uint32_t m_dataCode = 0;
  TransformationType m_transformation = ttNone;
  QString m_measureUnit;
  std::array<double, 4> m_coeffs{1, 0, 0, 1};
  double m_precision = 0;
  double m_valueMin = 0;
  double m_valueMax = 0;
  QPointer<TNoxConnection> m_connection;
  bool m_hasTable = false;
  std::vector<double> m_ecuColumn;
  std::vector<double> m_userColumn;
  bool m_readOnly = false;
  bool m_storeUserValue = true;
  bool m_disableLimits = false;
  QString m_fileSection;
  QString m_fileKeyName;
  QList<QPointer<QObject>> m_observers;
  int m_dataGroup = 0;
  bool m_notifyEnabled = true;
  bool m_oldReadFileMode = false;
  std::array<QPointer<TBaseTransformation>, 4> m_transformations;
  std::array<QPointer<TNoxNumber>, 4> m_extCoeffs;
  bool m_loading = true;
};
