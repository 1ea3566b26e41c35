#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"
#include "support/FakeConnection.h"
#include "support/LocaleScope.h"
#include "support/MapIniStore.h"
#include "support/MessageRecorder.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {


class IniEntryTest : public ::testing::Test {
protected:
  void SetUp() override {
    object = &fake.Object();
    item.SetConnection(&fake.Connection);
    item.SetByAddress(true);
    item.SetAddress(216);
    item.SetTransformation(ttFormula);
    item.SetCoeffs(4, -4, 0, 1000);
    item.SetPrecision(0.1);
    item.SetValueMin(0);
    item.SetValueMax(1);
    item.SetFileSection(QStringLiteral("CONFIGURAZIONE"));
    item.SetFileKeyName(QStringLiteral("TEMPO DI SOVRAPPOSIZIONE"));
    item.SetDefaultValue(0.4);
    item.Loaded();
    item.AddObserver(&control);
  }

  FakeConnection fake;
  FakeProtocolObject *object = nullptr;
  TNoxNumber item;
  MapIniStore ini;
  MessageRecorder control;
};

TEST_F(IniEntryTest, SavesTheCachedUserValueWithAPointInEveryLocale) {
  for (auto language : {QLocale::Italian, QLocale::English, QLocale::German}) {
    LocaleScope scope(language);
    EXPECT_TRUE(item.SaveToIni(ini));
    EXPECT_EQ(ini.ReadString("configurazione", "tempo di sovrapposizione", {}), QStringLiteral("0.4"));
  }
  EXPECT_EQ(object->CountOf("Read"), 0) << "the cached value is saved, the unit is not read";
}

struct ParseCase {
  QLocale::Language locale;
  const char *text;
  bool ok;
  double value;
};

class TryParseFloatTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TryParseFloatTest, AcceptsEitherSeparatorUnderEitherLocale) {
  const auto c = GetParam();
  LocaleScope scope(c.locale);
  double value = -1;
  EXPECT_EQ(NumberConversion::TryParseFloat(QString::fromLatin1(c.text), value), c.ok) << c.text;
  if (c.ok) {
    EXPECT_DOUBLE_EQ(value, c.value) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, TryParseFloatTest,
                         ::testing::Values(ParseCase{QLocale::English, "0,4", true, 0.4},
                                           ParseCase{QLocale::English, "0.4", true, 0.4},
                                           ParseCase{QLocale::Italian, "0.4", true, 0.4},
                                           ParseCase{QLocale::Italian, "0,4", true, 0.4},
                                           ParseCase{QLocale::Italian, "-1e+07", true, -1e7},
                                           ParseCase{QLocale::English, "12000", true, 12000},
                                           ParseCase{QLocale::English, "abc", false, 0},
                                           ParseCase{QLocale::English, "", false, 0},
                                           ParseCase{QLocale::Italian, "1.2.3", false, 0}));

TEST_F(IniEntryTest, LoadWritesTheValueToTheUnit) {
  LocaleScope scope(QLocale::English);
  ini.WriteString("CONFIGURAZIONE", "TEMPO DI SOVRAPPOSIZIONE", "0,6");
  EXPECT_TRUE(item.LoadFromIni(ini));
  EXPECT_EQ(object->Memory[216], 151);
}

TEST_F(IniEntryTest, LoadRefusesMissingAndUnparsableEntries) {
  EXPECT_FALSE(item.LoadFromIni(ini));
  ini.WriteString("CONFIGURAZIONE", "TEMPO DI SOVRAPPOSIZIONE", "garbage");
  EXPECT_FALSE(item.LoadFromIni(ini));
  EXPECT_EQ(object->CountOf("Write"), 0);
}

TEST_F(IniEntryTest, FailedLoadWriteStillRedisplays) {
  ini.WriteString("CONFIGURAZIONE", "TEMPO DI SOVRAPPOSIZIONE", "0.6");
  object->FailWrites = true;
  EXPECT_FALSE(item.LoadFromIni(ini));
  EXPECT_EQ(control.Received.last(), QStringLiteral("DATA_CHANGED"));
}

TEST_F(IniEntryTest, OldReadFileModeOnlyCachesTheValue) {
  item.SetOldReadFileMode(true);
  ini.WriteString("CONFIGURAZIONE", "TEMPO DI SOVRAPPOSIZIONE", "0.6");
  EXPECT_TRUE(item.LoadFromIni(ini));
  EXPECT_EQ(item.RawValue(), 151);
  EXPECT_EQ(object->CountOf("Write"), 0);
  EXPECT_EQ(control.Received, QStringList({"DATA_CHANGED"}));
}

TEST_F(IniEntryTest, RawIntegerEntriesMustBeIntegers) {
  item.SetStoreUserValue(false);
  item.SetRawValue(101);
  EXPECT_TRUE(item.SaveToIni(ini));
  EXPECT_EQ(ini.ReadString("CONFIGURAZIONE", "TEMPO DI SOVRAPPOSIZIONE", {}), QStringLiteral("101"));
  ini.WriteString("CONFIGURAZIONE", "TEMPO DI SOVRAPPOSIZIONE", "77");
  EXPECT_TRUE(item.LoadFromIni(ini));
  EXPECT_EQ(object->Memory[216], 77);
  ini.WriteString("CONFIGURAZIONE", "TEMPO DI SOVRAPPOSIZIONE", "7.5");
  EXPECT_FALSE(item.LoadFromIni(ini));
}

TEST_F(IniEntryTest, NamesDecideWhetherThereIsAnEntry) {
  item.SetFileSection({});
  item.SetFileKeyName({});
  EXPECT_TRUE(item.SaveToIni(ini));
  EXPECT_TRUE(item.LoadFromIni(ini));
  EXPECT_EQ(ini.Count(), 0);
  item.SetFileKeyName(QStringLiteral("KEY"));
  EXPECT_FALSE(item.SaveToIni(ini)) << "a key without a section is broken";
  EXPECT_FALSE(item.LoadFromIni(ini));
}

TEST_F(IniEntryTest, SectionOverrideIsUndone) {
  EXPECT_TRUE(item.SaveToIniSection(ini, QStringLiteral("OTHER")));
  EXPECT_TRUE(ini.ValueExists("OTHER", "TEMPO DI SOVRAPPOSIZIONE"));
  EXPECT_EQ(item.FileSection(), QStringLiteral("CONFIGURAZIONE"));
  EXPECT_TRUE(item.LoadFromIniSection(ini, QStringLiteral("OTHER")));
  EXPECT_EQ(item.FileSection(), QStringLiteral("CONFIGURAZIONE"));
}

TEST(IniKeys, IndexSuffixFollowsTheType) {
  MapIniStore ini;
  TNoxNumber item;
  item.SetFileSection(QStringLiteral("S"));
  item.SetFileKeyName(QStringLiteral("MAP"));
  item.Loaded();
  item.SetRowIndex(2);
  item.SetColIndex(3);
  item.SaveToIni(ini);
  EXPECT_TRUE(ini.ValueExists("S", "MAP2_3"));
  item.SetColIndex(-1);
  item.SaveToIni(ini);
  EXPECT_TRUE(ini.ValueExists("S", "MAP2"));
}

TEST_F(IniEntryTest, FailureValuesAreSavedAsText) {
  TNoxNumber speed;
  speed.SetFileSection(QStringLiteral("CONFIGURAZIONE"));
  speed.SetFileKeyName(QStringLiteral("GIRI"));
  speed.SetTransformation(ttFormula);
  speed.SetCoeffs(0, 117000, 1, 0);
  speed.Loaded();
  speed.SetRawValue(0);
  speed.SaveToIni(ini);
  EXPECT_EQ(ini.ReadString("CONFIGURAZIONE", "GIRI", {}), QStringLiteral("-1e+07"));
}

TEST(HexLine, RoundTripsThroughTheStore) {
  FakeConnection fake;
  auto &object = fake.Object();
  MapIniStore ini;
  TNoxNumber item;
  item.SetConnection(&fake.Connection);
  item.SetByAddress(true);
  item.SetAddress(190);
  item.SetFileSection(QStringLiteral("HEX"));
  item.SetFileKeyName(QStringLiteral("K"));
  item.Loaded();
  item.SetRawValue(240);
  EXPECT_TRUE(item.SaveHexToIni(ini));
  EXPECT_EQ(ini.ReadString("HEX", "K", {}), QStringLiteral("F0 0 FF 1 1 F0"));
  EXPECT_TRUE(item.LoadHexFromIni(ini));
  EXPECT_EQ(object.Memory[190], 240);
  EXPECT_FALSE(ini.ValueExists("HEX", "K")) << "the entry is consumed";
}

TEST(HexLine, NegativeRawShowsItsBitPatternAndGarbageIsRefused) {
  MapIniStore ini;
  TNoxNumber item;
  item.SetFileSection(QStringLiteral("HEX"));
  item.SetFileKeyName(QStringLiteral("K"));
  item.SetRowIndex(4);
  item.SetColIndex(0);
  item.Loaded();
  item.SetRawValue(-1);
  item.SaveHexToIni(ini);
  EXPECT_EQ(ini.ReadString("HEX", "K", {}), QStringLiteral("F2 0 FF 1 4 FFFFFFFF"));
  ini.WriteString("HEX", "K", "F0 0 FF 1 1 XYZ");
  EXPECT_FALSE(item.LoadHexFromIni(ini));
  EXPECT_FALSE(item.LoadHexFromIni(ini)) << "consumed even when broken";
}

} // namespace
