#include "ecuconfig/ConfigurationFile.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/WriteOrigin.h"
#include "ecuconfig/ConfigurationEnvelope.h"
#include "ecuconfig/DryRunUnit.h"
#include "ecuconfig/ItemBulkOperations.h"
#include "ecuconfig/RehearsedWrites.h"
#include "ecuconfig/TSerialDataModule.h"
#include "ecuconfig/VehicleConfigView.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"
#include "storage/TMemIniData.h"
#include "translator/TTranslator.h"

#include <QDir>
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

void ConfigurationFile::LoadPass(TMemIniData &ini, int group, QStringList &failed,
                                 QList<TNoxSerialData *> &loadedItems) {
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
    const bool limitsOff = item->DisableLimits();
    item->SetDisableLimits(true);
    const bool loaded = item == m_module.CHECKUP ? LoadCheckByte(ini) : item->LoadFromIni(ini);
    item->SetDisableLimits(limitsOff);
    if (loaded)
      loadedItems.append(item);
    // Older files lack the lean-test steps; the unit's value then stands.
    if (!loaded && item != m_module.NPassiTestMagroPower)
      failed.append(item->FileKeyName());
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

void ConfigurationFile::LoadPasses(TMemIniData &ini, QStringList &failed, QList<TNoxSerialData *> &loaded) {
  LoadPass(ini, 0, failed, loaded);
  LoadPass(ini, 1, failed, loaded);
}

bool ConfigurationFile::Load(const QString &fileName, LoadMode mode, LoadSummary *summary) {
  const WriteOrigin origin(WriteOrigin::Kind::FileLoad, QFileInfo(fileName).absoluteFilePath());
  auto text = [this](int id) { return m_module.Text(id); };
  QByteArray block;
  if (!ConfigurationEnvelope::DecryptFile(fileName, block)) {
    UserInterface::Current().ShowMessage(text(TEXT_CIPHER_FAILED), text(TEXT_FILE_ERROR_TITLE),
                                         MessageIcon::Error);
    return false;
  }
  QStringList failed;
  LoadSummary counts;
  bool rehearsed = false;
  {
    WaitScope wait(m_module.WaitRequestFor(TEXT_LOAD_CAPTION, TEXT_LOAD_LABEL));
    UserInterface::Current().SetProgress(0, true);
    TMemIniData ini(&block);
    if (mode == LoadMode::ChangedBytesOnly)
      rehearsed = LoadChangedBytes(ini, failed, counts);
    if (!rehearsed) {
      QList<TNoxSerialData *> loaded;
      LoadPasses(ini, failed, loaded);
      counts.Written = static_cast<int>(loaded.size());
    }
  }
  // The rehearsal included the over-rev normalisation.
  if (!rehearsed)
    ItemBulkOperations(m_module).NormaliseOverRev();
  if (VehicleConfigView *view = VehicleConfigView::Current())
    view->SyncCommutatore();
  if (summary)
    *summary = counts;
  // A file that deciphers to garbage fails every entry: say so rather than
  // look like success.
  if (!failed.isEmpty()) {
    UserInterface::Current().ShowMessage(LoadFailedText() + failed.join(QLatin1Char('\n')) +
                                             QLatin1Char('\n'),
                                         text(TEXT_FILE_ERROR_TITLE), MessageIcon::Error);
  }
  return failed.isEmpty();
}

namespace {
// Everything a rehearsal redirects, put back on every path out.
class RehearsalScope {
public:
  RehearsalScope(TNoxConnection &connection, DryRunUnit &unit)
      : m_connection(connection), m_realClock(Clock::Current()), m_clock(unit, m_realClock),
        m_view(VehicleConfigView::Current()), m_previousFront(connection.FrontObject()) {
    m_tap = [this](TNoxSerialData *item, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
      Notifications.push_back({item, message, wParam, lParam});
    };
    connection.SetFrontObject(&unit);
    Clock::SetCurrent(&m_clock);
    VehicleConfigView::SetView(nullptr);
    TNoxSerialData::SetNotificationTap(&m_tap);
  }
  ~RehearsalScope() {
    TNoxSerialData::SetNotificationTap(nullptr);
    VehicleConfigView::SetView(m_view);
    Clock::SetCurrent(&m_realClock);
    m_connection.SetFrontObject(m_previousFront);
  }
  RehearsalScope(const RehearsalScope &) = delete;
  RehearsalScope &operator=(const RehearsalScope &) = delete;

  struct Notification {
    QPointer<TNoxSerialData> Item;
    std::uint32_t Message;
    std::uintptr_t WParam;
    std::intptr_t LParam;
  };
  std::vector<Notification> Notifications;

private:
  TNoxConnection &m_connection;
  Clock &m_realClock;
  DryRunClock m_clock;
  VehicleConfigView *m_view;
  NoxProtocolObject *m_previousFront;
  TNoxSerialData::NotificationTap m_tap;
};

// The unit's bytes as the items hold them. A byte is known only when every
// item on it holds a value read from or written to the unit and they agree;
// the others are left to the unit itself.
void KnowCachedBytes(TSerialDataModule &module, DryRunUnit &unit) {
  // A check byte written with anything but the check value erased the unit
  // after the items were read: none of their bytes is the unit's any more.
  if (module.CHECKUP->RawValue() != CHECK_VALUE)
    return;
  std::map<int, std::int32_t> bytes;
  std::set<int> unknown;
  for (TNoxSerialData *data : module.DataItems()) {
    auto *item = qobject_cast<TNoxNumber *>(data);
    if (!item || !item->ByAddress())
      continue;
    const int address = item->Address();
    const std::int32_t value = item->RawValue();
    // A read-only byte is the unit's own (flags it sets by itself).
    if (!item->DataValid() || item->OldReadFileMode() || item->ReadOnly() || value < 0 || value > 255 ||
        (bytes.count(address) && bytes[address] != value))
      unknown.insert(address);
    bytes[address] = value;
  }
  for (const auto &[address, value] : bytes)
    if (!unknown.count(address))
      unit.Know(address, static_cast<std::uint8_t>(value));
}
} // namespace

bool ConfigurationFile::LoadChangedBytes(TMemIniData &ini, QStringList &failed, LoadSummary &summary) {
  TNoxConnection *connection = m_module.NoxConnection;
  if (!connection->Loaded() || !connection->LibraryObject()->IsConnected())
    return false;
  NoxProtocolObject *unit = connection->LibraryObject();
  DryRunUnit rehearsal(*unit);
  KnowCachedBytes(m_module, rehearsal);
  VehicleConfigView *view = VehicleConfigView::Current();

  QList<TNoxSerialData *> loaded;
  std::vector<RehearsalScope::Notification> notifications;
  RehearsedWrites writes;
  {
    RehearsalScope scope(*connection, rehearsal);
    LoadPasses(ini, failed, loaded);
    ItemBulkOperations(m_module).NormaliseOverRev();
    notifications = std::move(scope.Notifications);
  }
  writes.Stop();

  const std::set<int> passed(rehearsal.PassedWrites().begin(), rehearsal.PassedWrites().end());
  std::set<int> sent = passed;
  std::set<int> changedAndSent;
  std::map<int, int> refusedStatus;
  std::set<int> refused;
  Clock &clock = Clock::Current();
  // The line may have gone while the wait window let messages through.
  const bool sameUnit = connection->Loaded() && connection->LibraryObject() == unit;
  for (const DryRunUnit::Change &change : rehearsal.Changes()) {
    if (!sameUnit) {
      refused.insert(change.Address);
      refusedStatus[change.Address] = -1;
      continue;
    }
    bool written;
    int status = 0;
    {
      std::lock_guard<ReentrantLock> guard(connection->Lock());
      written = unit->WriteAtAddress(change.DataCode, change.Address, change.Value);
      if (!written)
        status = unit->LastStatus();
    }
    (written ? sent : refused).insert(change.Address);
    if (written) {
      changedAndSent.insert(change.Address);
      for (std::uint32_t wait : change.Waits)
        clock.Sleep(wait);
    } else {
      refusedStatus[change.Address] = status;
    }
  }
  writes.Report(changedAndSent, refusedStatus, passed);

  // What the rehearsal told the observers reaches them now, once per item
  // and message, with the final values.
  std::vector<RehearsalScope::Notification> last;
  for (auto it = notifications.crbegin(); it != notifications.crend(); ++it) {
    const bool seen = std::any_of(last.begin(), last.end(), [&](const RehearsalScope::Notification &n) {
      return n.Item == it->Item && n.Message == it->Message;
    });
    if (!seen)
      last.push_back(*it);
  }
  bool flagsNotified = false;
  for (auto it = last.crbegin(); it != last.crend(); ++it) {
    if (!it->Item)
      continue;
    it->Item->NotifyObservers(it->Message, it->WParam, it->LParam);
    flagsNotified = flagsNotified || it->Item == m_module.FLAG_GONFIGURAZIONE;
  }
  if (view && flagsNotified)
    view->ShowOptionFieldsOfFlags();

  // A byte the unit refused: its items read the unit again and count as not
  // loaded, as a refused write during the passes would.
  for (TNoxSerialData *data : loaded) {
    auto *item = qobject_cast<TNoxNumber *>(data);
    const bool byAddress = item && item->ByAddress();
    if (byAddress && refused.count(item->Address())) {
      item->Reload();
      if (!failed.contains(item->FileKeyName()))
        failed.append(item->FileKeyName());
      continue;
    }
    if (byAddress && sent.count(item->Address()))
      ++summary.Written;
    else if (byAddress)
      ++summary.AlreadyInUnit;
    else
      ++summary.Written;
  }
  return true;
}
