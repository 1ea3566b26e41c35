#pragma once
#include "dataitems/TNoxSerialData.h"

#include <span>
#include <vector>

class TNoxNumber;
class TNoxPacketData;
class TSerialDataModule;

// The control unit's address map: one row per data item with every property
// value it carries, numbered in component order. The data module builds its
// items from these rows and nothing else.
namespace ParameterCatalogue {

// Flags of a row.
enum RowFlag : unsigned {
  NoFlags = 0,
  DL = 1 /* DisableLimits */,
  RO = 2 /* ReadOnly */,
  G1 = 4 /* DataGroup 1 */
};

// The one parameter without an address: a command value.
inline constexpr int NoAddress = -1;

// Number of the data item after which the translator sits in the component list.
inline constexpr int TranslatorAfterItem = 33;
inline constexpr int ItemCount = 78;
inline constexpr int ComponentCount = 81;

enum class Table {
  None,
  T1,            // temperature: resistance ratio -> degrees Celsius
  T2,            // level sensor type
  T3,            // probe emulation type
  SwitchType,    // stored with TIPO_COMMUTATORE, not used by its conversion
  SignMagnitude, // stored with PosizioneASondaFredda, same as its custom conversion
};

struct Coeffs {
  double A, B, C, D;
};

using NotifyHandler = void (TSerialDataModule::*)(TNoxSerialData *Sender);
using ConvertToUserHandler = void (TSerialDataModule::*)(TNoxSerialData *Sender, int EcuValue,
                                                         double &ConvertedValue);
using ConvertToEcuHandler = void (TSerialDataModule::*)(TNoxSerialData *Sender, double UserValue,
                                                        int &ConvertedValue);

// Handlers of the data module wired to an item; null = not wired.
struct Events {
  NotifyHandler OnGetData = nullptr;
  NotifyHandler OnSetData = nullptr;
  ConvertToUserHandler OnConvertToUser = nullptr;
  ConvertToEcuHandler OnConvertToEcu = nullptr;
};

struct ParameterRow {
  int Number;
  const char *Component;
  TNoxNumber *TSerialDataModule::*Member;
  int Address;
  int Mask;
  TransformationType Transformation;
  Coeffs Coefficients;
  Table ConversionTable;
  const char *Unit; // UTF-8
  double Precision;
  double Min;
  double Max;
  double Default;
  unsigned Flags;
  const char *FileKey;
  const char *FileSection;
  Events Handlers;
};

struct LiveValueRow {
  int Number;
  const char *Component;
  TNoxPacketData *TSerialDataModule::*Member;
  int Offset;
  int Mask;
  TransformationType Transformation;
  Coeffs Coefficients;
  Table ConversionTable;
  double Precision;
  Events Handlers;
};

std::span<const ParameterRow> ParameterRows();
std::span<const LiveValueRow> LiveValueRows();

// The two columns of a stored table; both empty for Table::None.
void TableColumns(Table table, std::vector<double> &ecuColumn, std::vector<double> &userColumn);

} // namespace ParameterCatalogue
