#include "dataitems/LiveCsvWriter.h"
#include "dataitems/LiveRecorder.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/ConfigurationReport.h"
#include "platform/DynamicLibrary.h"
#include "support/CaseName.h"
#include "support/WaitFor.h"
#include "translator/TTranslator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimeZone>
#include <array>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

struct Result {
  int exitCode = -1;
  QString out;
  QString err;
};

// Each test gets a simulated unit of its own whose memory lives in a file, so
// that one ecuctl process finds what the previous one left in the unit.
class EcuctlTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    Configure({});
  }

  void Configure(const QStringList &extraLines) {
    QFile config(Path("unit.ini"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QStringList lines{QStringLiteral("latency_ms = 0"), QStringLiteral("default_acquired_after_ms = 0"),
                      QStringLiteral("memory_image = ") + Path("unit.bin"), QStringLiteral("persist = 1")};
    lines << extraLines;
    config.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
  }

  QString Path(const QString &name) const { return dir.filePath(name); }

  // childSetup runs in the child before ecuctl starts (limits, for example).
  Result Run(const QStringList &arguments, const std::function<void()> &childSetup = {},
             const QStringList &extraEnvironment = {}) const {
    QProcess process;
    if (childSetup)
      process.setChildProcessModifier(childSetup);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &assignment : extraEnvironment)
      environment.insert(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));
    environment.insert(QStringLiteral("NOX_SIMECU_CONFIG"), Path("unit.ini"));
    environment.insert(QStringLiteral("NOX_HISTORY_DIR"), Path("history"));
    process.setProcessEnvironment(environment);
    process.start(DynamicLibrary::ExecutableFolder() + QStringLiteral("/ecuctl"), arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
  }

  QTemporaryDir dir;
};

TEST_F(EcuctlTest, HelpListsCommandsAndExitCodes) {
  const Result result = Run({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  for (const char *word : {"identify", "read", "set NAME=VALUE", "erase-eeprom", "Exit codes", "10 diff"})
    EXPECT_TRUE(result.out.contains(QLatin1String(word))) << word;
  EXPECT_TRUE(result.out.contains(DynamicLibrary::PlatformFileName(QStringLiteral("ProtoNOX.dll"))));
  EXPECT_FALSE(result.out.contains(QLatin1Char('@'))) << "no placeholder is left";
}

TEST_F(EcuctlTest, ReadListsEveryItemAsJson) {
  const Result result = Run({"read", "--format", "json"});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  const QJsonArray items = QJsonDocument::fromJson(result.out.toUtf8()).array();
  ASSERT_EQ(items.size(), 78);
  const QJsonObject first = items.at(0).toObject();
  EXPECT_EQ(first.value("name").toString(), QStringLiteral("TIPO_ACCENSIONE"));
  EXPECT_EQ(first.value("location").toString(), QStringLiteral("addr 163"));
  EXPECT_EQ(first.value("value").toString(), QStringLiteral("4"));
  EXPECT_EQ(first.value("key").toString(), QStringLiteral("TIPO ACCENSIONE"));
  EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
}

TEST_F(EcuctlTest, SetWritesTheUnitAndAnotherRunReadsItBack) {
  Result result = Run({"set", "TIPO_ACCENSIONE=5", "tempo_sovrapposizione=0,6"});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.out.contains(QStringLiteral("TIPO_ACCENSIONE=5\n")));
  EXPECT_TRUE(result.out.contains(QStringLiteral("TEMPO_SOVRAPPOSIZIONE=0.6\n")));
  result = Run({"get", "TIPO_ACCENSIONE", "TEMPO_SOVRAPPOSIZIONE", "TIPO_EMULAZIONE"});
  EXPECT_EQ(result.out, QStringLiteral("TIPO_ACCENSIONE=5\nTEMPO_SOVRAPPOSIZIONE=0.6\nTIPO_EMULAZIONE=2\n"));
}

TEST_F(EcuctlTest, HistoryListsEveryConnectionAndShowsItsChanges) {
  ASSERT_EQ(Run({"set", "GiriCutOff=1800"}).exitCode, 0);
  ASSERT_EQ(Run({"save", Path("car.kfg")}).exitCode, 0);
  ASSERT_EQ(Run({"set", "GiriCutOff=2000"}).exitCode, 0);
  ASSERT_EQ(Run({"load", Path("car.kfg")}).exitCode, 0);
  auto json = [this](const QStringList &arguments) {
    const Result result = Run(arguments);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out.toUtf8()).array();
  };

  const QJsonArray connections = json({"history", "--format", "json"});
  ASSERT_EQ(connections.size(), 4) << "one entry per command that connected";
  QStringList changes;
  for (const QJsonValue &connection : connections)
    changes << connection[QLatin1String("changes")].toString();
  // The oldest also holds the first connect's correction of the over-rev speed.
  EXPECT_EQ(changes, (QStringList{"1", "1", "0", "2"})) << "newest first";
  EXPECT_EQ(connections[0][QLatin1String("n")].toString(), QStringLiteral("1"));

  auto only = [](const QJsonArray &records) {
    EXPECT_EQ(records.size(), 1);
    return records.isEmpty() ? QJsonObject() : records[0].toObject();
  };
  const QJsonObject load = only(json({"history", "show", "1", "--format", "json"}));
  EXPECT_EQ(load[QLatin1String("item")].toString(), QStringLiteral("GiriCutOff"));
  EXPECT_EQ(load[QLatin1String("origin")].toString(), QStringLiteral("file-load"));
  EXPECT_EQ(load[QLatin1String("detail")].toString(), QDir::toNativeSeparators(Path("car.kfg")));
  EXPECT_EQ(load[QLatin1String("old")].toString(), QStringLiteral("2000"));
  EXPECT_EQ(load[QLatin1String("new")].toString(), QStringLiteral("1800"));
  EXPECT_EQ(load[QLatin1String("outcome")].toString(), QStringLiteral("written"));
  const QJsonObject edit = only(json({"history", "show", "2", "--format", "json"}));
  EXPECT_EQ(edit[QLatin1String("origin")].toString(), QStringLiteral("field-edit"));
  EXPECT_FALSE(edit[QLatin1String("caption")].toString().isEmpty());

  // A torn line at the end of a log is skipped with a warning, never fatal.
  const QString id = connections[0][QLatin1String("id")].toString();
  QFile log(QDir(Path("history")).filePath(id + QStringLiteral(".jsonl")));
  ASSERT_TRUE(log.open(QIODevice::Append));
  log.write("{\"time\": \"2026-12-09T06:3");
  log.close();
  const Result torn = Run({"history", "show", "1", "--format", "csv"});
  EXPECT_EQ(torn.exitCode, 0);
  EXPECT_FALSE(torn.err.isEmpty());
  EXPECT_EQ(torn.out.count(QStringLiteral("GiriCutOff")), 1);

  const Result missing = Run({"history", "show", "5"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.err.contains(QStringLiteral("lists 4"))) << missing.err.toStdString();
}

struct UsageCase {
  const char *name;
  QStringList arguments;
};

class UsageTest : public EcuctlTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageTest, IsRefusedWithExitCodeOne) {
  const Result result = Run(GetParam().arguments);
  EXPECT_EQ(result.exitCode, 1) << GetParam().name;
  EXPECT_FALSE(result.err.isEmpty()) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, UsageTest,
    ::testing::Values(UsageCase{"unknown_command", {"fly"}}, UsageCase{"unknown_item", {"get", "NOPE"}},
                      UsageCase{"not_a_number", {"set", "TIPO_ACCENSIONE=abc"}},
                      UsageCase{"no_value", {"set", "TIPO_ACCENSIONE"}},
                      UsageCase{"live_value_is_read_only", {"set", "VAL_GIRI=800"}},
                      UsageCase{"unknown_format", {"read", "--format", "xml"}},
                      UsageCase{"erase_without_yes", {"erase-eeprom"}},
                      UsageCase{"short_interval", {"live", "--interval", "5"}},
                      UsageCase{"option_of_another_command", {"get", "GiriCutOff", "--yes"}},
                      UsageCase{"command_option_before_the_command", {"--format", "csv", "read"}},
                      UsageCase{"missing_value", {"read", "--format"}}));

TEST_F(EcuctlTest, SaveDiffLoadRoundTrip) {
  ASSERT_EQ(Run({"set", "GiriCutOff=1800"}).exitCode, 0);
  ASSERT_EQ(Run({"save", Path("car.kfg")}).exitCode, 0);
  EXPECT_EQ(Run({"diff", Path("car.kfg")}).exitCode, 0);
  ASSERT_EQ(Run({"set", "GiriCutOff=2500", "VelIngrMinimo=70"}).exitCode, 0);
  const Result diff = Run({"diff", Path("car.kfg")});
  EXPECT_EQ(diff.exitCode, 10);
  EXPECT_TRUE(diff.out.contains(QStringLiteral("GIRI CUTOFF: file 1800, unit 2500")));
  EXPECT_TRUE(diff.out.contains(QStringLiteral("TEMPO TRA PASSI AD INGRASSARE AL MINIMO: file 60, unit 70")));
  // Only the two changed bytes travel; every value, changed or not, with
  // --write-all; nothing when the unit already holds the file.
  const Result load = Run({"load", Path("car.kfg")});
  EXPECT_EQ(load.exitCode, 0) << load.err.toStdString();
  EXPECT_TRUE(load.out.contains(QStringLiteral("2 values written, 65 already in the unit"))) << load.out.toStdString();
  EXPECT_EQ(Run({"diff", Path("car.kfg")}).exitCode, 0);
  const Result again = Run({"load", Path("car.kfg")});
  EXPECT_TRUE(again.out.contains(QStringLiteral("0 values written, 67 already in the unit"))) << again.out.toStdString();
  const Result all = Run({"load", "--write-all", Path("car.kfg")});
  EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
  EXPECT_TRUE(all.out.contains(QStringLiteral("67 values written, 0 already in the unit"))) << all.out.toStdString();
  EXPECT_EQ(Run({"diff", Path("car.kfg")}).exitCode, 0);
}

// A load of chosen values is the plain load of a file that differs from the
// unit only in them (and what goes with them), byte for byte; an unknown key
// writes nothing.
TEST_F(EcuctlTest, LoadOnlyIsThePlainLoadOfAFileDifferingInTheChosenValues) {
  auto memory = [this] {
    QFile file(Path("unit.bin"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  auto setMemory = [this](const QByteArray &bytes) {
    QFile file(Path("unit.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
  };
  ASSERT_EQ(Run({"identify"}).exitCode, 0);
  const QByteArray start = memory();
  ASSERT_FALSE(start.isEmpty());
  // The file: the ignition type (its speeds follow), a speed, the overlap
  // time, and values that are not chosen.
  const QStringList chosenSets{"TIPO_ACCENSIONE=5", "GiriCutOff=1800", "TEMPO_SOVRAPPOSIZIONE=0.6"};
  ASSERT_EQ(Run(QStringList{"set"} + chosenSets + QStringList{"RITARDO_LETTURA_SONDA=10", "TIPO_SONDA_LAMBDA=2",
                                                             "VelIngrMinimo=70"})
                .exitCode,
            0);
  ASSERT_EQ(Run({"save", Path("car.kfg")}).exitCode, 0);
  // The same unit with only the chosen values changed, saved and loaded.
  setMemory(start);
  ASSERT_EQ(Run(QStringList{"set"} + chosenSets).exitCode, 0);
  ASSERT_EQ(Run({"save", Path("chosen.kfg")}).exitCode, 0);
  setMemory(start);
  ASSERT_EQ(Run({"load", Path("chosen.kfg")}).exitCode, 0);
  const QByteArray plainLoad = memory();
  ASSERT_NE(plainLoad, start);

  setMemory(start);
  // Keys as read prints them, or item names, in any case.
  const Result only = Run({"load", "--only", "GIRI CUTOFF,tempo_sovrapposizione", Path("car.kfg")});
  ASSERT_EQ(only.exitCode, 0) << only.err.toStdString();
  EXPECT_EQ(memory(), plainLoad);
  EXPECT_TRUE(only.out.contains(QStringLiteral("(only TIPO ACCENSIONE"))) << only.out.toStdString();
  // The change log names the file and the keys chosen.
  const Result history = Run({"history", "show", "1", "--format", "json"});
  const QJsonArray changes = QJsonDocument::fromJson(history.out.toUtf8()).array();
  ASSERT_FALSE(changes.isEmpty()) << history.out.toStdString();
  bool namesTheChoice = false;
  for (const QJsonValue &change : changes)
    namesTheChoice = namesTheChoice || change.toObject().value("detail").toString().contains(
                                           QStringLiteral("car.kfg (only TIPO ACCENSIONE"));
  EXPECT_TRUE(namesTheChoice) << history.out.toStdString();

  // The same faults from the same start: a refused ignition type or speed,
  // an address the unit does not know, a line lost halfway. Both ways leave
  // the same bytes and exit alike.
  for (const char *fault : {"write_fail = 163", "write_fail = 204", "undefined = 204", "lose_connection_after = 6"}) {
    SCOPED_TRACE(fault);
    Configure({QString::fromLatin1(fault)});
    setMemory(start);
    const Result plain = Run({"load", Path("chosen.kfg")});
    const QByteArray plainBytes = memory();
    setMemory(start);
    const Result chosen = Run({"load", "--only", "GiriCutOff,TEMPO_SOVRAPPOSIZIONE", Path("car.kfg")});
    EXPECT_NE(chosen.exitCode, 0);
    EXPECT_EQ(chosen.exitCode, plain.exitCode) << chosen.err.toStdString();
    EXPECT_EQ(memory().toHex(' ').toStdString(), plainBytes.toHex(' ').toStdString());
  }
  Configure({});

  setMemory(start);
  const Result unknown = Run({"load", "--only", "GiriCutOff,NO SUCH KEY", Path("car.kfg")});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_TRUE(unknown.err.contains(QStringLiteral("\"NO SUCH KEY\""))) << unknown.err.toStdString();
  EXPECT_EQ(memory(), start) << "nothing may be written";
}

TEST_F(EcuctlTest, DecryptAndEncryptAreInverse) {
  ASSERT_EQ(Run({"save", Path("car.kfg")}).exitCode, 0);
  const Result plain = Run({"decrypt", Path("car.kfg")});
  ASSERT_EQ(plain.exitCode, 0);
  EXPECT_TRUE(plain.out.startsWith(QStringLiteral("[CONFIGURAZIONE]\r\nTIPO ACCENSIONE=4\r\n")));
  QFile ini(Path("car.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write(plain.out.toLatin1());
  ini.close();
  ASSERT_EQ(Run({"encrypt", Path("car.ini"), Path("again.kfg")}).exitCode, 0);
  EXPECT_EQ(Run({"decrypt", Path("again.kfg")}).out, plain.out);
}

TEST_F(EcuctlTest, BrokenAndIncompleteFiles) {
  QFile garbage(Path("garbage.kfg"));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write("not a configuration file");
  garbage.close();
  EXPECT_EQ(Run({"load", Path("garbage.kfg")}).exitCode, 7);
  EXPECT_EQ(Run({"decrypt", Path("missing.kfg")}).exitCode, 7);

  QFile ini(Path("partial.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[CONFIGURAZIONE]\r\nTIPO ACCENSIONE=1\r\n");
  ini.close();
  ASSERT_EQ(Run({"encrypt", Path("partial.ini"), Path("partial.kfg")}).exitCode, 0);
  const Result load = Run({"load", Path("partial.kfg")});
  EXPECT_EQ(load.exitCode, 8);
  EXPECT_TRUE(load.err.contains(QStringLiteral("It was impossible to load the following data:")))
      << load.err.toStdString();
  EXPECT_EQ(Run({"get", "TIPO_ACCENSIONE"}).out, QStringLiteral("TIPO_ACCENSIONE=1\n"))
      << "what loaded stays";
}

TEST_F(EcuctlTest, EraseEepromRestoresTheFactoryConfiguration) {
  ASSERT_EQ(Run({"set", "POSIZIONE_DEFAULT=120"}).exitCode, 0);
  const Result erase = Run({"erase-eeprom", "--yes"});
  EXPECT_EQ(erase.exitCode, 0) << erase.err.toStdString();
  EXPECT_EQ(Run({"get", "POSIZIONE_DEFAULT"}).out, QStringLiteral("POSIZIONE_DEFAULT=100\n"));
}

TEST_F(EcuctlTest, LiveLogsTheRequestedNumberOfRows) {
  const Result result = Run({"live", "--interval", "50", "--count", "3", "--format", "csv"});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  const QStringList lines = result.out.trimmed().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("time,VALORE_LAMBDA,")));
  EXPECT_EQ(lines[1].count(QLatin1Char(',')), 9);
}

// A road test recorded in the desktop program and a log of `ecuctl live`
// read the same way: same header, same row form.
TEST_F(EcuctlTest, LiveLogAndRecordingHaveOneForm) {
  const Result log = Run({"live", "--interval", "50", "--count", "2", "--format", "csv"});
  ASSERT_EQ(log.exitCode, 0) << log.err.toStdString();

  TSerialDataModule module;
  const QList<TNoxPacketData *> items = LiveCsvWriter::LiveItems(module.DataItems());
  LiveRecorder recorder(items);
  ASSERT_TRUE(recorder.Start(Path("road.csv")));
  std::array<std::uint8_t, 4 + 9> packet{9, 0, 0, 0, 40, 51, 30, 100, 100, 1, 1, 0, 90};
  for (TNoxPacketData *item : items)
    item->ReceiveData(packet.data());
  ASSERT_TRUE(WaitFor([&] { return recorder.Rows() == 1; }));
  recorder.Stop();
  QFile recorded(Path("road.csv"));
  ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));

  const QStringList logLines = log.out.trimmed().split(QLatin1Char('\n'));
  const QStringList fileLines = QString::fromLatin1(recorded.readAll()).trimmed().split(QLatin1Char('\n'));
  ASSERT_EQ(logLines.size(), 3);
  ASSERT_EQ(fileLines.size(), 2);
  EXPECT_EQ(fileLines[0], logLines[0]);
  const QRegularExpression row(
      QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(,-?[0-9.]+(e[-+]\d+)?){9}$)"));
  for (const QString &line : {logLines[1], logLines[2], fileLines[1]})
    EXPECT_TRUE(row.match(line).hasMatch()) << line.toStdString();
}

TEST_F(EcuctlTest, LiveStopsWhenItsOutputCannotBeWritten) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("NOX_SIMECU_CONFIG"), Path("unit.ini"));
  process.setProcessEnvironment(environment);
  process.setStandardOutputFile(QStringLiteral("/dev/full"));
  process.start(DynamicLibrary::ExecutableFolder() + QStringLiteral("/ecuctl"), {"live", "--interval", "20"});
  ASSERT_TRUE(process.waitForFinished(20000)) << "live must not run on with a full disk";
  EXPECT_EQ(process.exitCode(), 7);
  EXPECT_TRUE(process.readAllStandardError().contains("could not be written"));
}

struct FaultCase {
  const char *name;
  QStringList config;
  QStringList arguments;
  int exitCode;
};

class FaultTest : public EcuctlTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, GivesItsOwnExitCodeAndAMessage) {
  const auto c = GetParam();
  Configure(c.config);
  const Result result = Run(c.arguments);
  EXPECT_EQ(result.exitCode, c.exitCode) << c.name << ": " << result.err.toStdString();
  EXPECT_FALSE(result.err.isEmpty()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Unit, FaultTest,
    ::testing::Values(
        FaultCase{"library_missing", {}, {"--library", "NoSuchLibrary.dll", "identify"}, 2},
        FaultCase{"no_answer", {"no_identification = 1"}, {"identify"}, 3},
        FaultCase{"unsupported_variant", {"identification = 1 36 2 0 0 0 0 0"}, {"identify"}, 4},
        FaultCase{"unsupported_kind", {"identification = 3 36 26 0 0 0 0 0"}, {"read"}, 4},
        FaultCase{"connect_refused", {"refuse_connect = 1"}, {"read"}, 5},
        FaultCase{"connection_lost_while_reading", {"lose_connection_after = 30"}, {"read"}, 5},
        FaultCase{"failing_write", {"write_fail = 216"}, {"set", "TEMPO_SOVRAPPOSIZIONE=0.6"}, 6},
        FaultCase{"library_too_old", {"dll_major_version = 0"}, {"identify"}, 2}));

// Refused writes leave byte 163 (ignition, change-over and emulation types)
// exactly as it was, and ecuctl says so with exit code 6.
struct RefusedSetCase {
  const char *name;
  QStringList config;
  const char *assignment;
};

class RefusedSetTest : public EcuctlTest, public ::testing::WithParamInterface<RefusedSetCase> {};

TEST_P(RefusedSetTest, ExitsSixAndLeavesTheSharedByte) {
  const auto c = GetParam();
  Configure(c.config);
  const Result result = Run({"set", QString::fromLatin1(c.assignment)});
  EXPECT_EQ(result.exitCode, 6) << c.name << ": " << result.err.toStdString();
  EXPECT_TRUE(result.err.contains(QStringLiteral("was refused"))) << c.name;
  Configure({});
  EXPECT_EQ(Run({"get", "TIPO_ACCENSIONE", "TIPO_CAMBIO", "TIPO_EMULAZIONE"}).out,
            QStringLiteral("TIPO_ACCENSIONE=4\nTIPO_CAMBIO=0\nTIPO_EMULAZIONE=2\n"))
      << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Byte163, RefusedSetTest,
    ::testing::Values(RefusedSetCase{"byte cannot be read", {"read_fail = 163"}, "TIPO_ACCENSIONE=5"},
                      RefusedSetCase{"bits beyond the ignition type", {}, "TIPO_ACCENSIONE=9"},
                      RefusedSetCase{"negative ignition type", {}, "TIPO_ACCENSIONE=-1"},
                      RefusedSetCase{"bits beyond the change-over type", {}, "TIPO_CAMBIO=5"}),
    CaseName<RefusedSetCase>);

// The core's texts come from the language library in the chosen language.
struct MessageCase {
  const char *name;
  QStringList config;
  QStringList arguments;
  const char *expected;
};

class MessageTest : public EcuctlTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(MessageTest, ShowsTheWholeTextInItsLanguage) {
  const auto c = GetParam();
  Configure(c.config);
  const Result result = Run(c.arguments);
  EXPECT_NE(result.exitCode, 0) << c.name;
  EXPECT_EQ(result.err, QString::fromUtf8(c.expected)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Languages, MessageTest,
    ::testing::Values(
        MessageCase{"no answer, English", {"no_identification = 1"}, {"identify"},
                    "error: Connect: The ECU does not answer.\n  Check the cable and that the ignition is on.\n"
                    "  (ERR.CODE: C01)\n"},
        MessageCase{"no answer, Italian", {"no_identification = 1"}, {"--language", "0", "identify"},
                    "error: Connect: La centralina non risponde.\n  Controllare il collegamento e che il quadro "
                    "sia acceso.\n  (ERR.CODE: C01)\n"},
        MessageCase{"unsupported, English", {"identification = 1 36 2 0 0 0 0 0"}, {"identify"},
                    "error: Connect: ECU not recognised.\n"},
        MessageCase{"unsupported, Italian", {"identification = 1 36 2 0 0 0 0 0"}, {"--language", "0", "identify"},
                    "error: Connect: Centralina non riconosciuta.\n"},
        MessageCase{"no such folder, English", {}, {"save", "/nonexistent-folder/car.kfg"},
                    "error: File Error: The file /nonexistent-folder/car.kfg could not be saved:\n"
                    "  No such file or directory\n"},
        MessageCase{"no such folder, Italian", {}, {"--language", "0", "save", "/nonexistent-folder/car.kfg"},
                    "error: Errore file: Impossibile salvare il file /nonexistent-folder/car.kfg:\n"
                    "  No such file or directory\n"},
        MessageCase{"line lost during the read-all", {"lose_connection_after = 30"}, {"identify"},
                    "error: Connection: the connection to the unit was lost\n"}),
    CaseName<MessageCase>);

// A save that cannot complete keeps the previous file whole and fails with
// exit code 7, whether the disk is full or the process may not write more,
// and says which file and why: the file is there, and it could be replaced.
class FailedSaveTest : public EcuctlTest {
protected:
  void ExpectRefusedSave(const QString &file, const QString &reason,
                         const std::function<void()> &childSetup = {}) {
    QFile previous(file);
    ASSERT_TRUE(previous.open(QIODevice::ReadOnly));
    const QByteArray before = previous.readAll();
    previous.close();
    ASSERT_GT(before.size(), 1000);
    const Result result = Run({"save", file}, childSetup);
    EXPECT_EQ(result.exitCode, 7) << result.err.toStdString();
    EXPECT_FALSE(result.out.contains(QStringLiteral("saved")));
    EXPECT_TRUE(result.err.contains(QStringLiteral("The file %1 could not be saved:\n  %2").arg(file, reason)))
        << result.err.toStdString();
    EXPECT_FALSE(result.err.contains(QStringLiteral("cannot be replaced"))) << result.err.toStdString();
    ASSERT_TRUE(previous.open(QIODevice::ReadOnly));
    EXPECT_EQ(previous.readAll(), before) << "the previous file is untouched";
  }
};

TEST_F(FailedSaveTest, FileSizeLimitKeepsThePreviousFile) {
  ASSERT_EQ(Run({"save", Path("car.kfg")}).exitCode, 0);
  ExpectRefusedSave(Path("car.kfg"), QStringLiteral("File too large"), [] {
    std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of killing ecuctl
    const rlimit limit{200, 200};
    setrlimit(RLIMIT_FSIZE, &limit);
  });
  ASSERT_EQ(Run({"encrypt", Path("car.kfg"), Path("copy.kfg")}).exitCode, 0);
  const Result encrypt = Run({"encrypt", Path("car.kfg"), Path("copy.kfg")}, [] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{200, 200};
    setrlimit(RLIMIT_FSIZE, &limit);
  });
  EXPECT_EQ(encrypt.exitCode, 7);
  EXPECT_GT(QFileInfo(Path("copy.kfg")).size(), 1000) << "the previous target is untouched";
}

TEST_F(FailedSaveTest, FullDiskKeepsThePreviousFile) {
  const QString disk = Path("disk");
  ASSERT_TRUE(QDir().mkpath(disk));
  if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=64k", "tmpfs", disk}) != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root); the file-size limit test covers the path";
  const QString file = disk + QStringLiteral("/car.kfg");
  ASSERT_EQ(Run({"save", file}).exitCode, 0);
  QFile filler(disk + QStringLiteral("/filler"));
  ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
  const QByteArray block(1024, 'x');
  while (filler.write(block) == block.size()) {
  }
  filler.close();
  ExpectRefusedSave(file, QStringLiteral("No space left on device"));
  QProcess::execute(QStringLiteral("umount"), {disk});
}

// Under the exact name "SerNoxDL.dll" a protocol library needs major version
// 5: the real variant libraries, found by the platform's search path.
TEST_F(EcuctlTest, SerNoxLibraryNeedsMajorVersionFive) {
  for (const auto &[folder, exitCode] : {std::pair{"v4", 2}, std::pair{"v5", 0}}) {
    const QString path = DynamicLibrary::ExecutableFolder() + QStringLiteral("/variants/") + QLatin1String(folder);
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("/libSerNoxDL.so"))) << path.toStdString();
    const Result result =
        Run({"--library", "SerNoxDL.dll", "identify"}, {}, {QStringLiteral("LD_LIBRARY_PATH=") + path});
    EXPECT_EQ(result.exitCode, exitCode) << folder << ": " << result.err.toStdString();
    EXPECT_EQ(result.err.count(QStringLiteral("SER dll not found or out of date!")), exitCode != 0 ? 1 : 0)
        << folder << ": said once";
  }
}

// A report states only what the unit gave: a field whose read failed says
// "not read" and the exit code says so. The connect's own correction of a
// factory unit is a change of the report's connection.
TEST_F(EcuctlTest, AReportStatesNothingUnreadAndHoldsTheConnectsCorrection) {
  TSerialDataModule texts;
  ASSERT_TRUE(texts.LoadLanguageLibrary());
  texts.Translator->SetLanguage(1);
  auto report = [this](const char *name) {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  };
  const Result factory = Run({"report", Path("factory.txt")});
  EXPECT_EQ(factory.exitCode, 0) << factory.err.toStdString();
  EXPECT_FALSE(report("factory.txt").contains(texts.Text(268)));
  EXPECT_TRUE(report("factory.txt").contains(QStringLiteral("12000 RPM \u2192 20000 RPM")));

  ASSERT_EQ(Run({"set", "TIPO_ACCENSIONE=2", "GiriPerCambio=2500"}).exitCode, 0);
  Configure({QStringLiteral("read_fail = 163, 223")});
  const Result unread = Run({"report", Path("unread.txt")});
  EXPECT_EQ(unread.exitCode, 11);
  const QString text = report("unread.txt");
  // The ignition type and the change-over speed, as the unit gave them: not at all.
  for (const int caption : {27, 42}) {
    const QRegularExpression row(QStringLiteral("(^|\\n)") + QRegularExpression::escape(texts.Text(caption)) +
                                 QStringLiteral(" {2,}(.*)\\n"));
    const QRegularExpressionMatch match = row.match(text);
    ASSERT_TRUE(match.hasMatch()) << caption;
    EXPECT_EQ(match.captured(2), texts.Text(301)) << caption;
    EXPECT_TRUE(unread.err.contains(texts.Text(caption))) << unread.err.toStdString();
  }
}

// A restore point keeps the unit it was read from: into another unit it
// goes only with --yes; an incomplete one never.
TEST_F(EcuctlTest, ARestorePointOfAnotherUnitNeedsYesAndAnIncompleteOneIsRefused) {
  auto restorePoint = [this](int n) {
    const QJsonArray connections =
        QJsonDocument::fromJson(Run({"history", "--format", "json"}).out.toUtf8()).array();
    QFile entry(QDir(Path("history")).filePath(connections[n - 1][QLatin1String("id")].toString() + ".json"));
    EXPECT_TRUE(entry.open(QIODevice::ReadOnly));
    return QDir(Path("history")).filePath(
        QJsonDocument::fromJson(entry.readAll())[QLatin1String("restorePoint")].toString());
  };
  auto cutOff = [this] { return Run({"get", "GiriCutOff"}).out.trimmed(); };
  ASSERT_EQ(Run({"set", "GiriCutOff=1800"}).exitCode, 0);
  const QString factory = restorePoint(1);

  Configure({QStringLiteral("identification = 1 36 126 0 0 0 0 0")});
  const Result refused = Run({"load", factory});
  EXPECT_EQ(refused.exitCode, 12);
  EXPECT_TRUE(refused.err.contains(QStringLiteral("(1-36-26)")) && refused.err.contains(QStringLiteral("1-36-126")))
      << refused.err.toStdString();
  EXPECT_EQ(cutOff(), QStringLiteral("GiriCutOff=1800")) << "nothing written";
  const Result allowed = Run({"load", "--yes", factory});
  EXPECT_NE(allowed.exitCode, 12) << allowed.err.toStdString();
  EXPECT_EQ(cutOff(), QStringLiteral("GiriCutOff=1500"));

  Configure({QStringLiteral("read_fail = 163")});
  ASSERT_EQ(Run({"identify"}).exitCode, 0);
  const QString incomplete = restorePoint(1);
  Configure({});
  const Result partial = Run({"load", "--yes", incomplete});
  EXPECT_EQ(partial.exitCode, 7);
  EXPECT_TRUE(partial.err.contains(QStringLiteral("TIPO ACCENSIONE"))) << partial.err.toStdString();
}

// The report for the customer, as ecuctl writes it and as the core model
// renders a connection's change log, in the format the name asks for.
struct ReportCase {
  const char *name;
  const char *File;
  int Language;
};

class ReportTest : public EcuctlTest, public ::testing::WithParamInterface<ReportCase> {
protected:
  // A field's caption and value as a row of a page's table.
  static bool HasRow(const QString &report, bool html, const QString &caption, const QString &value) {
    const QString pattern =
        html ? QStringLiteral("<td>") + QRegularExpression::escape(caption.toHtmlEscaped()) +
                   QStringLiteral("</td><td>") + QRegularExpression::escape(value.toHtmlEscaped()) +
                   QStringLiteral("</td>")
             : QStringLiteral("(^|\\n)") + QRegularExpression::escape(caption) + QStringLiteral(" {2,}") +
                   QRegularExpression::escape(value) + QStringLiteral("\\n");
    return report.contains(QRegularExpression(pattern));
  }
};

TEST_P(ReportTest, HoldsTheUnitEveryShownFieldAndTheChangesInTheLanguage) {
  const ReportCase &c = GetParam();
  const bool html = ConfigurationReport::IsHtmlName(QLatin1String(c.File));
  TSerialDataModule texts;
  ASSERT_TRUE(texts.LoadLanguageLibrary());
  texts.Translator->SetLanguage(c.Language);
  auto text = [&texts](int id) { return texts.Text(id); };

  ASSERT_EQ(Run({"set", "TIPO_ACCENSIONE=4", "TEMPO_SOVRAPPOSIZIONE=0.6", "TIPO_CAMBIO=2"}).exitCode, 0);
  // The unit as the workshop history names it: kind, family, variant.
  const QStringList bytes =
      Run({"identify"}).out.section(QLatin1Char('\n'), 0, 0).section(": ", 1).split(QLatin1Char(' '));
  ASSERT_EQ(bytes.size(), 8);
  const QString identification = bytes.mid(0, 3).join(QLatin1Char('-'));
  const Result result = Run({"--language", QString::number(c.Language), "report", Path(c.File)});
  ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
  QFile file(Path(c.File));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString report = QString::fromUtf8(file.readAll());
  EXPECT_EQ(report.startsWith(QLatin1String("<!DOCTYPE html>")), html);
  for (const QString &part : {text(262), identification, QStringLiteral(NOX_VERSION_STRING), text(24),
                              text(26), text(268), text(132)})
    EXPECT_TRUE(report.contains(html ? part.toHtmlEscaped() : part)) << part.toStdString();
  EXPECT_TRUE(HasRow(report, html, text(27), text(28 + 4))) << "a combo box shows its item";
  EXPECT_TRUE(
      HasRow(report, html, text(43), QStringLiteral("0") + QLocale().decimalPoint() + QStringLiteral("6 s")))
      << "a value with its unit";
  EXPECT_TRUE(HasRow(report, html, text(90), text(273))) << "a check box";
  EXPECT_FALSE(report.contains(text(42))) << "the speed field is hidden while the change is by time";
  EXPECT_FALSE(report.contains(text(84))) << "the cut-off fields are hidden while it is off";

  // The change log: a check box's bit, a refused and a failed write.
  auto record = [](const char *item, double oldValue, double newValue, std::int32_t oldRaw,
                   std::int32_t newRaw, ItemWrite::Result outcome, int status) {
    ChangeRecord change;
    change.Time = QDateTime(QDate(2026, 12, 9), QTime(6, 30, 5), QTimeZone::utc());
    change.Item = QLatin1String(item);
    change.OldValue = oldValue;
    change.NewValue = newValue;
    change.OldRaw = oldRaw;
    change.NewRaw = newRaw;
    change.Outcome = outcome;
    change.Status = status;
    return change;
  };
  texts.LoadAllDefaults(); // as the desktop program shows a unit it has not read
  const ConfigurationReport model = ConfigurationReport::Build(
      texts, {record("FLAG_GONFIGURAZIONE", 1, 5, 1, 5, ItemWrite::Result::Written, 0),
              record("GiriCutOff", 2000, 2500, 20, 25, ItemWrite::Result::Refused, 2),
              record("TIPO_ACCENSIONE", 0, 4, 0, 4, ItemWrite::Result::Failed, 3)});
  const QString rendered = html ? model.Html() : model.PlainText();
  const QString arrow = QStringLiteral(" \u2192 ");
  const QString changes[] = {
      text(83) + (html ? "</td><td>" : ": ") + text(273) + arrow + text(272),
      text(84) + (html ? "</td><td>" : ": ") + "2000 RPM" + arrow + "2500 RPM (" + text(275) + ")",
      text(27) + (html ? "</td><td>" : ": ") + text(28) + arrow + text(32) + " (" + text(276).arg(3) + ")",
      text(277),
  };
  for (const QString &part : changes)
    EXPECT_TRUE(
        rendered.contains(html ? part.toHtmlEscaped().replace("&lt;/td&gt;&lt;td&gt;", "</td><td>") : part))
        << part.toStdString();
  EXPECT_FALSE(rendered.contains(text(268))) << "changes were logged";
}

INSTANTIATE_TEST_SUITE_P(Formats, ReportTest,
                         ::testing::Values(ReportCase{"plain_text_english", "car.txt", 1},
                                           ReportCase{"html_german", "car.html", 2},
                                           ReportCase{"htm_polish", "car.HTM", 4},
                                           ReportCase{"plain_text_italian", "car", 0}),
                         CaseName<ReportCase>);

} // namespace

namespace {

// A load cut short, by a killed program or by a lost line, is said at the
// next connect and finished or put back byte for byte, or left as it is and
// not asked about again.
class RecoveryTest : public EcuctlTest {
protected:
  QByteArray Memory() const {
    QFile file(Path("unit.bin"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void SetMemory(const QByteArray &bytes) const {
    QFile file(Path("unit.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }

  // Starts a load on a slow unit and kills it once the unit has taken a few
  // of its values.
  void KillInTheMiddleOfALoad(const QByteArray &start, const QStringList &load) {
    Configure({QStringLiteral("latency_ms = 15")});
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NOX_SIMECU_CONFIG"), Path("unit.ini"));
    environment.insert(QStringLiteral("NOX_HISTORY_DIR"), Path("history"));
    process.setProcessEnvironment(environment);
    process.start(DynamicLibrary::ExecutableFolder() + QStringLiteral("/ecuctl"), load);
    // The connect on the slow line comes first: up to 20 s on a busy machine.
    const auto loading = [&] {
      const QByteArray now = Memory();
      return now.size() == start.size() && now != start;
    };
    ASSERT_TRUE(WaitFor(loading) || WaitFor(loading) || WaitFor(loading) || WaitFor(loading));
    QThread::msleep(200);
    ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
    process.waitForFinished(5000);
    Configure({});
  }
};

TEST_F(RecoveryTest, ALoadCutShortIsFinishedOrPutBackOrLeft) {
  ASSERT_EQ(Run({"set", "TIPO_ACCENSIONE=3", "GiriCutOff=1800", "TIPO_TPS=1", "TPS_PER_AFFONDATA=3"}).exitCode, 0);
  ASSERT_EQ(Run({"save", Path("other.kfg")}).exitCode, 0);
  ASSERT_EQ(Run({"erase-eeprom", "--yes"}).exitCode, 0);
  // A factory unit's over-rev speed is corrected at every connect: the unit
  // before a load is the unit after that.
  ASSERT_EQ(Run({"get", "TIPO_ACCENSIONE"}).exitCode, 0);
  const QByteArray start = Memory();
  ASSERT_EQ(Run({"load", Path("other.kfg")}).exitCode, 0);
  const QByteArray loaded = Memory();
  ASSERT_NE(loaded, start);
  // Only the ignition type, with the speeds it converts; not the TPS.
  const char *chosenKeys = "TIPO_ACCENSIONE";
  SetMemory(start);
  ASSERT_EQ(Run({"load", "--only", chosenKeys, Path("other.kfg")}).exitCode, 0);
  const QByteArray chosen = Memory();
  ASSERT_NE(chosen, start);
  ASSERT_NE(chosen, loaded);

  struct Case {
    const char *cut; // "kill" or the exchange after which the line is lost
    const char *choice;
    bool onlyChosen = false; // load --only, killed in the ignition type's settling second
  };
  const Case cases[] = {{"kill", "finish"}, {"kill", "undo"},         {"100", "finish"},
                        {"100", "undo"},    {"kill", "leave"},        {"kill", "finish", true},
                        {"kill", "undo", true}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.cut << ", " << c.choice << (c.onlyChosen ? ", chosen values" : ""));
    SetMemory(start);
    if (c.onlyChosen) {
      KillInTheMiddleOfALoad(start, {QStringLiteral("load"), QStringLiteral("--only"),
                                     QString::fromLatin1(chosenKeys), Path("other.kfg")});
    } else if (QByteArray(c.cut) == "kill") {
      KillInTheMiddleOfALoad(start, {QStringLiteral("load"), QStringLiteral("--write-all"), Path("other.kfg")});
    } else {
      Configure({QStringLiteral("lose_connection_after = ") + QString::fromLatin1(c.cut)});
      EXPECT_EQ(Run({"load", "--write-all", Path("other.kfg")}).exitCode, 5);
      Configure({});
    }
    // Any command that connects says so, and how to go on.
    const Result said = Run({"get", "TIPO_ACCENSIONE"});
    EXPECT_TRUE(said.err.contains(QStringLiteral("ecuctl recover"))) << said.err.toStdString();
    EXPECT_TRUE(said.err.contains(QDir::toNativeSeparators(Path("other.kfg")))) << said.err.toStdString();
    // The unit as the next connect finds it (and corrects it).
    const QByteArray cut = Memory();
    const QByteArray whole = c.onlyChosen ? chosen : loaded;
    ASSERT_NE(cut, start);
    ASSERT_NE(cut, whole);
    const Result recovered = Run({"recover", c.choice});
    EXPECT_EQ(recovered.exitCode, 0) << recovered.err.toStdString();
    const QByteArray expected = QByteArray(c.choice) == "finish" ? whole : QByteArray(c.choice) == "undo" ? start : cut;
    EXPECT_EQ(Memory().toHex(' ').toStdString(), expected.toHex(' ').toStdString());
    const Result again = Run({"get", "TIPO_ACCENSIONE"});
    EXPECT_FALSE(again.err.contains(QStringLiteral("ecuctl recover"))) << again.err.toStdString();
  }
  EXPECT_EQ(Run({"recover", "finish"}).out, QStringLiteral("no load into this unit was cut short\n"));
  EXPECT_EQ(Run({"recover", "later"}).exitCode, 1);
}

} // namespace
