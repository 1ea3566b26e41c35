#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/ConnectSequence.h"
#include "ecuconfig/TSerialDataModule.h"
#include "support/CaseName.h"
#include "support/FakeClock.h"
#include "support/FakeProtocolObject.h"
#include "support/RecordingUserInterface.h"
#include "support/WaitFor.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A data module whose connection hands out scripted fake protocol objects.
class ConnectSequenceTest : public ::testing::Test {
protected:
  ConnectSequenceTest() {
    module.NoxConnection->SetLibraryLoader(std::make_unique<FakeProtocolLibrary>(state));
    state->Prepare = [this](FakeProtocolObject &object) {
      object.Connected = false;
      object.Memory[163] = 0x44; // ignition type 4: B = 120000
      object.Memory[225] = 15;   // over-rev 8000
      object.Identification = identification;
      object.ConnectOk = connectOk;
      object.IdentificationOk = identificationOk;
    };
  }
  FakeProtocolObject &Object() { return *state->Object; }

  // Runs the refresh thread until it has just begun a turn of the given
  // length: any cycle run after the change is followed by the long sleep.
  void StartLongTurn(int milliseconds) {
    TDataRefresher *refresher = module.DataRefresher;
    refresher->SetSleepTime(20);
    refresher->SetRunning(true);
    std::uint64_t before = refresher->CycleCount();
    ASSERT_TRUE(WaitFor([&] { return refresher->CycleCount() > before; })) << "the thread is cycling";
    refresher->SetSleepTime(milliseconds);
    before = refresher->CycleCount();
    ASSERT_TRUE(WaitFor([&] { return refresher->CycleCount() > before; }));
  }

  RecordingUserInterface ui;
  std::shared_ptr<FakeProtocolLibrary::State> state = std::make_shared<FakeProtocolLibrary::State>();
  TSerialDataModule module;
  NoxIdentification identification{{1, 36, 26, 0, 0, 0, 0, 0}};
  bool connectOk = true;
  bool identificationOk = true;
};

TEST_F(ConnectSequenceTest, SetsTheObjectUpInOrderThenConnectsAndReadsEverything) {
  EXPECT_EQ(module.ConnectAndReadAll(4, 0), ConnectSequence::CONNECTED);
  const QStringList calls = Object().CallNames();
  const QStringList setup = {"SetOptionA(0)", "SetOptionB(4)",       "SelectModeA()", "SetOptionC(0)",
                             "SetOptionD(1000)", "SetNotifyWindow()", "ReadIdentification()", "Connect()"};
  EXPECT_EQ(calls.mid(0, setup.size()), setup);
  EXPECT_EQ(Object().Notify.context, module.NotifyHandle()->context) << "the library reports to the module's relay";
  EXPECT_EQ(Object().CountOf("ReadPacket"), 1) << "one status packet serves the nine live values";
  QStringList addressReads = calls.filter(QStringLiteral("ReadAtAddress"));
  EXPECT_EQ(addressReads.removeDuplicates(), 0) << "no address is read twice";
  EXPECT_EQ(addressReads.size(), 61) << "every address of the 68 parameters";
  EXPECT_TRUE(module.YellowWireSupported());
  EXPECT_EQ(module.FirmwareStatusText(), QString());
  EXPECT_FALSE(module.DataRefresher->IsRunning()) << "left suspended unless asked";
  for (TNoxSerialData *item : module.DataItems()) {
    if (auto *live = qobject_cast<TNoxPacketData *>(item)) {
      EXPECT_TRUE(live->Active()) << live->objectName().toStdString();
    }
  }
  EXPECT_EQ(ui.Events.first(), QStringLiteral("Busy"));
  EXPECT_EQ(ui.Events.mid(ui.Events.size() - 2), QStringList({"EndWait", "Idle"}));
  EXPECT_EQ(ui.Waits.value(0).CaptionTextId, 19);
  EXPECT_EQ(ui.Waits.value(0).LabelTextId, 20);
}

TEST_F(ConnectSequenceTest, ModeBAndKeepRefreshingOptions) {
  EXPECT_EQ(module.ConnectAndReadAll(7, ConnectSequence::OPTION_SELECT_MODE_B | ConnectSequence::OPTION_KEEP_REFRESHING),
            0);
  EXPECT_TRUE(Object().CallNames().contains(QStringLiteral("SelectModeB()")));
  EXPECT_FALSE(Object().CallNames().contains(QStringLiteral("SelectModeA()")));
  EXPECT_TRUE(Object().CallNames().contains(QStringLiteral("SetOptionB(7)")));
  EXPECT_TRUE(module.DataRefresher->IsRunning());
  module.DataRefresher->SetRunning(false);
}

TEST_F(ConnectSequenceTest, AlreadyConnectedDoesNothing) {
  ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  Object().Calls.clear();
  ui.Events.clear();
  EXPECT_EQ(module.ConnectAndReadAll(4, 0), ConnectSequence::ALREADY_CONNECTED);
  EXPECT_EQ(Object().CallNames(), QStringList({"IsConnected()"}));
  EXPECT_TRUE(ui.Events.isEmpty()) << "no wait window, no cursor";
}

TEST_F(ConnectSequenceTest, ProgressRunsOverAllComponentsAndNeverShowsHundred) {
  ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  QList<int> expected;
  for (int i = 0; i < 81; ++i)
    expected << i * 100 / 81;
  EXPECT_EQ(ui.Positions, expected);
  EXPECT_EQ(expected.mid(0, 6), QList<int>({0, 1, 2, 3, 4, 6}));
  EXPECT_EQ(expected.last(), 98);
}

struct IdentificationCase {
  const char *name;
  NoxIdentification record;
  bool connectOk;
  int result;
  bool connectCalled;
  bool yellowWire;
  const char *firmwareText; // null: left as it was
};

class IdentificationTest : public ConnectSequenceTest, public ::testing::WithParamInterface<IdentificationCase> {};

TEST_P(IdentificationTest, AcceptsOnlySupportedUnits) {
  const auto c = GetParam();
  identification = c.record;
  connectOk = c.connectOk;
  module.SetFirmwareStatusText(QStringLiteral("before"));
  EXPECT_EQ(module.ConnectAndReadAll(4, 0), c.result) << c.name;
  const auto &calls = state->Object ? state->Object->CallNames() : QStringList();
  EXPECT_EQ(module.YellowWireSupported(), c.yellowWire) << c.name;
  EXPECT_EQ(module.FirmwareStatusText(), c.firmwareText ? QString::fromLatin1(c.firmwareText) : QStringLiteral("before"))
      << c.name;
  const bool connected = c.result == 0 && c.connectOk;
  EXPECT_EQ(module.NoxConnection->Loaded(), connected) << "a failed connect unloads the library";
  EXPECT_EQ(state->Loads, 1);
  if (connected) {
    EXPECT_TRUE(calls.contains(QStringLiteral("Connect()")));
  } else {
    EXPECT_EQ(state->Destroys, 1);
  }
  EXPECT_FALSE(ui.Waiting) << "the wait window is gone on every path";
  EXPECT_EQ(ui.Events.last(), QStringLiteral("Idle"));
}

INSTANTIATE_TEST_SUITE_P(
    Records, IdentificationTest,
    ::testing::Values(
        IdentificationCase{"unknown kind", {{3, 36, 26, 0, 0, 0, 0, 0}}, true, -2, false, false, nullptr},
        IdentificationCase{"boot loader", {{1, 3, 0, 0, 36, 26, 0, 0}}, true, 0, true, true, "FW = Bootloader"},
        IdentificationCase{"normal yellow wire", {{1, 36, 26, 0, 0, 0, 0, 0}}, true, 0, true, true, ""},
        IdentificationCase{"unknown variant", {{1, 36, 2, 0, 0, 0, 0, 0}}, true, -2, false, false, ""},
        IdentificationCase{"variant 1", {{2, 36, 1, 0, 0, 0, 0, 0}}, true, 0, true, false, ""},
        IdentificationCase{"variant 126", {{254, 36, 126, 0, 0, 0, 0, 0}}, true, 0, true, false, ""},
        IdentificationCase{"connect refused", {{5, 36, 26, 0, 0, 0, 0, 0}}, false, 0, true, false, ""}),
    CaseName<IdentificationCase>);

TEST_F(ConnectSequenceTest, NoAnswerUnloadsAndReportsMinusOne) {
  identificationOk = false;
  EXPECT_EQ(module.ConnectAndReadAll(4, 0), ConnectSequence::NO_ANSWER);
  EXPECT_FALSE(module.NoxConnection->Loaded());
  EXPECT_EQ(state->Creates, 1);
  EXPECT_EQ(state->Destroys, 1);
}

struct OverRevCase {
  int byte;
  int expectedByte;
};

class OverRevTest : public ConnectSequenceTest, public ::testing::WithParamInterface<OverRevCase> {};

TEST_P(OverRevTest, ThresholdsAboveTheMaximumBecomeTwentyThousand) {
  const auto c = GetParam();
  state->Prepare = [c, previous = state->Prepare](FakeProtocolObject &object) {
    previous(object);
    object.Memory[225] = c.byte;
  };
  ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  EXPECT_EQ(Object().Memory[225], c.expectedByte);
  EXPECT_FALSE(module.GiriFuoriGiri->DisableLimits());
}

// With B = 120000: byte 10 is 12000 RPM, 15 is 8000, 6 is 20000.
INSTANTIATE_TEST_SUITE_P(Bytes, OverRevTest,
                         ::testing::Values(OverRevCase{10, 6}, OverRevCase{15, 15}, OverRevCase{6, 6}));

TEST_F(ConnectSequenceTest, CloseConnectionDisconnectsUnloadsAndSetsTheRefresher) {
  ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  QStringList calls;
  Object().OnCall = [&](const QString &) { calls = Object().CallNames(); };
  module.CloseConnection(false);
  EXPECT_TRUE(calls.contains(QStringLiteral("Disconnect()")));
  EXPECT_FALSE(module.NoxConnection->Loaded());
}

TEST_F(ConnectSequenceTest, BulkOperationsLeaveLimitsOn) {
  module.LoadAllDefaults();
  module.ClearLiveValues();
  for (TNoxSerialData *item : module.DataItems())
    EXPECT_FALSE(item->DisableLimits()) << item->objectName().toStdString();
  for (TNoxSerialData *item : module.DataItems()) {
    if (auto *live = qobject_cast<TNoxPacketData *>(item)) {
      EXPECT_EQ(live->RawValue(), 0);
    }
  }
  EXPECT_EQ(module.VAL_GIRI->Transformation(), ttFormula) << "the conversion is put back";
}

TEST_F(ConnectSequenceTest, SuspendRefresherWaitsForATurnToEnd) {
  ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  StartLongTurn(1000);
  QElapsedTimer timer;
  timer.start();
  EXPECT_TRUE(module.SuspendRefresher()) << "a thread in a one-second sleep stops in time";
  EXPECT_TRUE(ui.Messages.isEmpty());
  EXPECT_LE(timer.elapsed(), 2000);
  EXPECT_GE(timer.elapsed(), 500) << "it waited for the turn in progress";
}

TEST_F(ConnectSequenceTest, SuspendRefresherGivesUpAfterTwoSeconds) {
  ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  StartLongTurn(3600 * 1000);
  QElapsedTimer timer;
  timer.start();
  EXPECT_FALSE(module.SuspendRefresher());
  EXPECT_GE(timer.elapsed(), 2000);
  ASSERT_EQ(ui.Messages.size(), 1);
  EXPECT_EQ(ui.Messages[0].Text, QStringLiteral("Error: it's impossible to suspend the thread (33)"));
  EXPECT_EQ(ui.Messages[0].Title, QStringLiteral("Comunication Error"));
}

TEST_F(ConnectSequenceTest, LoadAllDefaultsCachesEveryDefaultWithoutWriting) {
  ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0); // the caches hold the unit's bytes
  Object().Calls.clear();
  module.LoadAllDefaults();
  EXPECT_EQ(Object().CountOf("Write"), 0);
  for (TNoxSerialData *item : module.DataItems()) {
    if (auto *number = qobject_cast<TNoxNumber *>(item)) {
      EXPECT_NEAR(number->ConvertToUser(number->RawValue()), number->DefaultValue(),
                  std::max(number->Precision(), 1e-9))
          << number->objectName().toStdString();
    }
  }
}

TEST_F(ConnectSequenceTest, ActivateLiveValuesActivatesEveryOne) {
  for (TNoxSerialData *item : module.DataItems())
    if (auto *live = qobject_cast<TNoxPacketData *>(item))
      live->SetActive(false);
  module.ActivateLiveValues();
  int active = 0;
  for (TNoxSerialData *item : module.DataItems())
    if (auto *live = qobject_cast<TNoxPacketData *>(item))
      active += live->Active() ? 1 : 0;
  EXPECT_EQ(active, 9);
}

TEST_F(ConnectSequenceTest, SaveAndLoadShowTheirProgress) {
  FakeClock clock; // the handlers' pauses pass at once
  ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("unit.kfg"));
  QList<int> walk;
  for (int i = 0; i < 81; ++i)
    walk << i * 100 / 81;
  ui.Positions.clear();
  ASSERT_TRUE(module.SaveConfiguration(file));
  EXPECT_EQ(ui.Positions, QList<int>{0} + walk);
  ui.Positions.clear();
  module.LoadConfiguration(file);
  EXPECT_EQ(ui.Positions, QList<int>{0} + walk + walk) << "the bar runs again for the second pass";
}

// The yellow-wire pair takes part in loading and in the speed handler only
// on firmware that has it; the read-only status flags are never written.
class YellowWireTest : public ConnectSequenceTest, public ::testing::WithParamInterface<bool> {};

TEST_P(YellowWireTest, PairTakesPartOnlyWhenSupported) {
  const bool supported = GetParam();
  FakeClock clock;
  identification = {{1, 36, static_cast<std::uint8_t>(supported ? 26 : 1), 0, 0, 0, 0, 0}};
  const auto prepare = state->Prepare;
  state->Prepare = [prepare](FakeProtocolObject &object) {
    prepare(object);
    object.Memory[192] = 40; // 3000 RPM
    object.Memory[193] = 50; // 2400 RPM
  };
  ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  ASSERT_EQ(module.YellowWireSupported(), supported);
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("unit.kfg"));
  ASSERT_TRUE(module.SaveConfiguration(file));
  Object().Calls.clear();
  module.LoadConfiguration(file);
  for (int address : {192, 193})
    EXPECT_EQ(Object().CountOf(QStringLiteral("WriteAtAddress(0,%1,").arg(address)) > 0, supported) << address;
  EXPECT_EQ(Object().CountOf(QStringLiteral("WriteAtAddress(0,122,")), 0);

  module.GiriCutOffFiliGialli->SetCoeffB(117000);
  Object().Calls.clear();
  ASSERT_TRUE(module.TIPO_ACCENSIONE->SetValue(1));
  EXPECT_EQ(Object().CountOf(QStringLiteral("WriteAtAddress(0,192,")) > 0, supported);
  EXPECT_EQ(module.GiriCutOffFiliGialli->CoeffB(), supported ? 96000 : 117000);
}

INSTANTIATE_TEST_SUITE_P(Firmware, YellowWireTest, ::testing::Bool());

} // namespace
