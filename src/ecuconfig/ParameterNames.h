#pragma once
#include "ecuconfig/TSerialDataModule.h"

#include <QString>
#include <cstdint>

class TNoxSerialData;

// What the fitter calls the parameters that no field of the configuration
// window shows (the change log, the report and the comparison name every
// write, also the handlers' and the file's): a caption in the current
// language, the bits of a flags byte one by one, and the counts that the
// address map gives a unit of seconds they do not have.
class ParameterNames {
public:
  // The caption of the item, or of its one changed bit when that bit has a
  // caption of its own; empty for an item the table does not know.
  static QString CaptionOf(const TSerialDataModule &module, const TNoxSerialData *item,
                           std::int32_t changedBits = -1);
  // The bit named by CaptionOf for these changed bits; 0 when the item as a
  // whole is named.
  static std::int32_t NamedBit(const TSerialDataModule &module, const TNoxSerialData *item,
                               std::int32_t changedBits);
  // The unit the item's value is counted in: none for a count.
  static QString UnitOf(const TNoxSerialData *item);
};
