// The simulated unit and the catalogue agree: a factory-fresh unit holds the
// default of every parameter.
#include "ModuleFixture.h"

#include "ecuconfig/ParameterCatalogue.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>

namespace {

using namespace catalogue_test;

// Points the simulated unit at a configuration for the test's lifetime.
class SimulatedUnitConfig {
public:
  SimulatedUnitConfig() {
    const QString path = m_dir.filePath(QStringLiteral("simecu.ini"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
      // The default position is never acquired within the test, so the
      // status flags keep their factory value.
      QTextStream(&file) << "latency_ms = 0\ndefault_acquired_after_ms = 3600000\n";
    }
    m_previous = qgetenv("NOX_SIMECU_CONFIG");
    qputenv("NOX_SIMECU_CONFIG", path.toLocal8Bit());
  }
  ~SimulatedUnitConfig() {
    if (m_previous.isEmpty())
      qunsetenv("NOX_SIMECU_CONFIG");
    else
      qputenv("NOX_SIMECU_CONFIG", m_previous);
  }
  SimulatedUnitConfig(const SimulatedUnitConfig &) = delete;
  SimulatedUnitConfig &operator=(const SimulatedUnitConfig &) = delete;

private:
  QTemporaryDir m_dir;
  QByteArray m_previous;
};

TEST(SimulatedUnit, FactoryFreshUnitHoldsEveryDefault) {
  RecordingUserInterface ui;
  FakeClock clock; // the actuator handler's pauses cost nothing
  SimulatedUnitConfig config;
  TSerialDataModule module;
  ASSERT_TRUE(module.NoxConnection->LoadProtocolLibrary()) << "libProtoNOX.so beside the test binary";
  NoxProtocolObject *unit = module.NoxConnection->ProtocolObject();
  NoxIdentification id{};
  ASSERT_TRUE(unit->ReadIdentification(&id));
  ASSERT_TRUE(unit->Connect());
  // The simulated firmware has the yellow-wire cut-off (variant 26), as a
  // connect would note; its two speeds then follow the ignition type too.
  EXPECT_EQ(id.Bytes[2], 26);
  module.SetYellowWireSupported(true);

  // What the vehicle configuration window does to two defaults when it is
  // created: the factory image carries those.
  module.TipoSensore->SetDefaultValue(1);
  module.TIPO_COMMUTATORE->SetDefaultValue(132);

  // Every address must answer: a wrong one reads "not defined" and would
  // still show the cached default.
  QStringList failedReads;
  for (TNoxSerialData *item : module.DataItems())
    item->OnError = [&failedReads](TNoxSerialData *sender, int, bool) {
      failedReads << sender->objectName();
    };

  // Read everything in component order, as the connect sequence does; the
  // ignition type comes first and sets the speed coefficient (type 4: 120000).
  for (TNoxSerialData *item : module.DataItems())
    item->Reload();
  EXPECT_EQ(module.GiriCutOff->CoeffB(), 120000);

  for (const ParameterCatalogue::ParameterRow &row : ParameterCatalogue::ParameterRows()) {
    SCOPED_TRACE(row.Component);
    TNoxNumber *item = module.*row.Member;
    EXPECT_TRUE(item->DataValid());
    if (item == module.TempoDiCicchetto) {
      // Shares byte 223 with the change-over speed; with change-over type 0
      // the unit holds the speed there (59: 2000 RPM), which reads 1.18 s.
      EXPECT_EQ(item->RawValue(), module.GiriPerCambio->RawValue());
      continue;
    }
    // The factory bytes of the speeds were computed with the stored 117000
    // and are read with 120000: they still show the default after rounding
    // to their precision (e.g. 120000 / 33 = 3636 -> 3600). The over-rev
    // threshold's byte is that of 12000, above its 8000 maximum: reading
    // does not clamp, so it also shows 12000 (a connect then normalises it).
    EXPECT_NEAR(item->GetValue(), item->DefaultValue(), std::max(row.Precision, 1e-9));
  }
  // The command value has no address; the unit answers "not defined".
  EXPECT_EQ(failedReads, QStringList{QStringLiteral("RIPROGRAMMAZIONE")});
  EXPECT_EQ(module.RIPROGRAMMAZIONE->RawValue(), 240);
  EXPECT_TRUE(ui.Messages.isEmpty());

  // The live values came from the same unit: an idling engine near 850 RPM.
  EXPECT_NEAR(module.VAL_GIRI->GetValue(), 850, 60);
  EXPECT_GE(module.VAL_TEMPERATURA->GetValue(), 10);
  EXPECT_LE(module.VAL_TEMPERATURA->GetValue(), 90);
}

} // namespace
