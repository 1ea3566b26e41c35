// Parameters that share a byte, depend on one another or drive the vehicle
// configuration window, checked against a scripted unit.
#include "ModuleFixture.h"
#include "RecordingView.h"

namespace {

using namespace catalogue_test;

class ParameterHandlers : public ModuleFixture {};

// ---------------------------------------------------------------- shared bytes

struct SharedByteCase {
  const char *Name;
  TNoxNumber *TSerialDataModule::*Item;
  int Address;
  int Before;
  double Value;
  int After;
};

class SharedBytes : public ModuleFixture, public ::testing::WithParamInterface<SharedByteCase> {};

// A write replaces only the item's own bits of a byte it shares.
TEST_P(SharedBytes, WriteKeepsTheOtherItemsBits) {
  const SharedByteCase &c = GetParam();
  Byte(c.Address) = c.Before;
  ASSERT_TRUE((Module.*c.Item)->SetValue(c.Value));
  EXPECT_EQ(Byte(c.Address), c.After);
  EXPECT_EQ((Module.*c.Item)->GetValue(), c.Value);
}

using M = TSerialDataModule;
INSTANTIATE_TEST_SUITE_P(
    AddressMap, SharedBytes,
    ::testing::Values(SharedByteCase{"ChangeOver", &M::TIPO_CAMBIO, 163, 0x44, 1, 0x4C},
                      SharedByteCase{"Emulation", &M::TIPO_EMULAZIONE, 163, 0x44, 1, 0x24},
                      SharedByteCase{"Ignition", &M::TIPO_ACCENSIONE, 163, 0x6C, 6, 0x6E},
                      SharedByteCase{"LevelSensor", &M::TipoSensore, 164, 0xF8, 3, 0xFC},
                      SharedByteCase{"Economy", &M::FLAG_CONFIGURAZIONE_2, 164, 0xF7, 8, 0xFF},
                      SharedByteCase{"RpmSignal", &M::TIPO_SEGNALE_GIRI, 164, 0x0F, 1, 0x1F},
                      SharedByteCase{"ThrottleSensor", &M::TIPO_TPS, 164, 0x1F, 5, 0xBF},
                      SharedByteCase{"Probe", &M::TIPO_SONDA_LAMBDA, 165, 0x1F, 3, 0x7F}),
    [](const ::testing::TestParamInfo<SharedByteCase> &p) { return std::string(p.param.Name); });

TEST_F(ParameterHandlers, ChangeOverSpeedAndPrimingShotReadTheSameByte) {
  Byte(223) = 50;
  Module.SetSpeedCoefficient(0);
  EXPECT_EQ(Module.GiriPerCambio->GetIntValue(), 2400);
  EXPECT_DOUBLE_EQ(Module.TempoDiCicchetto->GetValue(), 1.0);
}

TEST_F(ParameterHandlers, ProbeTypeWriteRereadsTheThirdFlagByte) {
  Byte(165) = 0x00;
  EXPECT_EQ(Module.FLAG_CONFIGURAZIONE_3->GetIntValue(), 16);
  ASSERT_TRUE(Module.TIPO_SONDA_LAMBDA->SetIntValue(7));
  EXPECT_EQ(Byte(165), 0xE0);
  EXPECT_TRUE(Module.FLAG_CONFIGURAZIONE_3->DataValid());
  const int reads = Unit->CountOf(QStringLiteral("ReadAtAddress(0,165)"));
  EXPECT_EQ(Module.FLAG_CONFIGURAZIONE_3->GetIntValue(), 240); // probe bits unchanged, bit 4 inverted
  EXPECT_EQ(Unit->CountOf(QStringLiteral("ReadAtAddress(0,165)")), reads); // the handler already read it
}

// -------------------------------------------------------------- temperature

TEST_F(ParameterHandlers, TemperatureTable) {
  // Byte e gives the resistance ratio e / (255 - e); a higher ratio is colder.
  for (const auto &[byte, degrees] : std::vector<std::pair<int, double>>{{128, 25}, {195, 0}, {64, 52}}) {
    SCOPED_TRACE(byte);
    Byte(224) = byte;
    ASSERT_TRUE(Module.TEMPERATURA_PER_CAMBIO->Reload());
    EXPECT_EQ(Module.TEMPERATURA_PER_CAMBIO->GetValue(), degrees);
    Deliver(Module.VAL_TEMPERATURA, static_cast<std::uint8_t>(byte));
    EXPECT_EQ(Module.VAL_TEMPERATURA->GetValue(), degrees);
  }
  ASSERT_TRUE(Module.TEMPERATURA_PER_CAMBIO->SetValue(25));
  EXPECT_EQ(Byte(224), 128);
  ASSERT_TRUE(Module.TEMPERATURA_PER_CAMBIO->SetValue(90)); // above 40: clamped
  EXPECT_EQ(Module.TEMPERATURA_PER_CAMBIO->GetValue(), 40);
}

// ----------------------------------------------------------------- throttle

TEST_F(ParameterHandlers, ThrottleCoefficientsFollowTheSensorType) {
  for (int type = 0; type <= 5; ++type) {
    SCOPED_TRACE(type);
    const bool falling = type == 1 || type == 3;
    Byte(164) = type << 5;
    Byte(166) = 51;
    Byte(197) = 51;
    Unit->Calls.clear();
    ASSERT_TRUE(Module.TIPO_TPS->Reload());

    EXPECT_DOUBLE_EQ(Module.TPS_PER_AFFONDATA->GetValue(), falling ? 4.0 : 1.0);
    EXPECT_DOUBLE_EQ(Module.NoxNumberTPSRif2->GetValue(), 1.0); // a fixed reference
    for (TNoxSerialData *item : {static_cast<TNoxSerialData *>(Module.VALORE_MINIMO_TPS),
                                 static_cast<TNoxSerialData *>(Module.TPSSbananata),
                                 static_cast<TNoxSerialData *>(Module.TPSFasciaApprendimento)}) {
      EXPECT_EQ(item->CoeffA(), falling ? -5 : 5);
      EXPECT_EQ(item->CoeffB(), falling ? 1275 : 0);
    }
    for (TNoxSerialData *item : {static_cast<TNoxSerialData *>(Module.VALOR_TPS),
                                 static_cast<TNoxSerialData *>(Module.ISTERESI_MINIMO_TPS),
                                 static_cast<TNoxSerialData *>(Module.ValoreMinimoTPS)})
      EXPECT_EQ(item->CoeffA(), 5);
    // The three references are read again, in this order.
    const QStringList calls = Unit->CallNames();
    const auto at = [&](int address) {
      return calls.indexOf(QStringLiteral("ReadAtAddress(0,%1)").arg(address));
    };
    EXPECT_GE(at(166), 0);
    EXPECT_LT(at(166), at(215));
    EXPECT_LT(at(215), at(196));
  }
  // A write of the type switches them too.
  ASSERT_TRUE(Module.TIPO_TPS->SetIntValue(3));
  EXPECT_DOUBLE_EQ(Module.TPS_PER_AFFONDATA->GetValue(), 4.0);
}

// ----------------------------------------------------------------- actuator

TEST_F(ParameterHandlers, ActuatorOpeningsBoundThePositions) {
  Byte(207) = 240;
  Byte(208) = 20;
  Byte(206) = 200;
  Byte(168) = 100;
  Byte(167) = 100;

  // A read has nothing to settle: the wait belongs to a write.
  Module.MASSIMA_APERTURA_ATTUATORE->MarkUnread();
  EXPECT_EQ(Module.MASSIMA_APERTURA_ATTUATORE->GetIntValue(), 240);
  EXPECT_FALSE(FakeTime.Sleeps.contains(100));

  ASSERT_TRUE(Module.MASSIMA_APERTURA_ATTUATORE->SetIntValue(150));
  EXPECT_EQ(Byte(207), 150);
  EXPECT_EQ(Byte(206), 150); // the cut-off position followed the maximum
  EXPECT_EQ(Module.MINIMA_APERTURA_ATTUATORE->ValueMax(), 150);
  EXPECT_EQ(Module.POSIZIONE_IN_CUTOFF->ValueMax(), 150);
  EXPECT_EQ(Module.POSIZIONE_DEFAULT->ValueMax(), 150);
  EXPECT_EQ(Module.POSIZIONE_DEFAULT->ValueMin(), 20);
  EXPECT_EQ(FakeTime.Sleeps.count(100), 1) << "one wait for the one write, none for the handler's reads";

  Unit->Calls.clear();
  ASSERT_TRUE(Module.MINIMA_APERTURA_ATTUATORE->SetIntValue(60));
  EXPECT_EQ(Module.MASSIMA_APERTURA_ATTUATORE->ValueMin(), 60);
  EXPECT_EQ(Module.POSIZIONE_DEFAULT->ValueMin(), 60);
  EXPECT_EQ(Module.POSIZIONE_IN_AFFONDATA->ValueMin(), 60);
  EXPECT_EQ(WritesTo(206), 0); // 150 is within the maximum
  EXPECT_GE(Unit->CountOf(QStringLiteral("ReadAtAddress(0,168)")), 1);

  // The minimum cannot be raised above the maximum any more.
  ASSERT_TRUE(Module.MINIMA_APERTURA_ATTUATORE->SetIntValue(200));
  EXPECT_EQ(Byte(208), 150);
}

TEST_F(ParameterHandlers, IdleOffsetsRunTheActuatorHandlerToo) {
  Byte(207) = 120;
  Byte(208) = 30;
  Byte(206) = 130;
  for (TNoxNumber *item :
       {Module.MinimaAperturaAlMinimo, Module.FrazDefEntroMinimo, Module.FrazDefEscoMinimo}) {
    SCOPED_TRACE(item->objectName().toStdString());
    Byte(206) = 130;
    Module.POSIZIONE_IN_CUTOFF->Reload();
    Module.POSIZIONE_IN_CUTOFF->SetValueMax(240);
    ASSERT_TRUE(item->Reload());
    EXPECT_EQ(Module.POSIZIONE_IN_CUTOFF->ValueMax(), 120);
    EXPECT_EQ(Byte(206), 120);
  }
}

// ---------------------------------------------------------- configuration window

TEST_F(ParameterHandlers, FlagWriteUpdatesOptionFieldsAndDefaultPosition) {
  Byte(162) = 32;
  {
    RecordingView view;
    Unit->Calls.clear();
    ASSERT_TRUE(Module.FLAG_GONFIGURAZIONE->SetIntValue(32 | 4));
    EXPECT_EQ(view.Calls, QStringList{QStringLiteral("ShowOptionFieldsOfFlags")});
    const QStringList calls = Unit->CallNames();
    EXPECT_LT(calls.indexOf(QStringLiteral("WriteAtAddress(0,162,36)")),
              calls.indexOf(QStringLiteral("ReadAtAddress(0,168)")));
  }
  // Without the window the default position is still read again.
  Unit->Calls.clear();
  ASSERT_TRUE(Module.FLAG_GONFIGURAZIONE->SetIntValue(32));
  EXPECT_EQ(Unit->CountOf(QStringLiteral("ReadAtAddress(0,168)")), 1);
}

TEST_F(ParameterHandlers, SwitchTypeReadSyncsTheWindow) {
  Byte(226) = 132;
  ASSERT_TRUE(Module.TIPO_COMMUTATORE->Reload()); // no window: nothing to do
  RecordingView view;
  ASSERT_TRUE(Module.TIPO_COMMUTATORE->Reload());
  EXPECT_EQ(view.Calls, QStringList{QStringLiteral("SyncCommutatore")});
}

TEST_F(ParameterHandlers, DefaultAcquiredFlagColoursTheLabel) {
  ASSERT_TRUE(Module.FlagAcquisitodefault->Reload()); // no window: nothing to do
  RecordingView view;
  const QStringList acquired{QStringLiteral("LabelColor ff0000"), QStringLiteral("Timer off")};
  const QStringList waiting{QStringLiteral("LabelColor 0000ff"), QStringLiteral("Timer on")};
  for (const auto &[byte, expected] : std::vector<std::pair<int, QStringList>>{
           {0, waiting}, {8, acquired}, {0xF7, waiting}, {0xFF, acquired}}) {
    SCOPED_TRACE(byte);
    view.Calls.clear();
    Byte(122) = byte;
    ASSERT_TRUE(Module.FlagAcquisitodefault->Reload());
    EXPECT_EQ(view.Calls, expected);
  }
}

TEST_F(ParameterHandlers, BandLampsFollowTheLiveBands) {
  Deliver(Module.FASCIA_TPS, 2); // no window: nothing to do
  RecordingView view;
  for (int band = 0; band <= 4; ++band) {
    SCOPED_TRACE(band);
    view.Calls.clear();
    Deliver(Module.FASCIA_TPS, static_cast<std::uint8_t>(band));
    QStringList expected;
    if (band <= 3) {
      for (int lamp = 0; lamp <= 3; ++lamp)
        if (lamp != band)
          expected << QStringLiteral("TpsBand %1=0").arg(lamp);
      expected << QStringLiteral("TpsBand %1=100").arg(band);
    }
    EXPECT_EQ(view.Calls, expected);
  }
  for (int band = 0; band <= 3; ++band) {
    SCOPED_TRACE(band);
    view.Calls.clear();
    Deliver(Module.FASCIA_LAMBDA, static_cast<std::uint8_t>(band));
    QStringList expected;
    if (band <= 2) {
      for (int lamp = 0; lamp <= 2; ++lamp)
        if (lamp != band)
          expected << QStringLiteral("LambdaBand %1=0").arg(lamp);
      expected << QStringLiteral("LambdaBand %1=100").arg(band);
    }
    EXPECT_EQ(view.Calls, expected);
  }
}

} // namespace
