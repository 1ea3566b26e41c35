#include "ecuconfig/LoadDependencies.h"

#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"

#include <QSet>
#include <algorithm>

const std::vector<LoadDependencies::Group> &LoadDependencies::Groups() {
  using M = TSerialDataModule;
  static const std::vector<Group> groups{
      // Each speed's byte is converted with the ignition type's coefficient.
      {&M::TIPO_ACCENSIONE,
       {&M::GiriPerCambio, &M::GiriSbananata, &M::GiriCutOff, &M::GiriFuoriGiri, &M::GiriCutOffFiliGialli,
        &M::GiriSgancioCutOffFiliGialli}},
      // Byte 223: change-over speed or priming-shot time, as the type says.
      {&M::TIPO_CAMBIO, {&M::GiriPerCambio, &M::TempoDiCicchetto}},
      // Byte 165: the sensor type is the top bits of the third flags byte.
      {&M::TIPO_SONDA_LAMBDA, {&M::FLAG_CONFIGURAZIONE_3}},
      // The TPS voltages are converted rising or falling by the TPS type.
      {&M::TIPO_TPS, {&M::TPS_PER_AFFONDATA, &M::TPSSbananata, &M::TPSFasciaApprendimento}},
  };
  return groups;
}

namespace {
bool Holds(const TSerialDataModule &module, const LoadDependencies::Group &group, const TNoxNumber *item) {
  if (module.*group.Leader == item)
    return true;
  for (LoadDependencies::Member member : group.Members)
    if (module.*member == item)
      return true;
  return false;
}

void AddGroup(const TSerialDataModule &module, const LoadDependencies::Group &group,
              QSet<const TNoxNumber *> &set) {
  set.insert(module.*group.Leader);
  for (LoadDependencies::Member member : group.Members)
    set.insert(module.*member);
}
} // namespace

QList<const TNoxNumber *> LoadDependencies::Closure(const TSerialDataModule &module,
                                                    const QList<const TNoxNumber *> &chosen) {
  QSet<const TNoxNumber *> set(chosen.begin(), chosen.end());
  // Until nothing more joins: a group reached through a shared member
  // brings its own members too.
  for (bool grew = true; grew;) {
    grew = false;
    for (const Group &group : Groups()) {
      const bool reached = std::any_of(set.begin(), set.end(),
                                       [&](const TNoxNumber *item) { return Holds(module, group, item); });
      const qsizetype before = set.size();
      if (reached)
        AddGroup(module, group, set);
      grew = grew || set.size() != before;
    }
  }
  QList<const TNoxNumber *> ordered;
  for (TNoxSerialData *item : module.DataItems())
    if (const auto *number = qobject_cast<const TNoxNumber *>(item); number && set.contains(number))
      ordered.append(number);
  return ordered;
}

QList<const TNoxNumber *> LoadDependencies::Partners(const TSerialDataModule &module,
                                                     const TNoxNumber *item) {
  QList<const TNoxNumber *> partners;
  auto add = [&](const TNoxNumber *other) {
    if (other != item && !partners.contains(other))
      partners.append(other);
  };
  for (const Group &group : Groups()) {
    if (!Holds(module, group, item))
      continue;
    add(module.*group.Leader);
    for (Member member : group.Members)
      add(module.*member);
  }
  return partners;
}
