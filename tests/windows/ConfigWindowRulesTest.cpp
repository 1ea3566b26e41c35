// Rules of the vehicle configuration window on the recording fake unit: the
// wave defaults of the emulation type and the switch-type mapping.
#include "windows/ConfigWindowRules.h"
#include "ecuconfig/ModuleFixture.h"

#include "support/LocaleScope.h"

namespace {

using catalogue_test::ModuleFixture;

class ConfigRules : public ModuleFixture {};

TEST_F(ConfigRules, OpenCircuitOnAConnectedUnitWritesTheFiveWaveDefaultsInOrder) {
  Unit->Calls.clear();
  EXPECT_TRUE(ConfigWindowRules::EmulationTypeChanged(Module, 2));
  // High, low, wave repetitions, disconnected ticks, disconnected blocks.
  QStringList addresses;
  for (const QString &call : Unit->CallNames())
    if (call.startsWith(QStringLiteral("WriteAtAddress")))
      addresses << call.section(QLatin1Char(','), 1, 1);
  EXPECT_EQ(addresses, (QStringList{"169", "170", "172", "171", "173"}));
  EXPECT_EQ(Byte(169), Module.NUMERO_VOLTE_ALTO->ConvertToEcu(Module.NUMERO_VOLTE_ALTO->DefaultValue()));
  EXPECT_EQ(Byte(172), 1);
  EXPECT_EQ(Byte(171), 0);
  EXPECT_EQ(Byte(173), 0);
}

TEST_F(ConfigRules, OtherTypesOrNoConnectionWriteNothingAndDisableTheButton) {
  Unit->Calls.clear();
  EXPECT_FALSE(ConfigWindowRules::EmulationTypeChanged(Module, 0));
  EXPECT_FALSE(ConfigWindowRules::EmulationTypeChanged(Module, 1));
  Unit->Connected = false;
  EXPECT_FALSE(ConfigWindowRules::EmulationTypeChanged(Module, 2));
  Module.NoxConnection->FreeProtocolLibrary();
  EXPECT_FALSE(ConfigWindowRules::EmulationTypeChanged(Module, 2));
  EXPECT_EQ(Library->Object, nullptr);
  EXPECT_FALSE(ConfigWindowRules::UnitConnected(Module));
}

TEST(SwitchType, BitsSelectTheChoiceAndADisconnectedUnitShowsTheIndicator) {
  struct {
    int Value, Current;
    bool Loaded, Connected;
    int Index;
  } const cases[] = {
      {5, -1, true, true, 0},          {132, -1, true, true, 1}, {0x85, -1, true, true, 0},
      {0x84 | 0x40, 0, true, true, 1}, {7, -1, true, true, -1},  {0, -1, false, false, -1},
      {7, -1, true, false, 1},         {7, 0, false, false, 0},  {5, -1, true, false, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Value);
    EXPECT_EQ(ConfigWindowRules::SwitchTypeIndex(c.Value, c.Current, c.Loaded, c.Connected), c.Index);
  }
  EXPECT_EQ(ConfigWindowRules::SwitchTypeValue(0), 5);
  EXPECT_EQ(ConfigWindowRules::SwitchTypeValue(1), 132);
  EXPECT_EQ(ConfigWindowRules::SwitchTypeValue(-1), 0);
}

TEST_F(ConfigRules, LimitsHintShowsLimitsAndUnitInTheLocalesForm) {
  EXPECT_EQ(ConfigWindowRules::LimitsHint(*Module.GiriPerCambio), QStringLiteral("(1000;6000 RPM)"));
  EXPECT_EQ(ConfigWindowRules::LimitsHint(*Module.NUMERO_RIPETIZIONI_ONDA), QStringLiteral("(0;255)"))
      << "a count: no seconds, no blank";
  TNoxNumber &item = *Module.GiriCutOff;
  item.SetValueMin(0);
  item.SetValueMax(5000);
  item.SetMeasureUnit(QStringLiteral("rpm"));
  EXPECT_EQ(ConfigWindowRules::LimitsHint(item), QStringLiteral("(0;5000 rpm)"));
  const LocaleScope italian(QLocale::Italian);
  item.SetValueMin(2.5);
  EXPECT_EQ(ConfigWindowRules::LimitsHint(item), QStringLiteral("(2,5;5000 rpm)"));
}

} // namespace
