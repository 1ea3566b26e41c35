// Engine speeds are period counts: their coefficient follows the ignition
// type, and a change of ignition type rewrites every threshold so that it
// keeps its value in RPM.
#include "ModuleFixture.h"

#include "dataitems/NumberConversion.h"

namespace {

using namespace catalogue_test;

class SpeedHandlers : public ModuleFixture {
protected:
  QList<TNoxSerialData *> MainSpeedItems() const {
    return {Module.VAL_GIRI, Module.GiriPerCambio, Module.GiriSbananata, Module.GiriCutOff,
            Module.GiriFuoriGiri};
  }
  QList<TNoxNumber *> YellowWireItems() const {
    return {Module.GiriCutOffFiliGialli, Module.GiriSgancioCutOffFiliGialli};
  }
  // A unit with ignition type 4 (B = 120000) and speeds 2000, 3600, 1500,
  // 12000 RPM; yellow-wire cut-off 3000, release 2500. `changeOver` goes to
  // bits 3-4 of byte 163.
  void PrepareSpeeds(int changeOver = 0) {
    Byte(163) = 0x44 | (changeOver << 3);
    Byte(223) = 59;
    Byte(213) = 33;
    Byte(204) = 80;
    Byte(225) = 10;
    Byte(192) = 40;
    Byte(193) = 48;
    ASSERT_TRUE(Module.TIPO_ACCENSIONE->Reload());
  }
};

TEST_F(SpeedHandlers, CoefficientFollowsTheIgnitionType) {
  const std::array<double, 8> expected{120000, 96000, 80000, 60000, 120000, 120000, 80000, 120000};
  for (int type = 0; type < 8; ++type) {
    SCOPED_TRACE(type);
    Byte(163) = 0x40 | type;
    ASSERT_TRUE(Module.TIPO_ACCENSIONE->Reload());
    for (TNoxSerialData *item : MainSpeedItems())
      EXPECT_EQ(item->CoeffB(), expected[static_cast<std::size_t>(type)]) << item->objectName().toStdString();
    // Without yellow-wire firmware those two keep the stored coefficient.
    for (TNoxNumber *item : YellowWireItems())
      EXPECT_EQ(item->CoeffB(), 117000);
  }
  EXPECT_EQ(TSerialDataModule::SpeedCoefficient(-1), 120000);
  EXPECT_EQ(TSerialDataModule::SpeedCoefficient(8), 120000);

  Module.SetYellowWireSupported(true);
  Byte(163) = 0x46;
  ASSERT_TRUE(Module.TIPO_ACCENSIONE->Reload());
  for (TNoxNumber *item : YellowWireItems())
    EXPECT_EQ(item->CoeffB(), 80000);
  // Only the coefficient changes: nothing else is read or written.
  EXPECT_EQ(Unit->CountOf(QStringLiteral("WriteAtAddress")), 0);
  EXPECT_EQ(Unit->CountOf(QStringLiteral("ReadAtAddress")), 9);
}

TEST_F(SpeedHandlers, IgnitionTypeChangeKeepsEverySpeedInRpm) {
  PrepareSpeeds();
  EXPECT_EQ(Module.GiriPerCambio->GetIntValue(), 2000);
  EXPECT_EQ(Module.GiriSbananata->GetIntValue(), 3600);
  EXPECT_EQ(Module.GiriCutOff->GetIntValue(), 1500);
  EXPECT_EQ(Module.GiriFuoriGiri->GetIntValue(), 12000);
  FakeTime.OnSleep = [this](std::uint32_t ms) { Unit->Calls << QStringLiteral("Sleep(%1)").arg(ms); };
  Unit->Calls.clear();

  ASSERT_TRUE(Module.TIPO_ACCENSIONE->SetIntValue(1)); // five cylinders: B = 96000

  EXPECT_EQ(Byte(163), 0x41);
  EXPECT_EQ(Byte(204), 64); // 96000 / 1500
  EXPECT_EQ(Byte(213), 27); // 96000 / 3600 = 26.7
  EXPECT_EQ(Byte(225), 8);  // 12000 lies above the 8000 limit: written with limits off
  EXPECT_EQ(Byte(223), 48);
  EXPECT_EQ(Module.GiriCutOff->GetIntValue(), 1500);
  EXPECT_EQ(Module.GiriSbananata->GetIntValue(), 3600);
  EXPECT_EQ(Module.GiriFuoriGiri->GetIntValue(), 12000);
  EXPECT_EQ(Module.GiriPerCambio->GetIntValue(), 2000);
  EXPECT_FALSE(Module.GiriFuoriGiri->DisableLimits());

  // The unit gets its second before the first speed is rewritten.
  const QStringList calls = Unit->CallNames();
  EXPECT_EQ(FakeTime.Sleeps, (QList<std::uint32_t>{1000}));
  EXPECT_LT(calls.indexOf(QStringLiteral("WriteAtAddress(0,163,65)")),
            calls.indexOf(QStringLiteral("Sleep(1000)")));
  EXPECT_LT(calls.indexOf(QStringLiteral("Sleep(1000)")),
            calls.indexOf(QStringLiteral("WriteAtAddress(0,213,27)")));

  // No yellow-wire firmware: those two are neither rewritten nor rescaled.
  EXPECT_EQ(WritesTo(192), 0);
  EXPECT_EQ(WritesTo(193), 0);
  for (TNoxNumber *item : YellowWireItems())
    EXPECT_EQ(item->CoeffB(), 117000);
}

TEST_F(SpeedHandlers, PrimingShotTimeIsLeftAloneWithChangeOverTypeTwo) {
  PrepareSpeeds(2);
  Byte(223) = 50; // 1 s of priming shot, not a speed
  ASSERT_TRUE(Module.TIPO_ACCENSIONE->SetIntValue(1));
  EXPECT_EQ(Byte(163), 0x51);
  EXPECT_EQ(WritesTo(223), 0);
  EXPECT_EQ(Byte(223), 50);
  EXPECT_EQ(Byte(204), 64);
}

TEST_F(SpeedHandlers, YellowWireSpeedsAreRewrittenWithTheirFirmware) {
  Module.SetYellowWireSupported(true);
  PrepareSpeeds();
  EXPECT_EQ(Module.GiriCutOffFiliGialli->GetIntValue(), 3000);
  EXPECT_EQ(Module.GiriSgancioCutOffFiliGialli->GetIntValue(), 2500);

  ASSERT_TRUE(Module.TIPO_ACCENSIONE->SetIntValue(1));

  EXPECT_EQ(Byte(192), 32); // 96000 / 3000
  EXPECT_EQ(Byte(193), 38); // 96000 / 2500 = 38.4
  for (TNoxNumber *item : YellowWireItems()) {
    EXPECT_EQ(item->CoeffB(), 96000);
    EXPECT_FALSE(item->DisableLimits());
  }
}

// A byte of 0 is no speed at all; rewriting its failure value would store
// the item's minimum (or 0) in its place.
TEST_F(SpeedHandlers, SpeedWithoutValueIsNotRewritten) {
  PrepareSpeeds();
  Byte(204) = 0;
  EXPECT_TRUE(NumberConversion::IsFailureValue(Module.GiriCutOff->GetValue()));
  ASSERT_TRUE(Module.TIPO_ACCENSIONE->SetIntValue(1));
  EXPECT_EQ(WritesTo(204), 0);
  EXPECT_EQ(Byte(213), 27);
}

TEST_F(SpeedHandlers, ReleaseSpeedStaysBelowTheYellowWireCutOff) {
  Byte(192) = 39; // 3000 RPM with the stored 117000
  Byte(193) = 33; // 3545, shown as 3500
  EXPECT_EQ(Module.GiriSgancioCutOffFiliGialli->GetIntValue(), 3500);

  ASSERT_TRUE(Module.GiriCutOffFiliGialli->SetIntValue(3000));

  EXPECT_EQ(Byte(192), 39);
  EXPECT_EQ(Module.GiriSgancioCutOffFiliGialli->ValueMax(), 3000);
  EXPECT_EQ(Byte(193), 40); // 2900 RPM
  EXPECT_EQ(Module.GiriSgancioCutOffFiliGialli->GetIntValue(), 2900);

  // A release speed already below the cut-off is only bounded.
  Unit->Calls.clear();
  ASSERT_TRUE(Module.GiriCutOffFiliGialli->SetIntValue(4000));
  EXPECT_EQ(Module.GiriSgancioCutOffFiliGialli->ValueMax(), 4000);
  EXPECT_EQ(WritesTo(193), 0);
}

TEST_F(SpeedHandlers, EngineSpeedByte255MeansStanding) {
  Module.SetSpeedCoefficient(0);
  TNoxPacketData *speed = Module.VAL_GIRI;

  Deliver(speed, 255);
  EXPECT_EQ(speed->Transformation(), ttNone);
  EXPECT_EQ(speed->GetValue(), 0);

  Deliver(speed, 254);
  EXPECT_EQ(speed->Transformation(), ttFormula);
  EXPECT_EQ(speed->GetValue(), 470); // 472.4 to the nearest 10

  Deliver(speed, 100);
  EXPECT_EQ(speed->GetValue(), 1200);
}

} // namespace
