#pragma once
#include <cstdint>
#include <limits>

class TNoxSerialData;

// One write an item made to the unit, or asked for and had refused before
// anything was sent. Raw values are the item's whole raw value (the whole
// byte for an item that owns a few of its bits), so that what was there
// before can be put back exactly.
struct ItemWrite {
  enum class Result {
    Written, // the unit took it
    Refused, // never sent: the value does not convert, does not fit, or a shared byte could not be read
    Failed,  // sent, and the unit (or the missing library) failed it
  };

  TNoxSerialData *Item = nullptr;
  std::int32_t OldRaw = 0;
  // What was sent; for a refusal, the old value again.
  std::int32_t NewRaw = 0;
  Result Outcome = Result::Written;
  // The protocol's last status of a failed write (-1: no library), the
  // item's own refusal code of a refused one, 0 when written.
  int Status = 0;
  // The item whose set-data handler made this write (the speeds an ignition
  // type rewrites); null for a write the program asked for itself.
  TNoxSerialData *ByHandlerOf = nullptr;
  // Of a refused write, the user value that was asked for, when there was
  // one: the raw values cannot say what was tried. NaN otherwise.
  double TriedValue = std::numeric_limits<double>::quiet_NaN();
};
