#include "history/WorkshopHistory.h"
#include "ecuconfig/ConfigurationEnvelope.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <latch>
#include <thread>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace {

const QDateTime STARTED(QDate(2026, 12, 9), QTime(5, 42, 12), Qt::UTC);
const QByteArray IGNITION("[Accensione]\nTIPO ACCENSIONE=3\n");

// The history in a folder of its own, and the entry of one connection.
class WorkshopHistoryTest : public ::testing::Test {
protected:
  HistoryConnection Start(const QByteArray &plain = IGNITION,
                          const QString &firmware = QStringLiteral("v1")) {
    HistoryConnection connection;
    connection.Started = STARTED;
    connection.Identification = QStringLiteral("1-36-26");
    connection.Firmware = firmware;
    QString reason;
    EXPECT_TRUE(history.NewConnection(connection, plain, &reason)) << reason.toStdString();
    return connection;
  }
  static bool Rewrite(const QString &fileName, const std::function<void(QByteArray &)> &change) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
      return false;
    QByteArray bytes = file.readAll();
    change(bytes);
    return file.resize(0) && file.write(bytes) == bytes.size();
  }
  QStringList Files() const { return QDir(history.Folder()).entryList(QDir::Files | QDir::Hidden); }
  static std::string Text(const QString &text) { return text.toStdString(); }

  QTemporaryDir dir;
  WorkshopHistory history{dir.filePath(QStringLiteral("history"))};
};

// Two processes connecting in the same second (two ecuctl on two units of one
// identification) once merged into one entry and lost a restore point: many
// writers at once, each with its own history object, each get their own.
TEST_F(WorkshopHistoryTest, ConnectionsStartedAtOnceEachGetTheirOwnEntry) {
  constexpr int THREADS = 8, ENTRIES = 20;
  std::latch start(THREADS);
  std::vector<QStringList> failures(THREADS);
  std::vector<std::thread> threads;
  for (int t = 0; t < THREADS; ++t)
    threads.emplace_back([&, t] {
      WorkshopHistory own(history.Folder());
      start.arrive_and_wait();
      for (int i = 0; i < ENTRIES; ++i) {
        const QString tag = QStringLiteral("%1/%2").arg(t).arg(i);
        HistoryConnection connection;
        connection.Started = STARTED;
        connection.Identification = QStringLiteral("1-36-26");
        connection.Firmware = tag;
        QString reason;
        if (!own.NewConnection(connection, "[Unit]\nWriter=" + tag.toLatin1() + '\n', &reason)) {
          failures[t] << reason;
          continue;
        }
        ChangeRecord record;
        record.Time = STARTED;
        record.Item = QStringLiteral("GiriCutOff");
        record.OriginDetail = tag;
        QFile log(connection.LogFile);
        if (!log.open(QIODevice::Append | QIODevice::ExistingOnly) ||
            log.write(WorkshopHistory::RecordLine(record)) < 0)
          failures[t] << log.errorString();
      }
    });
  for (std::thread &thread : threads)
    thread.join();
  for (const QStringList &failed : failures)
    EXPECT_TRUE(failed.isEmpty()) << failed.join(QLatin1Char('\n')).toStdString();

  const QList<HistoryConnection> listed = history.Connections();
  ASSERT_EQ(listed.size(), THREADS * ENTRIES);
  QSet<QString> ids, restorePoints, tags;
  for (const HistoryConnection &c : listed) {
    SCOPED_TRACE(c.Id.toStdString());
    ids << c.Id;
    restorePoints << c.RestorePoint;
    tags << c.Firmware;
    EXPECT_TRUE(c.Damage.isEmpty());
    const QList<ChangeRecord> changes = history.Changes(c.Id);
    ASSERT_EQ(changes.size(), 1) << "a log of its own";
    EXPECT_EQ(Text(changes[0].OriginDetail), Text(c.Firmware));
    QByteArray file, plain;
    ASSERT_TRUE(history.ReadRestorePoint(c, file));
    ASSERT_TRUE(ConfigurationEnvelope::Open(file, plain));
    EXPECT_EQ(plain, "[Unit]\nWriter=" + c.Firmware.toLatin1() + '\n') << "its own unit as found";
  }
  EXPECT_EQ(ids.size(), listed.size());
  EXPECT_EQ(restorePoints.size(), listed.size());
  EXPECT_EQ(tags.size(), listed.size());
}

// A flipped bit of the enciphered text is a flipped bit of a value that still
// loads (TIPO ACCENSIONE=3 becomes =2): the digest refuses it. Entries from
// before digests were kept are used unchecked.
TEST_F(WorkshopHistoryTest, ARestorePointIsCheckedBeforeUse) {
  struct Case {
    const char *name;
    std::function<void(QByteArray &)> damageFile;
    bool forgetDigest; // an entry written before digests were kept
    bool usable;
  };
  const auto flipLastValueBit = [](QByteArray &bytes) { bytes[bytes.size() - 2] ^= 1; };
  const Case cases[]{
      {"intact", [](QByteArray &) {}, false, true},
      {"one bit flipped", flipLastValueBit, false, false},
      {"truncated", [](QByteArray &bytes) { bytes.chop(5); }, false, false},
      {"emptied", [](QByteArray &bytes) { bytes.clear(); }, false, false},
      {"older entry", [](QByteArray &) {}, true, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir own;
    history = WorkshopHistory(own.path());
    HistoryConnection connection = Start();
    ASSERT_TRUE(Rewrite(connection.RestorePoint, c.damageFile));
    if (c.forgetDigest) {
      connection.RestorePointSha256.clear();
      ASSERT_TRUE(history.WriteEntry(connection));
    }
    connection = history.Connection(connection.Id);
    QByteArray file, plain;
    QString reason;
    EXPECT_EQ(history.ReadRestorePoint(connection, file, &reason), c.usable) << reason.toStdString();
    EXPECT_EQ(history.CheckedRestorePoint(connection).isEmpty(), !c.usable);
    if (c.usable) {
      ASSERT_TRUE(ConfigurationEnvelope::Open(file, plain));
      EXPECT_EQ(plain, IGNITION);
    } else {
      EXPECT_TRUE(reason.contains(QDir::toNativeSeparators(connection.RestorePoint))) << reason.toStdString();
      EXPECT_TRUE(file.isEmpty());
    }
  }
  // What the digest is there for: the flip alone goes unnoticed.
  QByteArray file = ConfigurationEnvelope::Seal(IGNITION), plain;
  file[file.size() - 2] ^= 1;
  ASSERT_TRUE(ConfigurationEnvelope::Open(file, plain));
  EXPECT_EQ(plain, "[Accensione]\nTIPO ACCENSIONE=2\n");
}

// A restore point shared by two connections is checked for each; once
// damaged, the next connection of the same unit keeps a file of its own,
// even when the damage (in the signature here) leaves the text as it was.
TEST_F(WorkshopHistoryTest, ADamagedSharedRestorePointIsNotSharedAgain) {
  const HistoryConnection first = Start();
  const HistoryConnection second = Start();
  ASSERT_NE(first.Id, second.Id);
  ASSERT_EQ(second.RestorePoint, first.RestorePoint) << "the unit read again unchanged shares its file";
  ASSERT_TRUE(Rewrite(first.RestorePoint, [](QByteArray &bytes) { bytes[0] ^= 1; }));
  for (const HistoryConnection &sharing : {first, second})
    EXPECT_TRUE(history.CheckedRestorePoint(history.Connection(sharing.Id)).isEmpty());
  const HistoryConnection third = Start();
  EXPECT_NE(Text(third.RestorePoint), Text(first.RestorePoint));
  EXPECT_EQ(Text(history.CheckedRestorePoint(history.Connection(third.Id))), Text(third.RestorePoint));
}

// A damaged description once hid its connection with its log and restore
// point: it is listed from its file name and says it is damaged; its note is
// not written over it.
TEST_F(WorkshopHistoryTest, ADamagedDescriptionIsListedAndSaysSo) {
  struct Case {
    const char *name;
    std::function<void(QByteArray &)> damage;
  };
  const Case cases[]{
      {"truncated", [](QByteArray &bytes) { bytes.truncate(bytes.size() / 2); }},
      {"garbled", [](QByteArray &bytes) { bytes = "\x01\x02 not json"; }},
      {"emptied", [](QByteArray &bytes) { bytes.clear(); }},
      {"no start time", [](QByteArray &bytes) { bytes = "{\"identification\": \"1-36-26\"}"; }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir own;
    history = WorkshopHistory(own.path());
    const HistoryConnection connection = Start();
    QFile log(connection.LogFile);
    ASSERT_TRUE(log.open(QIODevice::Append));
    ChangeRecord record;
    record.Time = STARTED;
    record.Item = QStringLiteral("GiriCutOff");
    record.NewRaw = 25; // a change: a rewrite of the byte held is not counted
    log.write(WorkshopHistory::RecordLine(record));
    log.close();
    const QString entryFile = own.filePath(connection.Id + QStringLiteral(".json"));
    ASSERT_TRUE(Rewrite(entryFile, c.damage));
    QFile entry(entryFile);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray damaged = entry.readAll();

    const QList<HistoryConnection> listed = history.Connections();
    ASSERT_EQ(listed.size(), 1);
    const HistoryConnection &shown = listed.front();
    EXPECT_EQ(Text(shown.Id), Text(connection.Id));
    EXPECT_EQ(shown.Started, STARTED);
    EXPECT_TRUE(shown.Damage.contains(QStringLiteral("damaged"))) << shown.Damage.toStdString();
    EXPECT_EQ(shown.ChangeCount, 1);
    EXPECT_EQ(Text(history.CheckedRestorePoint(shown)), Text(connection.RestorePoint));
    EXPECT_FALSE(history.SetNote(shown.Id, QStringLiteral("AB 123 CD")));
    entry.seek(0);
    EXPECT_EQ(entry.readAll(), damaged);
  }
}

// A full disk (here a file-size limit) gives the system's reason, and a start
// that fails halfway leaves no file behind: neither the empty log nor the
// restore point written before the description failed.
TEST_F(WorkshopHistoryTest, AStartThatCannotBeWrittenSaysWhyAndLeavesNothing) {
  if (!FileSizeLimit::Supported)
    GTEST_SKIP() << "no file-size limit on this system";
  // Too small for the restore point; then for the description written after it.
  const long restorePointSize = static_cast<long>(ConfigurationEnvelope::Seal(IGNITION).size());
  for (const long limit : {64L, restorePointSize + 8}) {
    SCOPED_TRACE(limit);
    HistoryConnection connection;
    connection.Started = STARTED;
    connection.Identification = QStringLiteral("1-36-26");
    QString reason;
    {
      const FileSizeLimit small(limit);
      EXPECT_FALSE(history.NewConnection(connection, IGNITION, &reason));
    }
    EXPECT_TRUE(reason.contains(qt_error_string(EFBIG))) << reason.toStdString();
    EXPECT_TRUE(connection.Id.isEmpty());
    EXPECT_EQ(Text(Files().join(QLatin1Char(' '))), "");
  }
  EXPECT_EQ(Text(Start().Id), "20261209-054212-1-36-26") << "the failed starts kept no name";
}

// Customers' configurations and number plates: the folder and every file the
// history writes are for their owner alone, whatever the umask allows.
TEST_F(WorkshopHistoryTest, TheHistoryIsForItsOwnerAlone) {
#if defined(_WIN32)
  GTEST_SKIP() << "a Windows profile is private already";
#else
  const mode_t mask = umask(0);
  const HistoryConnection connection = Start();
  const bool noted = history.SetNote(connection.Id, QStringLiteral("AB 123 CD"));
  umask(mask);
  ASSERT_TRUE(noted);
  constexpr auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                          QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
  EXPECT_EQ(QFileInfo(history.Folder()).permissions() & others, 0);
  EXPECT_EQ(Files().size(), 3) << "log, restore point, description";
  for (const QString &name : Files()) {
    SCOPED_TRACE(name.toStdString());
    const QFileDevice::Permissions permissions =
        QFileInfo(QDir(history.Folder()).filePath(name)).permissions();
    EXPECT_EQ(permissions & others, 0);
    EXPECT_TRUE(permissions & QFileDevice::WriteOwner);
  }
#endif
}

} // namespace
