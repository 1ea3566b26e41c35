#pragma once
#include "dataitems/ItemWrite.h"
#include "dataitems/WriteOrigin.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>

// One parameter change as the workshop history keeps it: a line of a
// connection's change log.
struct ChangeRecord {
  enum class Origin {
    FieldEdit,         // the fitter confirmed a field, a combo choice, a check box (or an ecuctl set)
    FileLoad,          // a configuration file was loaded (OriginDetail: the file)
    Undo,              // the fitter undid an action
    Redo,              // the fitter redid an undone action
    Handler,           // another item's handler rewrote it (OriginDetail: that item)
    EepromErase,       // the EEPROM erase
    ConnectCorrection, // the connect put a value the unit held out of range right
  };

  QDateTime Time;      // UTC
  QString Item;        // the data item's name (objectName)
  QString Caption;     // its field's caption in the language of the moment; may be empty
  double OldValue = 0; // user values, as the field showed them
  double NewValue = 0;
  std::int32_t OldRaw = 0; // the item's whole raw value (byte) before and after
  std::int32_t NewRaw = 0;
  Origin Source = Origin::FieldEdit;
  QString OriginDetail;
  // A load of only some of the file's values: the file keys chosen (with
  // those that went with them). Empty when the whole file loaded.
  QStringList Chosen;
  ItemWrite::Result Outcome = ItemWrite::Result::Written;
  int Status = 0;           // of a failed write: the protocol's status; of a refusal: the refusal code
  std::uint64_t Action = 0; // the user action that made it (UserAction::Current()); equal for one action

  // A write of the byte the unit already held: logged, but no change to
  // count, list or report.
  bool ChangedNothing() const { return Outcome == ItemWrite::Result::Written && OldRaw == NewRaw; }
};
