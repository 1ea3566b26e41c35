#pragma once
#include <QString>

class TNoxSerialData;
class TSerialDataModule;

// The decisions of the vehicle configuration window that need no widget:
// what the emulation type and the switch-type byte lead to, and the limits
// hint. The window applies them to its controls.
class ConfigWindowRules {
public:
  // The protocol library is loaded and the unit answers as connected; an
  // unloaded library counts as not connected.
  static bool UnitConnected(const TSerialDataModule &module);

  // The emulation type has become itemIndex. "Circuito Aperto" (2) on a
  // connected unit writes the five wave defaults to the unit, in the order
  // the unit expects them, and enables the constructed-wave button; the
  // result says whether the button is enabled.
  static bool EmulationTypeChanged(TSerialDataModule &module, int itemIndex);

  // The index the hidden switch-type combo box shows for the byte v
  // (5 "Solo Pulsante", 132 "Con Indicatore", told apart by the bits 0x87),
  // starting from the index it shows now. -1: neither choice matches.
  static int SwitchTypeIndex(int v, int currentIndex, bool loaded, bool connected);
  // The byte written for a choice of that combo box.
  static int SwitchTypeValue(int itemIndex);
  static constexpr int SWITCH_TYPE_DEFAULT = 132;

  // "(0;5000 rpm)": the limits and unit of the focused field's parameter.
  static QString LimitsHint(const TNoxSerialData &item);
  static QString LimitsHint(double low, double high, const QString &unit);
};
