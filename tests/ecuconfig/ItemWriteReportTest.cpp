#include "dataitems/ItemWriteTap.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/WriteOrigin.h"
#include "ecuconfig/TSerialDataModule.h"
#include "support/FakeClock.h"
#include "support/RecordingUserInterface.h"
#include "support/SimulatedUnit.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <map>

namespace {

struct Reported {
  QString Item;
  std::int32_t OldRaw, NewRaw;
  ItemWrite::Result Outcome;
  QString ByHandlerOf;
  WriteOrigin::Kind Origin;
  QString File;
};

// The module on the simulated unit, every write it reports kept in order.
// Writes to address 205 fail.
class ItemWriteReportTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(unit.IsValid());
    ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
    key = ItemWriteTap::Add([this](const ItemWrite &w) {
      reported.push_back({w.Item->objectName(), w.OldRaw, w.NewRaw, w.Outcome,
                          w.ByHandlerOf ? w.ByHandlerOf->objectName() : QString(), WriteOrigin::Current(),
                          WriteOrigin::CurrentFile()});
    });
  }
  void TearDown() override {
    ItemWriteTap::Remove(key);
    module.CloseConnection(false);
  }

  FakeClock clock;
  RecordingUserInterface ui;
  SimulatedUnitSettings unit{QByteArray(SimulatedUnitSettings::FAST) + "write_fail = 205\n"};
  QTemporaryDir dir;
  TSerialDataModule module;
  std::vector<Reported> reported;
  int key = 0;
};

using R = ItemWrite::Result;

TEST_F(ItemWriteReportTest, EveryKindOfWriteIsReportedOnceWithWhatTheUnitHeldBefore) {
  struct Case {
    const char *name;
    std::function<void(TSerialDataModule &)> act;
    Reported first;
  };
  const auto nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Case> cases{
      {"written",
       [](TSerialDataModule &m) { m.TEMPO_SOVRAPPOSIZIONE->SetValue(0.6); },
       {"TEMPO_SOVRAPPOSIZIONE", 101, 151, R::Written, {}, WriteOrigin::Kind::FieldEdit, {}}},
      {"refused before sending",
       [nan](TSerialDataModule &m) { m.TEMPO_SOVRAPPOSIZIONE->SetValue(nan); },
       {"TEMPO_SOVRAPPOSIZIONE", 151, 151, R::Refused, {}, WriteOrigin::Kind::FieldEdit, {}}},
      {"failed by the unit",
       [](TSerialDataModule &m) { m.RITARDO_LETTURA_SONDA->SetValue(10); },
       {"RITARDO_LETTURA_SONDA", 1, 2, R::Failed, {}, WriteOrigin::Kind::FieldEdit, {}}},
  };
  for (const Case &c : cases) {
    reported.clear();
    c.act(module);
    ASSERT_EQ(reported.size(), 1u) << c.name;
    const Reported &r = reported.front();
    EXPECT_EQ(r.Item, c.first.Item) << c.name;
    EXPECT_EQ(r.OldRaw, c.first.OldRaw) << c.name;
    EXPECT_EQ(r.NewRaw, c.first.NewRaw) << c.name;
    EXPECT_EQ(r.Outcome, c.first.Outcome) << c.name;
    EXPECT_EQ(r.Origin, c.first.Origin) << c.name;
  }
}

TEST_F(ItemWriteReportTest, HandlerWritesFollowTheWriteThatCausedThem) {
  module.TIPO_ACCENSIONE->SetValue(1);
  ASSERT_GT(reported.size(), 1u);
  EXPECT_EQ(reported.front().Item, QStringLiteral("TIPO_ACCENSIONE"));
  EXPECT_TRUE(reported.front().ByHandlerOf.isEmpty());
  for (std::size_t i = 1; i < reported.size(); ++i)
    EXPECT_EQ(reported[i].ByHandlerOf, QStringLiteral("TIPO_ACCENSIONE")) << reported[i].Item.toStdString();
}

// A load that sends only the changed bytes reports what reached the unit: one
// write per parameter the file changes, from the unit's value to the file's,
// none for the bytes it already held or for the rehearsal.
TEST_F(ItemWriteReportTest, ALoadReportsOnlyTheParametersItChanged) {
  const QString file = dir.filePath(QStringLiteral("car.kfg"));
  ASSERT_TRUE(module.SaveConfiguration(file));
  module.TEMPO_SOVRAPPOSIZIONE->SetValue(0.6);
  module.GiriCutOff->SetValue(1800);
  const std::int32_t cutOffEdited = module.GiriCutOff->RawValue();
  reported.clear();
  ASSERT_TRUE(module.LoadConfiguration(file));
  ASSERT_EQ(reported.size(), 2u);
  std::map<QString, std::pair<std::int32_t, std::int32_t>> changes;
  for (const Reported &r : reported) {
    EXPECT_EQ(r.Origin, WriteOrigin::Kind::FileLoad);
    EXPECT_EQ(r.File, QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(r.Outcome, R::Written);
    changes[r.Item] = {r.OldRaw, r.NewRaw};
  }
  EXPECT_EQ(changes[QStringLiteral("TEMPO_SOVRAPPOSIZIONE")], std::make_pair(151, 101));
  EXPECT_EQ(changes[QStringLiteral("GiriCutOff")],
            std::make_pair(cutOffEdited, module.GiriCutOff->RawValue()));
}

} // namespace
