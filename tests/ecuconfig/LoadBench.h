// Loads a configuration file into the simulated unit the way a fitter
// does, from a memory image and with faults of the unit's own, and keeps
// what came of it: the unit's memory afterwards, what every item holds and
// shows, and what the fitter was told.
#pragma once
#include "ModuleFixture.h"

#include "dataitems/NoxMessageEvent.h"
#include "ecuconfig/ConfigurationComparison.h"
#include "ecuconfig/ConfigurationEnvelope.h"
#include "ecuconfig/ConfigurationFile.h"
#include "storage/TMemIniData.h"
#include "translator/TTranslator.h"

#include <QCoreApplication>

#include <QFile>
#include <cstring>
#include <functional>
#include <random>

namespace load_test {

using namespace catalogue_test;

// What an item holds: its own bits of the byte at its address.
struct Shown {
  QString Key;
  int Address;
  int Mask;
  std::int32_t Raw;
};

struct Outcome {
  bool Connected = false;
  bool Complete = false;
  LoadSummary Summary;
  QList<Shown> Holds;
  QStringList Named; // every line of every message
  QByteArray Memory;
  QList<std::int32_t> Raw;
  QList<bool> Valid;
  QList<int> Addresses; // of the items in Raw and Valid, -1 where none
  QStringList Names;
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
    Connect(source, folder, Pick(0, 1) == 1);
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

  // The unit's configuration file as it is after `edit`, and its memory then.
  QByteArray FileAfter(const QByteArray &image, const QString &folder,
                       const std::function<void(TSerialDataModule &)> &edit, QByteArray *memory = nullptr) {
    Connect(image, folder, true);
    RecordingUserInterface ui;
    TSerialDataModule module;
    module.ConnectAndReadAll(4, 0);
    edit(module);
    // A write of the check value makes the unit keep its memory in the file.
    module.CHECKUP->SetIntValue(172);
    const QByteArray text = ConfigurationFile(module).IniText();
    module.CloseConnection(false);
    if (memory)
      *memory = UnitMemory(folder);
    return ConfigurationEnvelope::Seal(text);
  }

  // The file's keys whose values differ from what a unit with `memory`
  // holds, as `ecuctl diff` finds them.
  QStringList DiffKeys(const QByteArray &memory, const QString &folder, const QString &fileName) {
    Connect(memory, folder, true);
    RecordingUserInterface ui;
    TSerialDataModule module;
    module.ConnectAndReadAll(4, 0);
    ConfigurationComparison comparison;
    comparison.Compare(module, fileName);
    module.CloseConnection(false);
    QStringList keys;
    LastDiff.clear();
    for (const ConfigurationComparison::Difference &difference : comparison.Differences()) {
      keys << difference.Key;
      LastDiff += difference.Key + QStringLiteral(": file ") + difference.FileText + QStringLiteral(", unit ") + difference.UnitText + QLatin1Char('\n');
    }
    return keys;
  }

  // The fitter's messages in the program's own words.
  static void UseLanguageLibrary(TSerialDataModule &module) {
    module.Translator->SetDllName(QCoreApplication::applicationDirPath() + QStringLiteral("/Languages.dll"));
    module.Translator->LoadLanguageLibrary();
  }

  static QByteArray UnitMemory(const QString &folder) {
    QFile memory(folder + QStringLiteral("/unit.bin"));
    memory.open(QIODevice::ReadOnly);
    return memory.readAll();
  }

  // Points the simulated unit at a memory file holding `image` (the factory
  // image when empty), with extra settings lines (the faults).
  void Connect(const QByteArray &image, const QString &folder, bool yellowWire, const QByteArray &faults = {}) {
    const QString memory = folder + QStringLiteral("/unit.bin");
    QFile::remove(memory);
    if (!image.isEmpty()) {
      QFile file(memory);
      file.open(QIODevice::WriteOnly);
      file.write(image);
      file.close();
    }
    QFile config(folder + QStringLiteral("/simecu.ini"));
    config.open(QIODevice::WriteOnly);
    config.write("latency_ms = 0\ndefault_acquired_after_ms = 3600000\npersist = true\n");
    config.write(("memory_image = " + memory + "\n").toLocal8Bit());
    config.write(yellowWire ? "identification = 1 36 26 0 0 0 0 0\n" : "identification = 1 36 1 0 0 0 0 0\n");
    config.write(faults);
    config.close();
    qputenv("NOX_SIMECU_CONFIG", config.fileName().toLocal8Bit());
  }

  Outcome Load(const QByteArray &image, const QString &folder, const QString &fileName, bool yellowWire,
               const QByteArray &faults, bool writeAll) {
    Connect(image, folder, yellowWire, faults);
    RecordingUserInterface ui;
    TSerialDataModule module;
    UseLanguageLibrary(module);
    Outcome outcome;
    // A line lost during the read-all leaves the program connected on paper.
    outcome.Connected = module.ConnectAndReadAll(4, 0) == 0 && module.NoxConnection->Loaded() &&
                        module.NoxConnection->LibraryObject()->IsConnected();
    if (!outcome.Connected)
      return outcome;
    // The windows redraw from MSG_DATA_CHANGED: which items were told.
    RecordingObserver recorder(outcome.Notified);
    for (TNoxSerialData *item : module.DataItems())
      item->AddObserver(&recorder);
    ui.Messages.clear();
    outcome.Complete = module.LoadConfiguration(fileName, writeAll, &outcome.Summary);
    // Whatever each item shows is what it holds, before anyone reads again.
    for (TNoxSerialData *data : module.DataItems())
      if (auto *item = qobject_cast<TNoxNumber *>(data); item && item->ByAddress() && !item->ReadOnly())
        outcome.Holds << Shown{item->FileKeyName(), item->Address(), item->DataMask(), item->RawValue()};
    module.CloseConnection(false);
    outcome.Memory = UnitMemory(folder);
    for (TNoxSerialData *item : module.DataItems()) {
      if (item->DataKind() == 3)
        continue;
      outcome.Raw << item->RawValue();
      outcome.Names << item->objectName();
      outcome.Valid << item->DataValid();
      auto *number = qobject_cast<TNoxNumber *>(item);
      outcome.Addresses << (number && number->ByAddress() ? number->Address() : -1);
      outcome.Limits << item->ValueMin() << item->ValueMax() << item->CoeffB();
    }
    for (const auto &message : ui.Messages) {
      outcome.Failures += message.Text;
      outcome.Named += message.Text.split(QLatin1Char('\n'));
    }
    outcome.Notified.removeDuplicates();
    outcome.Notified.sort();
    return outcome;
  }

  QString LastDiff;
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

} // namespace load_test
