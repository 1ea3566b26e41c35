#include "ecuconfig/ConfigurationFile.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ConfigurationEnvelope.h"
#include "ecuconfig/ItemBulkOperations.h"
#include "ecuconfig/TSerialDataModule.h"
#include "ecuconfig/VehicleConfigView.h"
#include "platform/UserInterface.h"
#include "storage/TMemIniData.h"
#include "translator/TTranslator.h"

#include <QDir>
#include <QFileInfo>

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

void Progress(int index, int count) {
  UserInterface::Current().SetProgress(static_cast<std::uint8_t>(index * 100 / count), true);
}
} // namespace

QByteArray ConfigurationFile::IniText(QStringList *failed) {
  TMemIniData ini(nullptr);
  const auto &components = m_module.Components();
  const int count = static_cast<int>(components.size());
  for (int i = 0; i < count; ++i) {
    Progress(i, count);
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

void ConfigurationFile::LoadPass(TMemIniData &ini, int group, QStringList &failed) {
  const auto &components = m_module.Components();
  const int count = static_cast<int>(components.size());
  for (int i = 0; i < count; ++i) {
    Progress(i, count);
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

bool ConfigurationFile::Load(const QString &fileName) {
  auto text = [this](int id) { return m_module.Text(id); };
  QByteArray block;
  if (!ConfigurationEnvelope::DecryptFile(fileName, block)) {
    UserInterface::Current().ShowMessage(text(TEXT_CIPHER_FAILED), text(TEXT_FILE_ERROR_TITLE),
                                         MessageIcon::Error);
    return false;
  }
  QStringList failed;
  {
    WaitScope wait(m_module.WaitRequestFor(TEXT_LOAD_CAPTION, TEXT_LOAD_LABEL));
    UserInterface::Current().SetProgress(0, true);
    TMemIniData ini(&block);
    LoadPass(ini, 0, failed);
    LoadPass(ini, 1, failed);
  }
  ItemBulkOperations(m_module).NormaliseOverRev();
  if (VehicleConfigView *view = VehicleConfigView::Current())
    view->SyncCommutatore();
  // A file that deciphers to garbage fails every entry: say so rather than
  // look like success.
  if (!failed.isEmpty()) {
    UserInterface::Current().ShowMessage(LoadFailedText() + failed.join(QLatin1Char('\n')) +
                                             QLatin1Char('\n'),
                                         text(TEXT_FILE_ERROR_TITLE), MessageIcon::Error);
  }
  return failed.isEmpty();
}
