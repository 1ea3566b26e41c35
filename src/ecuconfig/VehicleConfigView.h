#pragma once
#include <cstdint>

// What the data module's parameter handlers may do to the vehicle
// configuration window. The core owns this interface so that it never calls
// a window itself: the desktop program registers its window here, the
// command-line tool registers nothing, tests register a recorder. Handlers
// touch the window only while a view is registered.
class VehicleConfigView {
public:
  virtual ~VehicleConfigView() = default;

  // The option edits of the second page follow their check boxes: the
  // full-throttle, cut-off and fixed-default fields are visible exactly while
  // their check box is checked.
  virtual void ShowOptionFieldsOfFlags() = 0;
  // Maps the switch-type byte onto its (hidden) combo box, writing 132 when
  // the byte matches neither choice.
  virtual void SyncCommutatore() = 0;
  // Font colour of the default-position label, in the 0x00BBGGRR encoding
  // (0xFF0000 blue, 0x0000FF red).
  virtual void SetDefaultLabelColor(std::uint32_t color) = 0;
  // The timer that re-reads the default-acquired flag once a second.
  virtual void SetTimerEnabled(bool enabled) = 0;
  // Band lamps: throttle 0..3, lambda 0..2; position 0 (off) or 100 (on).
  virtual void SetTpsBandPosition(int indicator, int position) = 0;
  virtual void SetLambdaBandPosition(int indicator, int position) = 0;

  // The registered view, or nullptr while the window does not exist.
  static VehicleConfigView *Current();
  // nullptr unregisters. The caller keeps ownership and must unregister
  // before the view is destroyed.
  static void SetView(VehicleConfigView *view);
};
