// Which parameters a load of chosen values takes together: a value read
// without its partner would mean something else in the unit.
#include "ecuconfig/LoadDependencies.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QStringList Names(const QList<const TNoxNumber *> &items) {
  QStringList names;
  for (const TNoxNumber *item : items)
    names << item->objectName();
  names.sort();
  return names;
}

const TNoxNumber *Named(const TSerialDataModule &module, const char *name) {
  for (TNoxSerialData *item : module.DataItems())
    if (item->objectName() == QLatin1String(name))
      return qobject_cast<const TNoxNumber *>(item);
  return nullptr;
}

QStringList Sorted(QStringList names) {
  names.sort();
  return names;
}

struct GroupCase {
  const char *Chosen;
  QStringList Together; // the whole closure, the chosen one included
};

const QStringList Speeds{"GiriPerCambio", "GiriSbananata",        "GiriCutOff",
                         "GiriFuoriGiri", "GiriCutOffFiliGialli", "GiriSgancioCutOffFiliGialli"};
// Byte 223 ties the ignition's speeds to the change-over type and the
// priming time.
const QStringList Ignition = Speeds + QStringList{"TIPO_ACCENSIONE", "TIPO_CAMBIO", "TempoDiCicchetto"};

TEST(LoadDependencies, ChoosingOneBringsItsGroup) {
  const GroupCase cases[] = {
      {"TIPO_ACCENSIONE", Ignition},
      {"GiriCutOff", Ignition},
      {"GiriSgancioCutOffFiliGialli", Ignition},
      {"TempoDiCicchetto", Ignition},
      {"TIPO_CAMBIO", Ignition},
      {"TIPO_SONDA_LAMBDA", {"TIPO_SONDA_LAMBDA", "FLAG_CONFIGURAZIONE_3"}},
      {"FLAG_CONFIGURAZIONE_3", {"TIPO_SONDA_LAMBDA", "FLAG_CONFIGURAZIONE_3"}},
      {"TPSSbananata", {"TIPO_TPS", "TPS_PER_AFFONDATA", "TPSSbananata", "TPSFasciaApprendimento"}},
      // Own bits of a shared byte, with no meaning from another: alone.
      {"TIPO_EMULAZIONE", {"TIPO_EMULAZIONE"}},
      {"TipoSensore", {"TipoSensore"}},
      {"TEMPO_SOVRAPPOSIZIONE", {"TEMPO_SOVRAPPOSIZIONE"}},
  };
  TSerialDataModule module;
  for (const GroupCase &test : cases) {
    const TNoxNumber *item = Named(module, test.Chosen);
    ASSERT_NE(item, nullptr) << test.Chosen;
    EXPECT_EQ(Names(LoadDependencies::Closure(module, {item})), Sorted(test.Together)) << test.Chosen;
  }
}

// Two parameters that own the same bits of one byte cannot be loaded apart:
// whatever item is added to the catalogue, the table must hold them together.
TEST(LoadDependencies, ItemsOwningTheSameBitsAlwaysGoTogether) {
  TSerialDataModule module;
  QList<const TNoxNumber *> items;
  for (TNoxSerialData *data : module.DataItems())
    if (auto *item = qobject_cast<const TNoxNumber *>(data);
        item && item->ByAddress() && !item->ReadOnly() && !item->FileKeyName().isEmpty())
      items << item;
  int sharing = 0;
  for (const TNoxNumber *a : items)
    for (const TNoxNumber *b : items) {
      if (a == b || a->Address() != b->Address() || !(a->DataMask() & b->DataMask()))
        continue;
      ++sharing;
      EXPECT_TRUE(LoadDependencies::Closure(module, {a}).contains(b))
          << a->objectName().toStdString() << " without " << b->objectName().toStdString();
    }
  EXPECT_GE(sharing, 4) << "bytes 165 and 223 are shared";
}

} // namespace
