// The chart's traces and the recorder, fed by live values the way the
// refresher delivers them.
#include "ModuleFixture.h"

#include "dataitems/LiveCsvWriter.h"
#include "dataitems/LiveRecorder.h"
#include "dataitems/LiveTraces.h"
#include "support/CaseName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace {

using namespace catalogue_test;

// ---------------------------------------------------------------- traces

struct WindowCase {
  const char *name;
  qint64 WindowMs;
  std::vector<qint64> Appended;
  std::vector<qint64> Kept;
};

class TraceWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(TraceWindow, KeepsWhatTheWindowShowsPlusOnePointBeforeIt) {
  const WindowCase &c = GetParam();
  LiveTraceBuffer trace(c.WindowMs);
  for (qint64 time : c.Appended)
    trace.Append(time, static_cast<double>(time) / 10);
  std::vector<qint64> kept;
  for (const LiveTraceBuffer::Point &point : trace.Points()) {
    kept.push_back(point.TimeMs);
    EXPECT_EQ(point.Value, static_cast<double>(point.TimeMs) / 10);
  }
  EXPECT_EQ(kept, c.Kept);
}

INSTANTIATE_TEST_SUITE_P(
    LiveTraceBuffer, TraceWindow,
    ::testing::Values(
        WindowCase{"edge_between_points", 1000, {0, 400, 800, 1200, 1600}, {400, 800, 1200, 1600}},
        WindowCase{"point_on_the_edge", 1000, {0, 1000, 2000}, {1000, 2000}},
        WindowCase{"all_inside", 1000, {0, 300, 600}, {0, 300, 600}},
        WindowCase{"gap_longer_than_window", 1000, {0, 100, 5000}, {100, 5000}},
        WindowCase{"older_point_ignored", 1000, {0, 500, 300, 500}, {0, 500, 500}}),
    CaseName<WindowCase>);

TEST(LiveTraceBuffer, MemoryStaysBoundedByTheWindowAndShrinksWithIt) {
  LiveTraceBuffer trace(5 * 60 * 1000);
  for (qint64 time = 0; time <= 10 * 60 * 1000; time += 100)
    trace.Append(time, 1.0);
  EXPECT_EQ(trace.Points().size(), 3001u); // five minutes at 100 ms, both ends
  EXPECT_EQ(trace.Points().front().TimeMs, 5 * 60 * 1000);
  trace.SetWindowMs(30 * 1000);
  EXPECT_EQ(trace.Points().size(), 301u);
  EXPECT_EQ(trace.Points().front().TimeMs, 570 * 1000);
}

class LiveTracesTest : public ModuleFixture {};

TEST_F(LiveTracesTest, TracesHoldUserUnitsAtDeliveryTimesWithoutAskingTheUnit) {
  LiveTraces traces({Module.VAL_GIRI, Module.VALORE_LAMBDA, Module.VALOR_TPS, Module.POSIZIONE_ATTUATORE},
                    30000);
  const int callsBefore = static_cast<int>(Unit->Calls.size());
  Deliver(Module.VAL_GIRI, 51);
  Deliver(Module.VALORE_LAMBDA, 51);
  Deliver(Module.VALOR_TPS, 51);
  Deliver(Module.POSIZIONE_ATTUATORE, 51);
  FakeTime.Sleep(100);
  // A speed byte of 255 shows as 0 RPM, not as B / 255.
  Deliver(Module.VAL_GIRI, 255);
  Deliver(Module.VALORE_LAMBDA, 204);

  auto values = [&](int index) {
    std::vector<std::pair<qint64, double>> out;
    for (const LiveTraceBuffer::Point &p : traces.Trace(index).Points())
      out.emplace_back(p.TimeMs, p.Value);
    return out;
  };
  // 117000 / 51 with the stored speed coefficient, to the item's precision.
  EXPECT_EQ(values(0).front(), std::make_pair(qint64{0}, 2290.0));
  EXPECT_EQ(values(0).back().first, 100);
  EXPECT_EQ(values(0).back().second, 0.0);
  EXPECT_EQ(values(1), (std::vector<std::pair<qint64, double>>{{0, 1.0}, {100, 4.0}})); // volts
  EXPECT_EQ(values(2), (std::vector<std::pair<qint64, double>>{{0, 1.0}}));
  EXPECT_EQ(values(3), (std::vector<std::pair<qint64, double>>{{0, 51.0}})); // actuator steps
  EXPECT_EQ(static_cast<int>(Unit->Calls.size()), callsBefore);

  traces.SetWindowMs(50);
  EXPECT_EQ(traces.Trace(1).Points().size(), 2u);
}

// -------------------------------------------------------------- recorder

// A device that takes a given number of bytes, then fails like a full disk.
class FailingDevice : public QIODevice {
public:
  FailingDevice(qint64 capacity, QByteArray &written) : Written(written), m_capacity(capacity) {
    open(QIODevice::WriteOnly);
    setErrorString(QStringLiteral("No space left on device"));
  }
  QByteArray &Written;

protected:
  qint64 readData(char *, qint64) override { return -1; }
  qint64 writeData(const char *data, qint64 size) override {
    if (Written.size() + size > m_capacity)
      return -1;
    Written.append(data, size);
    return size;
  }

private:
  qint64 m_capacity;
};

class LiveRecorderTest : public ModuleFixture {
protected:
  void SetUp() override {
    ModuleFixture::SetUp();
    Items = LiveCsvWriter::LiveItems(Module.DataItems());
  }

  // One refresh cycle: every live value gets the byte, then the GUI thread
  // gets back to its event loop, where the recorder writes its row.
  void Cycle(std::uint8_t value) {
    for (TNoxPacketData *item : Items)
      Deliver(item, value);
    QCoreApplication::processEvents();
  }

  // Row times a millisecond apart, starting at a fixed moment.
  void SteadyTimes(LiveRecorder &recorder) {
    recorder.Now = [this] { return m_start.addMSecs(m_rowsTimed++ * 100); };
  }

  QList<TNoxPacketData *> Items;
  QTemporaryDir Dir;

private:
  QDateTime m_start = QDateTime(QDate(2026, 5, 4), QTime(10, 11, 12, 5));
  int m_rowsTimed = 0;
};

TEST_F(LiveRecorderTest, WritesOneRowPerCycleWithEveryLiveValueInUserUnits) {
  LiveRecorder recorder(Items);
  SteadyTimes(recorder);
  const QString path = Dir.filePath(QStringLiteral("road.csv"));
  ASSERT_TRUE(recorder.Start(path));
  Cycle(51);
  Cycle(255);
  Cycle(0); // a speed byte of 0 has no speed
  // Nothing delivered, nothing written: the recorder adds no reads of its own.
  QCoreApplication::processEvents();
  EXPECT_EQ(recorder.Rows(), 3);
  recorder.Stop();
  Cycle(51);
  EXPECT_EQ(recorder.Rows(), 3);

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 5); // header, three rows, the final newline
  EXPECT_EQ(lines[0],
            QStringLiteral("time,VALORE_LAMBDA,VALOR_TPS,VALORE_MINIMO_TPS,POSIZIONE_ATTUATORE,"
                           "VALORE_POSIZIONE_DEFAULT,FASCIA_TPS,FASCIA_LAMBDA,VAL_TEMPERATURA,VAL_GIRI"));
  EXPECT_EQ(lines[1].section(QLatin1Char(','), 0, 0), QStringLiteral("2026-05-04T10:11:12.005"));
  EXPECT_EQ(lines[2].section(QLatin1Char(','), 0, 0), QStringLiteral("2026-05-04T10:11:12.105"));
  // Volts, volts, volts, steps, steps, bands, the temperature, RPM.
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("2026-05-04T10:11:12.005,1,1,1,51,51,51,51,")));
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral(",2290"))) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].endsWith(QStringLiteral(",0"))) << lines[2].toStdString();
  // The failure is written whole, not as the -1e+07 both failures would be.
  EXPECT_TRUE(lines[3].endsWith(QStringLiteral(",-10000002"))) << lines[3].toStdString();
  EXPECT_TRUE(lines[4].isEmpty());
}

TEST_F(LiveRecorderTest, WallClockTimesIncrease) {
  LiveRecorder recorder(Items);
  const QString path = Dir.filePath(QStringLiteral("times.csv"));
  ASSERT_TRUE(recorder.Start(path));
  for (int i = 0; i < 5; ++i) {
    Cycle(static_cast<std::uint8_t>(100 + i));
    QThread::msleep(3);
  }
  recorder.Stop();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QStringList lines = QString::fromLatin1(file.readAll()).trimmed().split(QLatin1Char('\n'));
  lines.removeFirst();
  ASSERT_EQ(lines.size(), 5);
  QDateTime previous;
  for (const QString &line : lines) {
    const QDateTime time = QDateTime::fromString(line.section(QLatin1Char(','), 0, 0), Qt::ISODateWithMs);
    ASSERT_TRUE(time.isValid()) << line.toStdString();
    if (previous.isValid()) {
      EXPECT_GT(time, previous);
    }
    previous = time;
  }
}

TEST_F(LiveRecorderTest, AFailingWriteStopsTheRecordingAndKeepsTheRowsBefore) {
  LiveRecorder recorder(Items);
  SteadyTimes(recorder);
  QByteArray written;
  auto device = std::make_unique<FailingDevice>(300, written);
  QStringList failures;
  QObject::connect(&recorder, &LiveRecorder::Failed, [&](const QString &reason) { failures << reason; });
  ASSERT_TRUE(recorder.Start(std::move(device)));
  for (int i = 0; i < 10 && recorder.Recording(); ++i)
    Cycle(51);
  EXPECT_FALSE(recorder.Recording());
  EXPECT_EQ(failures, QStringList{QStringLiteral("No space left on device")});
  EXPECT_EQ(recorder.ErrorText(), QStringLiteral("No space left on device"));
  // What reached the device is the header and whole rows, as many as counted.
  EXPECT_GE(recorder.Rows(), 1);
  EXPECT_EQ(written.count('\n'), recorder.Rows() + 1);
  EXPECT_TRUE(written.endsWith('\n'));
  // Items no longer know the recorder.
  for (TNoxPacketData *item : Items)
    EXPECT_FALSE(item->Observers().contains(&recorder));
}

TEST_F(LiveRecorderTest, AFullDiskStopsTheRecordingAndTheFileStaysReadable) {
#if defined(_WIN32)
  GTEST_SKIP() << "a small tmpfs needs Linux";
#else
  if (geteuid() != 0)
    GTEST_SKIP() << "mounting a small tmpfs needs root";
#endif
  const QString mountPoint = Dir.filePath(QStringLiteral("small"));
  ASSERT_TRUE(QDir().mkpath(mountPoint));
  if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=8k", "tmpfs", mountPoint}) != 0)
    GTEST_SKIP() << "tmpfs cannot be mounted here";
  struct Unmount {
    QString Path;
    ~Unmount() { QProcess::execute(QStringLiteral("umount"), {Path}); }
  } unmount{mountPoint};

  LiveRecorder recorder(Items);
  SteadyTimes(recorder);
  QStringList failures;
  QObject::connect(&recorder, &LiveRecorder::Failed, [&](const QString &reason) { failures << reason; });
  const QString path = mountPoint + QStringLiteral("/road.csv");
  ASSERT_TRUE(recorder.Start(path));
  for (int i = 0; i < 1000 && recorder.Recording(); ++i)
    Cycle(51);
  ASSERT_FALSE(recorder.Recording()) << "8 KiB must fill up";
  ASSERT_EQ(failures.size(), 1);
  EXPECT_FALSE(failures[0].isEmpty());

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  // Every row counted as written is in the file in full, and nothing else:
  // a row the full disk cut off is taken back out.
  QList<QByteArray> lines = text.split('\n');
  ASSERT_TRUE(lines.takeLast().isEmpty()) << "the file ends with a whole line";
  ASSERT_EQ(lines.size(), recorder.Rows() + 1);
  const QRegularExpression row(QStringLiteral(R"(^2026-05-04T[0-9:.]+(,[0-9.]+){9}$)"));
  for (int i = 1; i <= recorder.Rows(); ++i)
    EXPECT_TRUE(row.match(QString::fromLatin1(lines[i])).hasMatch()) << lines[i].toStdString();
  EXPECT_GT(recorder.Rows(), 50);
}

TEST_F(LiveRecorderTest, AFileThatCannotBeCreatedIsRefusedWithTheReason) {
  LiveRecorder recorder(Items);
  EXPECT_FALSE(recorder.Start(Dir.filePath(QStringLiteral("missing/road.csv"))));
  EXPECT_FALSE(recorder.Recording());
  EXPECT_FALSE(recorder.ErrorText().isEmpty());
}

} // namespace
