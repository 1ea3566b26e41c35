#pragma once
#include <QString>

class ConfigurationComparison;
class TSerialDataModule;
struct LoadSummary;

// The status line after a load, counted as the comparison before it listed
// the changes: the file's values the load made agree with the unit (one per
// row of the comparison), the values written because they follow from them
// (the other switches of a byte, the speeds an ignition type recomputes) and
// those the unit already held.
class LoadStatusText {
public:
  // before, after: the file compared with the unit before and after the load.
  static QString Of(const TSerialDataModule &module, const LoadSummary &summary, bool writeEveryValue,
                    const ConfigurationComparison &before, const ConfigurationComparison &after);

  static constexpr int TEXT_FROM_FILE = 342;
};
