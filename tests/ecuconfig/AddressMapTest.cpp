// The address map itself: a wrong address, mask, number or table in the
// catalogue shows up here before any handler runs.
#include "ecuconfig/ParameterCatalogue.h"
#include "support/TemperatureTable.h"

#include <QString>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

using namespace ParameterCatalogue;

namespace {

std::set<int> UnusedAddresses() {
  return {181, 203, 217, 220, 221, 222};
}

} // namespace

TEST(AddressMap, NumbersCoverEveryItemOnce) {
  std::set<int> numbers;
  for (const ParameterRow &row : ParameterRows())
    EXPECT_TRUE(numbers.insert(row.Number).second) << row.Component;
  for (const LiveValueRow &row : LiveValueRows())
    EXPECT_TRUE(numbers.insert(row.Number).second) << row.Component;
  EXPECT_EQ(ParameterRows().size(), 69u);
  EXPECT_EQ(LiveValueRows().size(), 9u);
  ASSERT_EQ(numbers.size(), static_cast<std::size_t>(ItemCount));
  EXPECT_EQ(*numbers.begin(), 1);
  EXPECT_EQ(*numbers.rbegin(), ItemCount);
}

TEST(AddressMap, EveryAddressOfTheMapIsUsedAndNoOther) {
  std::set<int> used;
  int withoutAddress = 0;
  for (const ParameterRow &row : ParameterRows()) {
    if (row.Address == NoAddress)
      ++withoutAddress;
    else
      used.insert(row.Address);
  }
  std::set<int> expected{122};
  for (int address = 161; address <= 226; ++address)
    if (!UnusedAddresses().count(address))
      expected.insert(address);
  EXPECT_EQ(used, expected);
  EXPECT_EQ(withoutAddress, 1); // the reprogramming command
  for (int address : UnusedAddresses())
    EXPECT_FALSE(used.count(address)) << address;
}

// Items share a byte only where the unit packs several settings into it, and
// then (but for the two deliberate overlaps) through disjoint masks.
TEST(AddressMap, OnlyTheKnownBytesAreShared) {
  std::map<int, std::map<std::string, int>> byAddress;
  for (const ParameterRow &row : ParameterRows())
    if (row.Address != NoAddress)
      byAddress[row.Address][row.Component] = row.Mask;

  const std::map<int, std::map<std::string, int>> shared{
      {163, {{"TIPO_ACCENSIONE", 7}, {"TIPO_CAMBIO", 24}, {"TIPO_EMULAZIONE", 96}}},
      {164, {{"TipoSensore", 7}, {"FLAG_CONFIGURAZIONE_2", 8}, {"TIPO_SEGNALE_GIRI", 16}, {"TIPO_TPS", 224}}},
      {165, {{"TIPO_SONDA_LAMBDA", 224}, {"FLAG_CONFIGURAZIONE_3", 255}}},
      {223, {{"GiriPerCambio", 255}, {"TempoDiCicchetto", 255}}},
  };
  for (const auto &[address, items] : byAddress) {
    const auto known = shared.find(address);
    if (known == shared.end()) {
      EXPECT_EQ(items.size(), 1u) << "address " << address;
      EXPECT_EQ(items.begin()->second, 255) << items.begin()->first;
      continue;
    }
    EXPECT_EQ(items, known->second) << "address " << address;
  }
  // The bit fields of 163 and 164 fill their byte without overlapping.
  for (int address : {163, 164}) {
    int covered = 0;
    for (const auto &[name, mask] : byAddress[address]) {
      EXPECT_EQ(covered & mask, 0) << name;
      covered |= mask;
    }
    EXPECT_EQ(covered, address == 163 ? 0x7F : 0xFF) << address;
  }
}

TEST(AddressMap, LiveValuesTakeOneByteOfThePacketEach) {
  std::set<int> offsets;
  for (const LiveValueRow &row : LiveValueRows()) {
    EXPECT_TRUE(offsets.insert(row.Offset).second) << row.Component;
    EXPECT_EQ(row.Mask, 255) << row.Component;
  }
  EXPECT_EQ(offsets, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(AddressMap, FileKeysAreUniqueAndOnlyTheCommandIsInItsOwnSection) {
  std::set<std::string> keys;
  int configuration = 0;
  for (const ParameterRow &row : ParameterRows()) {
    EXPECT_TRUE(keys.insert(row.FileKey).second) << row.FileKey;
    EXPECT_NE(std::string(row.FileKey), "");
    if (std::string(row.FileSection) == "CONFIGURAZIONE")
      ++configuration;
    else
      EXPECT_EQ(std::string(row.Component) + "/" + row.FileSection, "RIPROGRAMMAZIONE/COMANDI");
  }
  EXPECT_EQ(configuration, 68);
}

// Data group 1 holds exactly the six speed thresholds, so that a file sets
// the ignition type before any speed.
TEST(AddressMap, SpeedThresholdsFormDataGroupOne) {
  std::set<std::string> group1;
  for (const ParameterRow &row : ParameterRows()) {
    if (row.Flags & G1)
      group1.insert(row.Component);
    const bool speed = row.Coefficients.B == 117000;
    EXPECT_EQ(speed, (row.Flags & G1) != 0) << row.Component;
  }
  EXPECT_EQ(group1, (std::set<std::string>{"GiriPerCambio", "GiriSbananata", "GiriCutOff", "GiriFuoriGiri",
                                           "GiriSgancioCutOffFiliGialli", "GiriCutOffFiliGialli"}));
}

TEST(AddressMap, StoredTables) {
  std::vector<double> ecu, user;
  TableColumns(Table::T1, ecu, user);
  EXPECT_EQ(ecu, TemperatureRatios());
  EXPECT_EQ(user, TemperatureDegrees());

  TableColumns(Table::T2, ecu, user);
  EXPECT_EQ(ecu, (std::vector<double>{0, 1, 2, 4}));
  EXPECT_EQ(user, (std::vector<double>{0, 1, 2, 3}));
  TableColumns(Table::T3, ecu, user);
  EXPECT_EQ(ecu, (std::vector<double>{0, 32, 64}));
  EXPECT_EQ(user, (std::vector<double>{0, 1, 2}));
  TableColumns(Table::SwitchType, ecu, user);
  EXPECT_EQ(ecu, (std::vector<double>{5, 132}));
  EXPECT_EQ(user, (std::vector<double>{0, 1}));

  TableColumns(Table::SignMagnitude, ecu, user);
  ASSERT_EQ(ecu.size(), 256u);
  ASSERT_EQ(user.size(), 256u);
  for (const auto &[e, u] : std::map<int, double>{{0, 0}, {127, 127}, {128, 0}, {129, -1}, {255, -127}}) {
    EXPECT_EQ(ecu[static_cast<std::size_t>(e)], e);
    EXPECT_EQ(user[static_cast<std::size_t>(e)], u) << e;
  }

  TableColumns(Table::None, ecu, user);
  EXPECT_TRUE(ecu.empty());
  EXPECT_TRUE(user.empty());

  // Only the rows that name a table carry one.
  std::map<std::string, Table> tabled;
  for (const ParameterRow &row : ParameterRows())
    if (row.ConversionTable != Table::None)
      tabled[row.Component] = row.ConversionTable;
  for (const LiveValueRow &row : LiveValueRows())
    if (row.ConversionTable != Table::None)
      tabled[row.Component] = row.ConversionTable;
  EXPECT_EQ(tabled, (std::map<std::string, Table>{{"TEMPERATURA_PER_CAMBIO", Table::T1},
                                                  {"VAL_TEMPERATURA", Table::T1},
                                                  {"TipoSensore", Table::T2},
                                                  {"TIPO_EMULAZIONE", Table::T3},
                                                  {"TIPO_COMMUTATORE", Table::SwitchType},
                                                  {"PosizioneASondaFredda", Table::SignMagnitude}}));
}
