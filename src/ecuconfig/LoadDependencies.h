#pragma once
#include <QList>
#include <vector>

class TNoxNumber;
class TSerialDataModule;

// Parameters a load takes from a file only together. A value of the file
// read without its partner would mean something else in the unit: the speeds
// are bytes converted by the ignition type, the TPS voltages by the TPS type,
// and items that own the same bits of one byte (byte 223's change-over speed
// and priming time, whose meaning the change-over type decides; byte 165's
// lambda-sensor type inside the third flags byte) cannot be loaded apart.
// One table; choosing any member of a group chooses the whole group, and
// groups that share a member merge.
class LoadDependencies {
public:
  using Member = TNoxNumber *TSerialDataModule::*;
  struct Group {
    Member Leader;               // the parameter that gives the others their meaning
    std::vector<Member> Members; // what goes with it
  };

  static const std::vector<Group> &Groups();

  // The chosen parameters with everything that goes with them, in the data
  // module's item order.
  static QList<const TNoxNumber *> Closure(const TSerialDataModule &module,
                                           const QList<const TNoxNumber *> &chosen);
  // The parameters sharing a group with item (item itself left out), in
  // table order: what the comparison names on its row.
  static QList<const TNoxNumber *> Partners(const TSerialDataModule &module, const TNoxNumber *item);
};
