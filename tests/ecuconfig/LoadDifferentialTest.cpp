// Loading only the bytes a file changes must leave the unit and the program
// exactly where sending every value in two passes leaves them. Random units
// (fitter-settable values with some odd bytes, both yellow-wire variants,
// sometimes a byte that cannot be read) take random files saved from other
// random units, edited, pushed out of limits, broken and padded with unknown
// keys; each file is loaded both ways onto two copies of the same unit.
// NOX_LOAD_CASES sets the number of cases (default 200).
#include "ModuleFixture.h"

#include "dataitems/NoxMessageEvent.h"
#include "ecuconfig/ConfigurationEnvelope.h"
#include "ecuconfig/ConfigurationFile.h"
#include "storage/TMemIniData.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <random>

namespace {

using namespace catalogue_test;

struct Outcome {
  QByteArray Memory;
  QList<std::int32_t> Raw;
  QList<bool> Valid;
  QList<double> Limits; // min, max and coefficient B of every item
  QString Failures;
  QStringList Notified;
};

class Bench {
public:
  explicit Bench(std::uint32_t seed) : m_random(seed) {}

  // A unit's memory: every parameter at a value its limits allow, computed
  // with the item's own conversion, and now and then a byte of any value.
  QByteArray RandomImage() {
    QByteArray image(256, '\0');
    TSerialDataModule scratch;
    for (TNoxSerialData *data : scratch.DataItems()) {
      auto *item = qobject_cast<TNoxNumber *>(data);
      if (!item || !item->ByAddress())
        continue;
      const int mask = item->DataMask();
      auto &byte = reinterpret_cast<std::uint8_t &>(image[item->Address()]);
      const bool limited = item->ValueMin() < item->ValueMax();
      for (int attempt = 0; attempt < 30; ++attempt) {
        const int merged = (byte & ~mask) | (Pick(0, 255) & mask);
        const double user = item->ConvertToUser(merged);
        if (!limited || (user >= item->ValueMin() && user <= item->ValueMax())) {
          byte = static_cast<std::uint8_t>(merged);
          break;
        }
      }
      if (item == scratch.TIPO_ACCENSIONE)
        scratch.SetSpeedCoefficient(byte & 7);
    }
    for (int address = 0; address < 256; ++address)
      if (Pick(0, 19) == 0)
        image[address] = static_cast<char>(Pick(0, 255));
    if (Pick(0, 9) != 0)
      image[161] = static_cast<char>(172);
    return image;
  }

  // What a fitter's file may hold: another unit's configuration, a few values
  // edited or out of any limit, broken or missing entries, unknown keys.
  QByteArray RandomFile(const QByteArray &source, bool edit, const QString &folder) {
    Connect(source, folder, Pick(0, 1) == 1, -1);
    RecordingUserInterface ui;
    TSerialDataModule module;
    module.ConnectAndReadAll(4, 0);
    QByteArray text = ConfigurationFile(module).IniText();
    QByteArray block;
    block.append(4, '\0');
    block.append(text);
    const auto length = static_cast<std::uint32_t>(text.size());
    std::memcpy(block.data(), &length, 4);
    TMemIniData parsed(&block);
    const QString section = QStringLiteral("CONFIGURAZIONE");
    for (TNoxSerialData *item : module.DataItems()) {
      if (!edit || item->FileKeyName().isEmpty())
        continue;
      const QString key = item->FileKeyName();
      switch (Pick(0, 24)) {
      case 0:
        parsed.WriteString(section, key, QString::number(Pick(-50, 300)));
        break;
      case 1:
        parsed.WriteString(section, key, QString::number(item->ValueMax() * 3 + 7));
        break;
      case 2:
        parsed.WriteString(section, key, QStringLiteral("abc"));
        break;
      case 3:
        parsed.DeleteKey(section, key);
        break;
      case 4:
        parsed.WriteString(section, key, item->FileValueText(Pick(0, 255)));
        break;
      default:
        break;
      }
    }
    if (edit && Pick(0, 2) == 0)
      parsed.WriteString(section, QStringLiteral("CHIAVE SCONOSCIUTA"), QStringLiteral("12"));
    module.CloseConnection(false);
    return ConfigurationEnvelope::Seal(parsed.TextBytes());
  }

  // Points the simulated unit at a memory file holding `image`.
  void Connect(const QByteArray &image, const QString &folder, bool yellowWire, int unreadable) {
    const QString memory = folder + QStringLiteral("/unit.bin");
    QFile::remove(memory);
    QFile file(memory);
    file.open(QIODevice::WriteOnly);
    file.write(image);
    file.close();
    QFile config(folder + QStringLiteral("/simecu.ini"));
    config.open(QIODevice::WriteOnly);
    config.write("latency_ms = 0\ndefault_acquired_after_ms = 3600000\npersist = true\n");
    config.write(("memory_image = " + memory + "\n").toLocal8Bit());
    config.write(yellowWire ? "identification = 1 36 26 0 0 0 0 0\n" : "identification = 1 36 1 0 0 0 0 0\n");
    if (unreadable >= 0)
      config.write("read_fail = " + QByteArray::number(unreadable) + "\n");
    config.close();
    qputenv("NOX_SIMECU_CONFIG", config.fileName().toLocal8Bit());
  }

  Outcome Load(const QByteArray &image, const QString &folder, const QString &fileName, bool yellowWire,
               int unreadable, bool writeAll) {
    Connect(image, folder, yellowWire, unreadable);
    RecordingUserInterface ui;
    TSerialDataModule module;
    module.ConnectAndReadAll(4, 0);
    Outcome outcome;
    // The windows redraw from MSG_DATA_CHANGED: which items were told.
    RecordingObserver recorder(outcome.Notified);
    for (TNoxSerialData *item : module.DataItems())
      item->AddObserver(&recorder);
    ui.Messages.clear();
    module.LoadConfiguration(fileName, writeAll, nullptr);
    module.CloseConnection(false);
    QFile memory(folder + QStringLiteral("/unit.bin"));
    memory.open(QIODevice::ReadOnly);
    outcome.Memory = memory.readAll();
    for (TNoxSerialData *item : module.DataItems()) {
      if (item->DataKind() == 3)
        continue;
      outcome.Raw << item->RawValue();
      outcome.Valid << item->DataValid();
      outcome.Limits << item->ValueMin() << item->ValueMax() << item->CoeffB();
    }
    for (const auto &message : ui.Messages)
      outcome.Failures += message.Text;
    outcome.Notified.removeDuplicates();
    outcome.Notified.sort();
    return outcome;
  }

  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

private:
  class RecordingObserver : public QObject {
  public:
    explicit RecordingObserver(QStringList &names) : m_names(names) {}
    bool event(QEvent *event) override {
      if (event->type() == static_cast<QEvent::Type>(MSG_DATA_CHANGED))
        if (auto *message = static_cast<NoxMessageEvent *>(event))
          m_names << reinterpret_cast<QObject *>(message->WParam())->objectName();
      return QObject::event(event);
    }

  private:
    QStringList &m_names;
  };

  std::mt19937 m_random;
};

TEST(LoadDifferential, ChangedBytesOnlyEndsWhereWritingEveryValueEnds) {
  FakeClock clock; // the handlers' waits cost nothing
  const QByteArray previous = qgetenv("NOX_SIMECU_CONFIG");
  const int cases =
      qEnvironmentVariableIsSet("NOX_LOAD_CASES") ? qEnvironmentVariableIntValue("NOX_LOAD_CASES") : 200;
  QTemporaryDir dir;
  const QString folder = dir.path();
  const QString fileName = dir.filePath(QStringLiteral("load.kfg"));
  int differing = 0;
  for (int n = 0; n < cases; ++n) {
    SCOPED_TRACE(testing::Message() << "case " << n);
    Bench bench(static_cast<std::uint32_t>(n) * 7919u + 17u);
    const QByteArray image = bench.RandomImage();
    const bool yellowWire = bench.Pick(0, 1) == 1;
    const int unreadable = bench.Pick(0, 3) == 0 ? bench.Pick(123, 226) : -1;
    // A file saved from this very unit now and then: nothing to write.
    const bool same = bench.Pick(0, 4) == 0;
    const QByteArray file = bench.RandomFile(same ? image : bench.RandomImage(), !same, folder);
    ASSERT_TRUE(ConfigurationEnvelope::WriteFile(fileName, file));
    const Outcome fast = bench.Load(image, folder, fileName, yellowWire, unreadable, false);
    const Outcome full = bench.Load(image, folder, fileName, yellowWire, unreadable, true);
    ASSERT_EQ(fast.Memory.size(), 256);
    EXPECT_EQ(QString::fromLatin1(fast.Memory.toHex(' ')), QString::fromLatin1(full.Memory.toHex(' ')));
    EXPECT_EQ(fast.Raw, full.Raw);
    EXPECT_EQ(fast.Valid, full.Valid);
    EXPECT_EQ(fast.Limits, full.Limits);
    EXPECT_EQ(fast.Failures, full.Failures);
    EXPECT_EQ(fast.Notified, full.Notified);
    differing += fast.Memory != image ? 1 : 0;
    if (testing::Test::HasFailure())
      break;
  }
  // The files did change the units: the comparison was not of idle loads.
  EXPECT_GT(differing, cases / 2);
  qputenv("NOX_SIMECU_CONFIG", previous);
}

} // namespace
