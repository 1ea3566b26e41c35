// Reading all items with each address asked once changes nothing but the
// exchanges: the same connect with every read going to the unit shows the
// same events, in the same order, with the same values.
#include "dataitems/ForwardingProtocolObject.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/WrappingLibraryLoader.h"
#include "ecuconfig/ConnectSequence.h"
#include "ecuconfig/TSerialDataModule.h"
#include "support/CaseName.h"
#include "support/FakeClock.h"
#include "support/RecordingUserInterface.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

// Passes every exchange on to the simulated unit and writes it down. The
// unit's engine stands still (each status packet carries the bytes of the
// first), so two runs see the same live values however many packets they ask
// for.
class RecordingObject final : public ForwardingProtocolObject {
public:
  explicit RecordingObject(NoxProtocolObject *inner) : ForwardingProtocolObject(inner) {}
  ~RecordingObject() = default;
  QStringList Exchanges;

  bool Connect() override { return Note(QStringLiteral("connect"), Inner()->Connect()); }
  bool ReadAtAddress(std::uint32_t c, std::int32_t a, std::int32_t *v) override {
    return Note(QStringLiteral("read %1").arg(a), Inner()->ReadAtAddress(c, a, v));
  }
  bool WriteAtAddress(std::uint32_t c, std::int32_t a, std::int32_t v) override {
    return Note(QStringLiteral("write %1=%2").arg(a).arg(v), Inner()->WriteAtAddress(c, a, v));
  }
  bool ReadValue(std::uint32_t c, std::int32_t *v) override {
    return Note(QStringLiteral("value %1").arg(c), Inner()->ReadValue(c, v));
  }
  // The unit is asked each time (its status word stays its own), but the
  // bytes are those of the first packet.
  bool ReadPacket(std::uint32_t c, std::uint8_t *b, std::int32_t *l) override {
    const std::int32_t capacity = *l;
    if (!Inner()->ReadPacket(c, b, l))
      return Note(QStringLiteral("packet"), false);
    if (!m_packet) {
      m_packet.emplace(b, b + *l);
      m_capacity = capacity;
    }
    EXPECT_EQ(capacity, m_capacity) << "every packet read asks for as much";
    std::copy(m_packet->begin(), m_packet->end(), b);
    *l = static_cast<std::int32_t>(m_packet->size());
    return Note(QStringLiteral("packet"), true);
  }

private:
  bool Note(const QString &exchange, bool ok) {
    Exchanges << exchange + (ok ? QString() : QStringLiteral(" failed"));
    return ok;
  }
  std::optional<std::vector<std::uint8_t>> m_packet;
  std::int32_t m_capacity = 0;
};

using RecordingLoader = WrappingLibraryLoader<RecordingObject>;

// Every message a data item sends its observers, with the item's value then.
class ObserverLog final : public QObject {
public:
  explicit ObserverLog(QStringList &log) : m_log(log) {}
  bool event(QEvent *event) override {
    auto *message = dynamic_cast<NoxMessageEvent *>(event);
    if (!message)
      return QObject::event(event);
    auto *item = reinterpret_cast<TNoxSerialData *>(message->WParam());
    m_log << QStringLiteral("message %1 %2 %3 raw=%4 valid=%5")
                 .arg(message->Message(), 0, 16)
                 .arg(item ? item->objectName() : QStringLiteral("-"))
                 .arg(message->LParam())
                 .arg(item ? item->RawValue() : 0)
                 .arg(item && item->DataValid());
    return true;
  }

private:
  QStringList &m_log;
};

class LoggingUserInterface final : public RecordingUserInterface {
public:
  explicit LoggingUserInterface(QStringList &log) : m_log(log) {}
  void SetProgress(std::uint8_t amount, bool absolute) override {
    m_log << QStringLiteral("progress %1").arg(amount);
    RecordingUserInterface::SetProgress(amount, absolute);
  }

private:
  QStringList &m_log;
};

class LoggingClock final : public FakeClock {
public:
  explicit LoggingClock(QStringList &log) : m_log(log) {}
  void Sleep(std::uint32_t milliseconds) override {
    m_log << QStringLiteral("sleep %1").arg(milliseconds);
    FakeClock::Sleep(milliseconds);
  }

private:
  QStringList &m_log;
};

struct Recording {
  QStringList Events;
  QStringList Exchanges;
  QStringList FinalState;
};

// Connects to a simulated unit set up by `unitLines` and reads everything.
Recording ConnectAndRecord(const QByteArray &unitLines, bool everyRead) {
  Recording run;
  QTemporaryDir dir;
  const QString configPath = dir.filePath(QStringLiteral("simecu.ini"));
  QFile config(configPath);
  EXPECT_TRUE(config.open(QIODevice::WriteOnly));
  // The engine held at one moment: the two runs read the live values at
  // different times, and a slow machine must not tell them apart.
  config.write("latency_ms = 0\ndefault_acquired_after_ms = 3600000\nengine_time_ms = 5000\n" + unitLines);
  config.close();
  qputenv("NOX_SIMECU_CONFIG", configPath.toLocal8Bit());

  LoggingUserInterface ui(run.Events);
  LoggingClock clock(run.Events);
  TSerialDataModule module;
  auto loader = std::make_unique<RecordingLoader>();
  RecordingLoader *recording = loader.get();
  module.NoxConnection->SetLibraryLoader(std::move(loader));
  ObserverLog observer(run.Events);
  for (TNoxSerialData *item : module.DataItems()) {
    item->AddObserver(&observer);
    item->OnGetData = [&run, handler = item->OnGetData](TNoxSerialData *sender) {
      run.Events << QStringLiteral("get %1 raw=%2").arg(sender->objectName()).arg(sender->RawValue());
      if (handler)
        handler(sender);
    };
    item->OnError = [&run, handler = item->OnError](TNoxSerialData *sender, int code, bool writing) {
      run.Events << QStringLiteral("error %1 %2 %3").arg(sender->objectName()).arg(code).arg(writing);
      if (handler)
        handler(sender, code, writing);
    };
  }

  EXPECT_EQ(module.ConnectAndReadAll(4, everyRead ? ConnectSequence::OPTION_READ_EVERY_TIME : 0), 0);
  for (TNoxSerialData *item : module.DataItems())
    run.FinalState << QStringLiteral("%1 raw=%2 valid=%3 limits=%4..%5 b=%6")
                          .arg(item->objectName())
                          .arg(item->RawValue())
                          .arg(item->DataValid())
                          .arg(item->ValueMin())
                          .arg(item->ValueMax())
                          .arg(item->CoeffB());
  if (!recording->Object)
    return run;
  // Outside a read-all a reload asks the unit again.
  const qsizetype before = recording->Object->Exchanges.size();
  module.TIPO_CAMBIO->Reload();
  EXPECT_EQ(recording->Object->Exchanges.mid(before), QStringList{QStringLiteral("read 163")});
  run.Exchanges = recording->Object->Exchanges.mid(0, before);
  module.CloseConnection(false);
  qunsetenv("NOX_SIMECU_CONFIG");
  return run;
}

// What is left of the exchanges of a read-all that asks for every read when
// each address and the status packet are asked only once: after a successful
// read, every later read of its address (or packet) goes, until something
// that may change the unit (a write) happens. Failed reads all stay.
QStringList WithoutRepeatedReads(const QStringList &exchanges) {
  QStringList kept;
  QSet<QString> answered;
  for (const QString &exchange : exchanges) {
    const bool failed = exchange.endsWith(QLatin1String(" failed"));
    const bool keptOnce =
        !failed && (exchange.startsWith(QLatin1String("read ")) || exchange == QLatin1String("packet"));
    const bool read = exchange.startsWith(QLatin1String("read ")) ||
                      exchange.startsWith(QLatin1String("packet")) ||
                      exchange.startsWith(QLatin1String("value "));
    if (keptOnce && answered.contains(exchange))
      continue;
    if (keptOnce)
      answered.insert(exchange);
    else if (!read)
      answered.clear();
    kept << exchange;
  }
  return kept;
}

// Empty when both lists are equal, else where they part.
std::string FirstDifference(const QStringList &actual, const QStringList &expected) {
  qsizetype i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
    ++i;
  if (i == actual.size() && i == expected.size())
    return {};
  return QStringLiteral("entry %1 of %2/%3: \"%4\" where \"%5\" was expected, after \"%6\"")
      .arg(i)
      .arg(actual.size())
      .arg(expected.size())
      .arg(actual.value(i, QStringLiteral("(end)")), expected.value(i, QStringLiteral("(end)")),
           i > 0 ? actual[i - 1] : QString())
      .toStdString();
}

struct UnitCase {
  const char *name;
  QByteArray unitLines;
  // Bytes set before the connect: address, value.
  std::vector<std::pair<int, int>> bytes;
};

void PrintTo(const UnitCase &c, std::ostream *os) {
  *os << c.name;
}

class ReadAllOnceTest : public ::testing::TestWithParam<UnitCase> {};

TEST_P(ReadAllOnceTest, SameEventsAndValuesWithEachAddressAskedOnce) {
  const UnitCase &c = GetParam();
  QTemporaryDir dir;
  QByteArray lines = c.unitLines;
  if (!c.bytes.empty()) {
    // A unit that keeps its memory: set the bytes through the library, then
    // start both runs from the image it left.
    const QByteArray image = dir.filePath(QStringLiteral("unit.bin")).toLocal8Bit();
    QFile config(dir.filePath(QStringLiteral("setup.ini")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("persist = true\nmemory_image = " + image + "\n");
    config.close();
    qputenv("NOX_SIMECU_CONFIG", config.fileName().toLocal8Bit());
    {
      RecordingUserInterface ui;
      TNoxConnection connection;
      connection.SetDllName(QStringLiteral("ProtoNOX.dll"));
      ASSERT_TRUE(connection.LoadProtocolLibrary());
      NoxProtocolObject *unit = connection.ProtocolObject();
      ASSERT_TRUE(unit->Connect());
      for (const auto &[address, value] : c.bytes)
        ASSERT_TRUE(unit->WriteAtAddress(0, address, value)) << address;
    }
    lines += "memory_image = " + image + "\n";
  }

  const Recording every = ConnectAndRecord(lines, true);
  const Recording once = ConnectAndRecord(lines, false);
  ASSERT_FALSE(every.Events.isEmpty());
  EXPECT_EQ(FirstDifference(once.Events, every.Events), "");
  EXPECT_EQ(FirstDifference(once.FinalState, every.FinalState), "");
  EXPECT_EQ(FirstDifference(once.Exchanges, WithoutRepeatedReads(every.Exchanges)), "")
      << "only repeated reads go";
  EXPECT_EQ(once.Exchanges.count(QStringLiteral("packet")), 1);
  EXPECT_LT(once.Exchanges.size(), every.Exchanges.size());
}

// Factory images, an odd one (throttle sensor falling, change-over type 2,
// the cut-off position above the largest opening, which the actuator handler
// rewrites in the middle of the read-all), both yellow-wire variants, and
// units that fail to answer at a byte a handler reloads or that four items
// share.
const QByteArray kWithoutYellowWire = "identification = 1 36 1 0 0 0 0 0\n";
const std::vector<std::pair<int, int>> kOddBytes{{164, 0x21}, {163, 0x54}, {207, 200}, {206, 230}, {225, 15}};

INSTANTIATE_TEST_SUITE_P(Units, ReadAllOnceTest,
                         ::testing::Values(UnitCase{"factory", "", {}},
                                           UnitCase{"factory without yellow wire", kWithoutYellowWire, {}},
                                           UnitCase{"odd bytes", "", kOddBytes},
                                           UnitCase{"odd bytes without yellow wire", kWithoutYellowWire,
                                                    kOddBytes},
                                           UnitCase{"default position unreadable", "read_fail = 168\n", {}},
                                           UnitCase{"shared byte unreadable",
                                                    kWithoutYellowWire + "read_fail = 164\n", kOddBytes}),
                         CaseName<UnitCase>);

} // namespace
