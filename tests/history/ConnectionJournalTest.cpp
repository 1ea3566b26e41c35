#include "history/ConnectionJournal.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "dataitems/WriteOrigin.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/ConfigurationPages.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/ConfigurationReport.h"
#include "history/UndoStack.h"
#include "history/WorkshopHistory.h"
#include "platform/UserAction.h"
#include "storage/TMemIniData.h"
#include "support/FakeClock.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingUserInterface.h"
#include "support/SimulatedUnit.h"
#include "translator/TTranslator.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Origin = ChangeRecord::Origin;

// The journal on the simulated unit, its history in a folder of its own.
// Writes to address 205 fail.
class ConnectionJournalTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(unit.IsValid()); }
  void TearDown() override { module.CloseConnection(false); }
  void Connect() {
    module.CloseConnection(false);
    ASSERT_EQ(module.ConnectAndReadAll(4, 0), 0);
  }
  QList<int> Memory() {
    return SimulatedUnitSettings::Memory(module.NoxConnection->ProtocolObject(), 161, 226);
  }

  FakeClock clock;
  RecordingUserInterface ui;
  SimulatedUnitSettings unit{QByteArray(SimulatedUnitSettings::FAST) + "write_fail = 205\n"};
  QTemporaryDir dir;
  TSerialDataModule module;
  WorkshopHistory history{dir.filePath(QStringLiteral("history"))};
  ConnectionJournal journal{module, history};
};

// What the log on disk says of each kind of write, read back.
TEST_F(ConnectionJournalTest, EveryOriginIsLoggedAndReadBack) {
  Connect();
  const QString file = dir.filePath(QStringLiteral("car.kfg"));
  ASSERT_TRUE(module.SaveConfiguration(file));
  struct Case {
    const char *name;
    std::function<void()> act;
    QString item;
    Origin origin;
    QString detail;
    ItemWrite::Result outcome;
  };
  const Case cases[]{
      {"field edit",
       [&] { module.TEMPO_SOVRAPPOSIZIONE->SetValue(0.6); },
       "TEMPO_SOVRAPPOSIZIONE",
       Origin::FieldEdit,
       {},
       ItemWrite::Result::Written},
      {"failed write",
       [&] { module.RITARDO_LETTURA_SONDA->SetValue(10); },
       "RITARDO_LETTURA_SONDA",
       Origin::FieldEdit,
       {},
       ItemWrite::Result::Failed},
      {"file load", [&] { module.LoadConfiguration(file); }, "TEMPO_SOVRAPPOSIZIONE", Origin::FileLoad,
       QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()), ItemWrite::Result::Written},
      {"undo",
       [&] {
         const WriteOrigin undo(WriteOrigin::Kind::Undo);
         module.GiriCutOff->SetValue(1800);
       },
       "GiriCutOff",
       Origin::Undo,
       {},
       ItemWrite::Result::Written},
      {"handler",
       [&] { module.TIPO_ACCENSIONE->SetValue(module.TIPO_ACCENSIONE->GetValue() == 1 ? 2 : 1); },
       {},
       Origin::Handler,
       "TIPO_ACCENSIONE",
       ItemWrite::Result::Written},
      {"erase",
       [&] { EXPECT_TRUE(module.SendEraseCommand()); },
       "CHECKUP",
       Origin::EepromErase,
       {},
       ItemWrite::Result::Written},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const qsizetype before = history.Changes(journal.Current().Id).size();
    c.act();
    QStringList skipped;
    const QList<ChangeRecord> logged = history.Changes(journal.Current().Id, &skipped);
    EXPECT_TRUE(skipped.isEmpty());
    ASSERT_GT(logged.size(), before);
    bool found = false;
    for (qsizetype i = before; i < logged.size(); ++i) {
      const ChangeRecord &r = logged[i];
      if ((!c.item.isEmpty() && r.Item != c.item) || r.Source != c.origin)
        continue;
      found = true;
      EXPECT_EQ(r.OriginDetail, c.detail);
      EXPECT_EQ(r.Outcome, c.outcome);
    }
    EXPECT_TRUE(found);
  }
  // The first after the connect's own correction of the over-rev speed.
  const QList<ChangeRecord> all = history.Changes(journal.Current().Id);
  ASSERT_GE(all.size(), 2);
  EXPECT_EQ(all[0].Source, Origin::ConnectCorrection);
  const ChangeRecord first = all[1];
  EXPECT_EQ(first.OldRaw, 101);
  EXPECT_EQ(first.NewRaw, 151);
  EXPECT_DOUBLE_EQ(first.NewValue, 0.6);
  EXPECT_EQ(history.Connections().front().ChangeCount, history.Changes(journal.Current().Id).size());
}

// The bits of a flags byte are told apart, those of its check boxes and
// those no window shows, and the report says each as yes or no.
TEST_F(ConnectionJournalTest, AFlagsByteIsLoggedUnderTheBitThatChanged) {
  ASSERT_TRUE(module.LoadLanguageLibrary());
  Connect();
  QStringList logged;
  for (const std::int32_t bit : {1, 4, 8, 16, 32, 128}) {
    SCOPED_TRACE(bit);
    const qsizetype before = history.Changes(journal.Current().Id).size();
    const bool wasSet = module.FLAG_GONFIGURAZIONE->RawValue() & bit;
    module.FLAG_GONFIGURAZIONE->SetIntValue(module.FLAG_GONFIGURAZIONE->RawValue() ^ bit);
    QList<ChangeRecord> records;
    for (const ChangeRecord &r : history.Changes(journal.Current().Id).mid(before))
      if (r.Item == QLatin1String("FLAG_GONFIGURAZIONE"))
        records << r;
    ASSERT_EQ(records.size(), 1);
    logged << records.front().Caption;
    const ConfigurationReport::Change shown = ConfigurationReport::ChangeOf(module, records.front());
    EXPECT_EQ(shown.Caption, records.front().Caption);
    EXPECT_EQ(shown.OldValue, module.Text(wasSet ? 272 : 273));
    EXPECT_EQ(shown.NewValue, module.Text(wasSet ? 273 : 272));
  }
  logged.removeDuplicates();
  logged.removeAll(QString());
  EXPECT_EQ(logged.size(), 6) << "six bits, six captions: " << logged.join(QStringLiteral(", ")).toStdString();
}

// The report covers the fitter's visit: a new connect to the same unit
// (after a lost line) keeps what the one before changed and its note; a
// unit of another identification starts a new visit.
TEST_F(ConnectionJournalTest, TheVisitOutlivesANewConnectToTheSameUnit) {
  Connect();
  module.TEMPO_SOVRAPPOSIZIONE->SetValue(0.6);
  ASSERT_TRUE(journal.SetNote(QStringLiteral("AB 123 CD")));
  module.CloseConnection(false);
  Connect();
  module.RITARDO_LETTURA_SONDA->SetValue(10);
  auto items = [](const QList<ChangeRecord> &records) {
    QStringList names;
    for (const ChangeRecord &record : records)
      if (!record.ChangedNothing() && record.Source == Origin::FieldEdit)
        names << record.Item;
    return names;
  };
  EXPECT_EQ(items(journal.Changes()), QStringList{QStringLiteral("RITARDO_LETTURA_SONDA")});
  EXPECT_EQ(items(journal.VisitChanges()),
            (QStringList{QStringLiteral("TEMPO_SOVRAPPOSIZIONE"), QStringLiteral("RITARDO_LETTURA_SONDA")}));
  EXPECT_EQ(journal.VisitNote(), QStringLiteral("AB 123 CD"));
  ASSERT_TRUE(journal.SetNote(QStringLiteral("AB 123 CD")));
  EXPECT_EQ(journal.VisitNote(), QStringLiteral("AB 123 CD")) << "a note is said once";

  ASSERT_TRUE(unit.Use(QByteArray(SimulatedUnitSettings::FAST) + "identification = 1 36 1 0 0 0 0 0\n"));
  Connect();
  EXPECT_TRUE(items(journal.VisitChanges()).isEmpty()) << "another unit";
  EXPECT_TRUE(journal.VisitNote().isEmpty());
}

// A closed connection keeps its change count in its description, so that
// the listing need not read its log; a log that grew since is counted again.
TEST_F(ConnectionJournalTest, TheCountKeptAtTheCloseHoldsOnlyWhileTheLogIsUnchanged) {
  Connect();
  module.TEMPO_SOVRAPPOSIZIONE->SetValue(0.6);
  module.RITARDO_LETTURA_SONDA->SetValue(10);
  const QString id = journal.Current().Id;
  const int counted = history.Connection(id).ChangeCount;
  ASSERT_GE(counted, 2);
  EXPECT_EQ(history.Connection(id).CountedLogSize, -1) << "no count kept while open";
  module.CloseConnection(false);
  EXPECT_EQ(history.Connection(id).ChangeCount, counted);
  EXPECT_GT(history.Connection(id).CountedLogSize, 0);
  // A line added after the close (another program, a hand) is counted.
  ChangeRecord later;
  later.Time = QDateTime::currentDateTimeUtc();
  later.Item = QStringLiteral("GiriCutOff");
  later.OldRaw = 60;
  later.NewRaw = 61;
  QFile log(journal.Current().LogFile);
  ASSERT_TRUE(log.open(QIODevice::Append));
  log.write(WorkshopHistory::RecordLine(later));
  log.close();
  EXPECT_EQ(history.Connection(id).ChangeCount, counted + 1);
  EXPECT_EQ(history.Connections().front().ChangeCount, counted + 1);
}

// Every parameter the unit stores is named in every language, never by its
// internal name, and no two by the same words; a count carries no unit.
TEST_F(ConnectionJournalTest, EveryParameterHasACaptionInEveryLanguage) {
  ASSERT_TRUE(module.LoadLanguageLibrary());
  ASSERT_GE(module.Translator->LanguageCount(), 5);
  for (int language = 0; language < module.Translator->LanguageCount(); ++language) {
    module.Translator->SetLanguage(language);
    QHash<QString, QString> byCaption;
    for (TNoxSerialData *item : module.DataItems()) {
      if (qobject_cast<TNoxPacketData *>(item))
        continue;
      const QString caption = ConfigurationPages::CaptionOf(module, item);
      SCOPED_TRACE(language);
      EXPECT_FALSE(caption.isEmpty()) << item->objectName().toStdString();
      EXPECT_NE(caption, item->objectName());
      // The flags bytes share their first box's caption with nothing else.
      EXPECT_FALSE(byCaption.contains(caption))
          << caption.toStdString() << ": " << item->objectName().toStdString() << " and "
          << byCaption.value(caption).toStdString();
      byCaption.insert(caption, item->objectName());
    }
  }
  for (const char *count : {"NUMERO_RIPETIZIONI_ONDA", "NUMERO_VOLTE_TRI", "NUMERO_RIPETIZIONI_TRI"}) {
    ChangeRecord record;
    record.Item = QLatin1String(count);
    record.OldValue = 1;
    record.NewValue = 125;
    record.NewRaw = 124;
    EXPECT_EQ(ConfigurationReport::ChangeOf(module, record).NewValue, QStringLiteral("125")) << count;
  }
}

// The unit as found comes back from its restore point after edits; the same
// unit read again shares the file.
TEST_F(ConnectionJournalTest, TheRestorePointBringsBackTheUnitAsFound) {
  Connect();
  const QList<int> found = Memory();
  const QString restorePoint = journal.Current().RestorePoint;
  ASSERT_TRUE(QFile::exists(restorePoint));
  Connect();
  EXPECT_EQ(journal.Current().RestorePoint, restorePoint) << "an identical read-all shares its file";
  module.TEMPO_SOVRAPPOSIZIONE->SetValue(0.6);
  module.GiriCutOff->SetValue(1800);
  ASSERT_NE(Memory(), found);
  ASSERT_TRUE(module.LoadConfiguration(restorePoint));
  EXPECT_EQ(Memory(), found);
  EXPECT_EQ(history.Connections().size(), 2);
}

// The unit as found is what the connect read: not what it corrected
// afterwards (logged as a change), nor items a lost line left unread.
TEST_F(ConnectionJournalTest, TheRestorePointIsTheUnitAsReadAndOnlyAWholeRead) {
  Connect();
  module.GiriFuoriGiri->SetDisableLimits(true);
  ASSERT_TRUE(module.GiriFuoriGiri->SetValue(12000)); // above its maximum: the connect corrects it
  module.GiriFuoriGiri->SetDisableLimits(false);
  Connect();
  const QList<ChangeRecord> logged = history.Changes(journal.Current().Id);
  ASSERT_EQ(logged.size(), 1);
  EXPECT_EQ(logged[0].Item, QStringLiteral("GiriFuoriGiri"));
  EXPECT_EQ(logged[0].Source, Origin::ConnectCorrection);
  EXPECT_DOUBLE_EQ(logged[0].OldValue, 12000);
  EXPECT_DOUBLE_EQ(logged[0].NewValue, 20000);
  QByteArray found;
  ASSERT_TRUE(module.DecryptFile(journal.Current().RestorePoint, found));
  EXPECT_NE(found, ConfigurationFile(module).IniText(nullptr, ConfigurationFile::Progress::Quiet))
      << "kept before the correction";

  const qsizetype connections = history.Connections().size();
  ASSERT_TRUE(unit.Use(QByteArray(SimulatedUnitSettings::FAST) + "lose_connection_after = 20\n"));
  module.CloseConnection(false);
  module.ConnectAndReadAll(4, 0);
  EXPECT_EQ(history.Connections().size(), connections) << "no entry for a read the line broke off";
}

// A torn last line and garbage: the rest is read, each bad line noted; a
// damaged entry is listed under its file name and says so, never a crash.
TEST_F(ConnectionJournalTest, DamagedFilesAreSkippedWithANote) {
  Connect();
  module.GiriCutOff->SetValue(1800);
  const HistoryConnection connection = journal.Current();
  module.CloseConnection(false);
  QFile log(connection.LogFile);
  ASSERT_TRUE(log.open(QIODevice::Append));
  log.write("\x01\x02 not json\n{\"time\":\"2026-12-09T06:");
  log.close();
  QFile entry(dir.filePath(QStringLiteral("history/20260101-000000-x.json")));
  ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
  entry.write("{\"started\": [1, 2");
  entry.close();
  QStringList skipped;
  const QList<ChangeRecord> changes = history.Changes(connection.Id, &skipped);
  EXPECT_EQ(changes.size(), 2) << "the connect's correction and the edit";
  EXPECT_EQ(skipped.size(), 2);
  const QList<HistoryConnection> listed = history.Connections();
  ASSERT_EQ(listed.size(), 2);
  for (const HistoryConnection &c : listed)
    EXPECT_EQ(c.Damage.isEmpty(), c.Id == connection.Id) << c.Id.toStdString();
}

// A history folder that cannot be made (a file stands in its place) loses
// the record, not the edit, and says so once per connection.
TEST_F(ConnectionJournalTest, AnUnwritableFolderNeverStopsTheEdit) {
  QFile blocker(dir.filePath(QStringLiteral("blocked")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  WorkshopHistory blocked(blocker.fileName() + QStringLiteral("/history"));
  ConnectionJournal blockedJournal(module, blocked);
  Connect();
  ASSERT_TRUE(module.TEMPO_SOVRAPPOSIZIONE->SetValue(0.6));
  ASSERT_TRUE(module.GiriCutOff->SetValue(1800));
  EXPECT_EQ(Memory()[216 - 161], 151) << "the edit reached the unit";
  EXPECT_EQ(ui.StatusWarnings.size(), 1);
  EXPECT_GE(blockedJournal.Changes().size(), 2) << "kept in memory for the report";
  Connect();
  EXPECT_EQ(ui.StatusWarnings.size(), 2) << "once per connection";
}

// A change log that hits a full disk (a file-size limit here) once said
// "Unknown error": the warning gives the system's reason, and the torn part
// of the line is cut off so the log reads clean.
TEST_F(ConnectionJournalTest, AFullDiskInTheLogSaysWhyAndLeavesNoTornLine) {
  if (!FileSizeLimit::Supported)
    GTEST_SKIP() << "no file-size limit on this system";
  Connect();
  ASSERT_TRUE(module.TEMPO_SOVRAPPOSIZIONE->SetValue(0.6));
  const qsizetype logged = history.Changes(journal.Current().Id).size();
  {
    const FileSizeLimit full(static_cast<long>(QFileInfo(journal.Current().LogFile).size()) + 10);
    ASSERT_TRUE(module.GiriCutOff->SetValue(1800)) << "the edit reaches the unit all the same";
  }
  ASSERT_EQ(ui.StatusWarnings.size(), 1);
  EXPECT_TRUE(ui.StatusWarnings[0].contains(qt_error_string(EFBIG))) << ui.StatusWarnings[0].toStdString();
  QStringList skipped;
  EXPECT_EQ(history.Changes(journal.Current().Id, &skipped).size(), logged);
  EXPECT_TRUE(skipped.isEmpty()) << skipped.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(journal.Changes().size(), logged + 1) << "kept in memory for the report";
}

// A value the connect could not read is no value of the unit: the restore
// point leaves it out (a speed too, when the ignition type that gives it its
// meaning was not read), the entry names it, and nothing loads such a file.
TEST_F(ConnectionJournalTest, AFailedReadLeavesAnIncompleteRestorePointThatIsNeverUsed) {
  ASSERT_TRUE(unit.Use(QByteArray(SimulatedUnitSettings::FAST) + "read_fail = 163, 223\n"));
  Connect();
  const HistoryConnection entry = history.Connection(journal.Current().Id); // as kept on disk
  for (const TNoxNumber *item : {module.TIPO_ACCENSIONE, module.GiriPerCambio, module.GiriCutOff})
    EXPECT_TRUE(entry.Unread.contains(item->FileKey())) << item->FileKey().toStdString();
  EXPECT_FALSE(entry.Unread.contains(module.TEMPO_SOVRAPPOSIZIONE->FileKey()));
  QByteArray block;
  ASSERT_TRUE(module.DecryptFile(entry.RestorePoint, block));
  TMemIniData ini(&block);
  ini.LoadBuffer();
  EXPECT_FALSE(ini.ValueExists(module.TIPO_ACCENSIONE->FileSection(), module.TIPO_ACCENSIONE->FileKey()));
  EXPECT_FALSE(ini.ValueExists(module.GiriCutOff->FileSection(), module.GiriCutOff->FileKey()));
  EXPECT_TRUE(ini.ValueExists(module.TEMPO_SOVRAPPOSIZIONE->FileSection(),
                              module.TEMPO_SOVRAPPOSIZIONE->FileKey()));
  QByteArray file;
  QString reason;
  EXPECT_FALSE(history.ReadRestorePoint(entry, file, &reason));
  EXPECT_TRUE(reason.contains(module.TIPO_ACCENSIONE->FileKey())) << reason.toStdString();
  EXPECT_TRUE(history.CheckedRestorePoint(entry).isEmpty());

  // Read whole again, the unit gets a whole restore point of its own.
  ASSERT_TRUE(unit.Use(SimulatedUnitSettings::FAST));
  Connect();
  EXPECT_TRUE(journal.Current().Unread.isEmpty());
  EXPECT_NE(journal.Current().RestorePoint, entry.RestorePoint);
  EXPECT_FALSE(history.CheckedRestorePoint(journal.Current()).isEmpty());
}

// The ignition type's handler keeps every speed in RPM while their bytes
// change: the log says so whichever way the change goes, each byte through
// the coefficient it was meant under, never the one switched meanwhile.
TEST_F(ConnectionJournalTest, SpeedsAreLoggedAsTheyMeantAcrossAnIgnitionChange) {
  UndoStack undo(module);
  Connect();
  ASSERT_EQ(module.TIPO_ACCENSIONE->GetIntValue(), 4) << "twin coil";
  const struct {
    const char *name;
    std::function<void()> act;
  } steps[] = {
      {"to eight cylinders", [&] { EXPECT_TRUE(module.TIPO_ACCENSIONE->SetValue(3)); }},
      {"undo", [&] { EXPECT_EQ(undo.Undo(), UndoStack::Outcome::Done); }},
      {"redo", [&] { EXPECT_EQ(undo.Redo(), UndoStack::Outcome::Done); }},
  };
  QList<TNoxSerialData *> speeds = module.SpeedItems();
  speeds.removeAll(module.VAL_GIRI); // a live value
  for (const auto &step : steps) {
    SCOPED_TRACE(step.name);
    QHash<QString, double> before;
    for (TNoxSerialData *item : speeds)
      before[item->objectName()] = item->GetValue();
    const qsizetype from = journal.Changes().size();
    {
      const UserAction action;
      step.act();
    }
    // The first record of a speed starts from what the field showed before,
    // its last ends at what it shows now.
    QHash<QString, ChangeRecord> first, last;
    for (const ChangeRecord &record : journal.Changes().mid(from)) {
      if (!before.contains(record.Item))
        continue;
      if (!first.contains(record.Item))
        first[record.Item] = record;
      last[record.Item] = record;
    }
    EXPECT_GE(first.size(), 4);
    for (TNoxSerialData *item : speeds) {
      if (!first.contains(item->objectName()))
        continue;
      EXPECT_DOUBLE_EQ(first[item->objectName()].OldValue, before[item->objectName()])
          << item->objectName().toStdString();
      EXPECT_DOUBLE_EQ(last[item->objectName()].NewValue, item->GetValue()) << item->objectName().toStdString();
    }
  }
}

// The log keeps every write, but a write of the byte the unit held changes
// nothing: not counted, not reported. A refusal keeps the value tried.
TEST_F(ConnectionJournalTest, ARewriteIsNoChangeAndARefusalKeepsTheValueTried) {
  ASSERT_TRUE(module.LoadLanguageLibrary());
  Connect();
  const qsizetype corrections = journal.Changes().size();
  ASSERT_TRUE(module.TEMPO_SOVRAPPOSIZIONE->SetValue(module.TEMPO_SOVRAPPOSIZIONE->GetValue()));
  EXPECT_FALSE(module.TIPO_ACCENSIONE->SetValue(9));
  ASSERT_TRUE(module.GiriCutOff->SetValue(1800));
  const QList<ChangeRecord> logged = history.Changes(journal.Current().Id);
  ASSERT_EQ(logged.size(), corrections + 3) << "the log holds every write";
  EXPECT_TRUE(logged[corrections].ChangedNothing());
  const ChangeRecord &refused = logged[corrections + 1];
  EXPECT_EQ(refused.Outcome, ItemWrite::Result::Refused);
  EXPECT_DOUBLE_EQ(refused.OldValue, 4);
  EXPECT_DOUBLE_EQ(refused.NewValue, 9);
  EXPECT_EQ(history.Connections().front().ChangeCount, corrections + 2);
  const ConfigurationReport report = ConfigurationReport::Build(module, journal.Changes());
  ASSERT_EQ(report.Changes.size(), corrections + 2);
  EXPECT_EQ(report.Changes[corrections].Caption, module.Text(27)) << "the refusal, the rewrite left out";
  EXPECT_NE(report.Changes[corrections].NewValue, report.Changes[corrections].OldValue);
}

} // namespace
