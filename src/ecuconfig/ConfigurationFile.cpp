#include "ecuconfig/ConfigurationFile.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/WriteOrigin.h"
#include "ecuconfig/ChosenConfiguration.h"
#include "ecuconfig/ConfigurationEnvelope.h"
#include "ecuconfig/LoadLine.h"
#include "ecuconfig/ItemBulkOperations.h"
#include "ecuconfig/LoadWrites.h"
#include "ecuconfig/RehearsedLoad.h"
#include "ecuconfig/TSerialDataModule.h"
#include "ecuconfig/VehicleConfigView.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"
#include "storage/TMemIniData.h"
#include "translator/TTranslator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace {
constexpr int TEXT_LOAD_LABEL = 94;
constexpr int TEXT_SAVE_LABEL = 95;
constexpr int TEXT_LOAD_CAPTION = 96;
constexpr int TEXT_SAVE_CAPTION = 97;
constexpr int TEXT_CANNOT_REPLACE = 98;
constexpr int TEXT_FILE_ERROR_TITLE = 99;
constexpr int TEXT_CIPHER_FAILED = 100;
constexpr int TEXT_SAVE_FAILED = 202;
constexpr int TEXT_LOAD_STOPPED = 300;
// Any other value in the check byte makes the unit erase its EEPROM.
constexpr std::int32_t CHECK_VALUE = 172;

// Shows the wait window and the busy cursor for the lifetime of a scope, so
// that every path out of an operation removes them.
class WaitScope {
public:
  explicit WaitScope(const WaitRequest &request) {
    UserInterface::Current().SetBusyCursor(true);
    UserInterface::Current().BeginWait(request);
  }
  ~WaitScope() { End(); }
  WaitScope(const WaitScope &) = delete;
  WaitScope &operator=(const WaitScope &) = delete;
  void End() {
    if (m_ended)
      return;
    m_ended = true;
    UserInterface::Current().EndWait();
    UserInterface::Current().SetBusyCursor(false);
  }

private:
  bool m_ended = false;
};

void ShowProgress(int index, int count) {
  UserInterface::Current().SetProgress(static_cast<std::uint8_t>(index * 100 / count), true);
}
} // namespace

QByteArray ConfigurationFile::IniText(QStringList *failed, Progress progress) {
  TMemIniData ini(nullptr);
  const auto &components = m_module.Components();
  const int count = static_cast<int>(components.size());
  for (int i = 0; i < count; ++i) {
    if (progress == Progress::Shown)
      ShowProgress(i, count);
    auto *item = qobject_cast<TNoxSerialData *>(components[i]);
    if (!item || item->DataKind() == 3)
      continue;
    if (!item->SaveToIni(ini) && failed)
      failed->append(components[i]->objectName());
  }
  return ini.TextBytes();
}

bool ConfigurationFile::Save(const QString &fileName) {
  auto text = [this](int id) { return m_module.Text(id); };
  const QFileInfo target(fileName);
  // The previous file is replaced only by a complete new one, never deleted
  // first: a failed save leaves it as it was.
  if (target.exists() && !target.isWritable()) {
    UserInterface::Current().ShowMessage(text(TEXT_CANNOT_REPLACE), text(TEXT_FILE_ERROR_TITLE),
                                         MessageIcon::Error);
    return false;
  }
  QStringList failed;
  bool written = false;
  QString reason;
  {
    WaitScope wait(m_module.WaitRequestFor(TEXT_SAVE_CAPTION, TEXT_SAVE_LABEL));
    UserInterface::Current().SetProgress(0, true);
    const QByteArray plain = IniText(&failed);
    written = ConfigurationEnvelope::WriteFile(fileName, ConfigurationEnvelope::Seal(plain), &reason);
  }
  // A full disk or a folder that cannot be written has nothing to do with an
  // existing file: name the file and what the system said.
  if (!written)
    UserInterface::Current().ShowMessage(
        text(TEXT_SAVE_FAILED).arg(QDir::toNativeSeparators(fileName), reason), text(TEXT_FILE_ERROR_TITLE),
        MessageIcon::Error);
  if (!failed.isEmpty()) {
    UserInterface::Current().ShowMessage(SaveFailedText() + failed.join(QLatin1Char('\n')) +
                                             QLatin1Char('\n'),
                                         text(TEXT_FILE_ERROR_TITLE), MessageIcon::Error);
  }
  return written && failed.isEmpty();
}

// What one load did, item by item, in load order.
struct ConfigurationFile::LoadRun {
  struct Try {
    TNoxSerialData *Item;
    bool Loaded;
  };
  std::vector<Try> Tried;
  const LoadLine *Line = nullptr; // while the file loads value by value
  QList<TNoxSerialData *> Loaded;
  QStringList Failed;
};

void ConfigurationFile::LoadPass(TMemIniData &ini, int group, LoadRun &run) {
  const auto &components = m_module.Components();
  const int count = static_cast<int>(components.size());
  for (int i = 0; i < count; ++i) {
    ShowProgress(i, count);
    auto *item = qobject_cast<TNoxSerialData *>(components[i]);
    if (!item || item == m_module.RIPROGRAMMAZIONE || item->ReadOnly() || item->DataGroup() != group)
      continue;
    if (!m_module.YellowWireSupported() &&
        (item == m_module.GiriCutOffFiliGialli || item == m_module.GiriSgancioCutOffFiliGialli))
      continue;
    auto *number = qobject_cast<TNoxNumber *>(item);
    const bool inFile = number && ini.ValueExists(number->FileSection(), number->FileKey());
    const bool limitsOff = item->DisableLimits();
    item->SetDisableLimits(true);
    const bool loaded = item == m_module.CHECKUP ? LoadCheckByte(ini) : item->LoadFromIni(ini);
    item->SetDisableLimits(limitsOff);
    // Older files lack the lean-test steps; the unit's value then stands.
    // One that the file has and the unit did not take is a failure like any.
    if (loaded || item != m_module.NPassiTestMagroPower || inFile)
      run.Tried.push_back({item, loaded});
  }
}

// Sorts the tried entries into loaded and failed. On a byte the unit refused
// every entry counts as failed, also one whose value the byte already held
// (so that nothing was sent for it): the passes that send every value would
// have had it refused too.
void ConfigurationFile::SortTried(LoadRun &run) {
  for (const LoadRun::Try &tried : run.Tried) {
    auto *item = qobject_cast<TNoxNumber *>(tried.Item);
    const bool refusedByte =
        run.Line && item && item->ByAddress() && run.Line->RefusedAddresses().count(item->Address());
    if (tried.Loaded && !refusedByte) {
      run.Loaded.append(tried.Item);
      continue;
    }
    run.Failed.append(tried.Item->FileKeyName());
    // As after a write the unit failed.
    if (refusedByte && tried.Loaded)
      tried.Item->MarkUnread();
  }
}

bool ConfigurationFile::LoadCheckByte(TMemIniData &ini) {
  // A file must never erase the unit halfway through a load: only the check
  // value itself is written.
  TNoxNumber *check = m_module.CHECKUP;
  double value = 0;
  if (!NumberConversion::TryParseFloat(ini.ReadString(check->FileSection(), check->FileKey(), QString()),
                                       value) ||
      check->ConvertToEcu(value) != CHECK_VALUE)
    return false;
  return check->LoadFromIni(ini);
}

namespace {
// The unit's bytes as the items hold them. A byte is known only when every
// item on it holds a value read from or written to the unit and they agree;
// the others are left to the unit itself.
std::map<int, std::uint8_t> KnownBytes(TSerialDataModule &module) {
  // A check byte written with anything but the check value erased the unit
  // after the items were read: none of their bytes is the unit's any more.
  if (module.CHECKUP->RawValue() != CHECK_VALUE)
    return {};
  std::map<int, std::int32_t> bytes;
  std::set<int> unknown;
  for (TNoxSerialData *data : module.DataItems()) {
    auto *item = qobject_cast<TNoxNumber *>(data);
    if (!item || !item->ByAddress())
      continue;
    const int address = item->Address();
    const std::int32_t value = item->RawValue();
    // A read-only byte is the unit's own (flags it sets by itself); a value
    // the unit said it does not have is a default, not the unit's.
    if (!item->DataValid() || item->NotDefinedInUnit() || item->OldReadFileMode() || item->ReadOnly() ||
        value < 0 || value > 255 || (bytes.count(address) && bytes[address] != value))
      unknown.insert(address);
    bytes[address] = value;
  }
  std::map<int, std::uint8_t> known;
  for (const auto &[address, value] : bytes)
    if (!unknown.count(address))
      known[address] = static_cast<std::uint8_t>(value);
  return known;
}

// The load's line and clock in force for a scope, put back on every path out.
class LineScope {
public:
  LineScope(TNoxConnection &connection, LoadLine &line)
      : m_connection(connection), m_realClock(Clock::Current()), m_clock(line, m_realClock),
        m_previousFront(connection.FrontObject()) {
    connection.SetFrontObject(&line);
    Clock::SetCurrent(&m_clock);
  }
  ~LineScope() {
    Clock::SetCurrent(&m_realClock);
    // The line may have been freed meanwhile (the front object went with it).
    if (m_connection.Loaded())
      m_connection.SetFrontObject(m_previousFront);
  }
  LineScope(const LineScope &) = delete;
  LineScope &operator=(const LineScope &) = delete;

private:
  TNoxConnection &m_connection;
  Clock &m_realClock;
  LoadClock m_clock;
  NoxProtocolObject *m_previousFront;
};
} // namespace

void ConfigurationFile::LoadItems(TMemIniData &ini, LoadRun &run) {
  {
    WaitScope wait(m_module.WaitRequestFor(TEXT_LOAD_CAPTION, TEXT_LOAD_LABEL));
    UserInterface::Current().SetProgress(0, true);
    LoadPass(ini, 0, run);
    LoadPass(ini, 1, run);
  }
  ItemBulkOperations(m_module).NormaliseOverRev();
}

// Two items may own the same bits of a byte (the change-over speed and the
// priming time share one): a write by one leaves the other holding what was
// there before. Each item on a byte this load wrote takes the byte as the
// unit now holds it, as a read would give it, without asking the unit.
void ConfigurationFile::ShowWrittenBytes(const std::map<int, std::uint8_t> &bytes) {
  for (TNoxSerialData *data : m_module.DataItems()) {
    auto *item = qobject_cast<TNoxNumber *>(data);
    if (!item || !item->ByAddress() || item->DataLength() != 1)
      continue;
    const auto written = bytes.find(item->Address());
    if (written == bytes.end())
      continue;
    // The whole byte: an item that owns a few bits keeps the byte it last
    // read or wrote, the others' bits included.
    const std::uint8_t byte = written->second;
    if ((item->RawValue() & 0xFF) != byte)
      item->ReceiveData(&byte);
  }
}

bool ConfigurationFile::DecryptForLoad(const QString &fileName, QByteArray &block) {
  if (ConfigurationEnvelope::DecryptFile(fileName, block))
    return true;
  UserInterface::Current().ShowMessage(m_module.Text(TEXT_CIPHER_FAILED), m_module.Text(TEXT_FILE_ERROR_TITLE),
                                       MessageIcon::Error);
  return false;
}

bool ConfigurationFile::Load(const QString &fileName, LoadMode mode, LoadSummary *summary) {
  const WriteOrigin origin(WriteOrigin::Kind::FileLoad, QFileInfo(fileName).absoluteFilePath());
  QByteArray block;
  if (!DecryptForLoad(fileName, block))
    return false;
  QFile file(fileName);
  const QByteArray fileBytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  return LoadBlock(block, fileName, fileBytes, mode, summary);
}

bool ConfigurationFile::LoadChosen(const QString &fileName, const QList<const TNoxNumber *> &chosen, LoadMode mode,
                                   LoadSummary *summary) {
  QByteArray fileBlock;
  if (!DecryptForLoad(fileName, fileBlock))
    return false;
  const ChosenConfiguration choice(m_module, chosen);
  const WriteOrigin origin(WriteOrigin::Kind::FileLoad, QFileInfo(fileName).absoluteFilePath(), choice.Keys());
  // The unit with the chosen values in it, kept for recovery as a file of
  // its own: finishing a load cut short loads what was chosen, not the file.
  const QByteArray plain = choice.Text(fileBlock);
  QByteArray block = TMemIniData::MakeBlock(plain);
  return LoadBlock(block, fileName, ConfigurationEnvelope::Seal(plain), mode, summary);
}

bool ConfigurationFile::LoadBlock(QByteArray &block, const QString &fileName, const QByteArray &keptCopy,
                                  LoadMode mode, LoadSummary *summary) {
  TMemIniData ini(&block);
  LoadRun run;
  LoadSummary counts;
  TNoxConnection *connection = m_module.NoxConnection;
  NoxProtocolObject *unit = connection->Loaded() ? connection->LibraryObject() : nullptr;
  if (unit && unit->IsConnected()) {
    Q_EMIT m_module.LoadBegins(fileName, keptCopy);
    const std::map<int, std::uint8_t> known = KnownBytes(m_module);
    std::set<int> written;
    bool loaded = false;
    if (mode == LoadMode::ChangedBytesOnly) {
      RehearsedLoad rehearsal(m_module, *unit, known);
      loaded = rehearsal.Run([&] { LoadItems(ini, run); });
      if (loaded) {
        written = rehearsal.Written();
        ShowWrittenBytes(rehearsal.WrittenBytes());
        SortTried(run);
      } else {
        run = LoadRun();
        written = LoadValueByValue(ini, *unit, mode, known, rehearsal.SentBytes(), rehearsal.LineLost(), run, counts);
      }
    } else {
      written = LoadValueByValue(ini, *unit, mode, known, {}, false, run, counts);
    }
    for (TNoxSerialData *data : run.Loaded) {
      auto *item = qobject_cast<TNoxNumber *>(data);
      const bool spared = item && item->ByAddress() && !written.count(item->Address());
      ++(spared ? counts.AlreadyInUnit : counts.Written);
    }
    Q_EMIT m_module.LoadEnded(!counts.LineLost);
  } else {
    // Off line every write fails or stays in the program: the passes as
    // described, nothing to spare.
    LoadItems(ini, run);
    SortTried(run);
    counts.Written = static_cast<int>(run.Loaded.size());
  }
  if (VehicleConfigView *view = VehicleConfigView::Current())
    view->SyncCommutatore();
  if (summary)
    *summary = counts;
  SayLoadFailures(run, counts);
  return run.Failed.isEmpty();
}

std::set<int> ConfigurationFile::LoadValueByValue(TMemIniData &ini, NoxProtocolObject &unit, LoadMode mode,
                                                  const std::map<int, std::uint8_t> &known,
                                                  const std::map<int, std::uint8_t> &sentBefore, bool lostBefore,
                                                  LoadRun &run, LoadSummary &counts) {
  LoadLine line(unit, mode == LoadMode::ChangedBytesOnly ? LoadLine::Mode::SpareKnownBytes
                                                         : LoadLine::Mode::SendEveryWrite);
  for (const auto &[address, value] : known)
    line.Know(address, value);
  std::set<int> handlers;
  for (TNoxSerialData *data : m_module.DataItems())
    if (auto *item = qobject_cast<TNoxNumber *>(data); item && item->ByAddress() && item->OnSetData)
      handlers.insert(item->Address());
  line.NeverSpare(std::move(handlers));
  for (const auto &[address, value] : sentBefore)
    line.Sent(address, value);
  if (lostBefore)
    line.SetLineLost();
  run.Line = &line;
  LoadWrites writes;
  {
    LineScope scope(*m_module.NoxConnection, line);
    LoadItems(ini, run);
    ShowWrittenBytes(line.WrittenBytes());
  }
  writes.Report();
  SortTried(run);
  run.Line = nullptr;
  counts.LineLost = line.LineLost();
  return line.SentAddresses();
}

void ConfigurationFile::SayLoadFailures(const LoadRun &run, const LoadSummary &counts) {
  auto text = [this](int id) { return m_module.Text(id); };
  const QString list = run.Failed.join(QLatin1Char('\n')) + QLatin1Char('\n');
  if (counts.LineLost) {
    UserInterface::Current().ShowMessage(text(TEXT_LOAD_STOPPED).arg(counts.Written) + QLatin1Char('\n') + list,
                                         text(TEXT_FILE_ERROR_TITLE), MessageIcon::Error);
    return;
  }
  // A file that deciphers to garbage fails every entry: say so rather than
  // look like success.
  if (!run.Failed.isEmpty())
    UserInterface::Current().ShowMessage(LoadFailedText() + list, text(TEXT_FILE_ERROR_TITLE), MessageIcon::Error);
}
