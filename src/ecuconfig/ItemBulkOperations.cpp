#include "ecuconfig/ItemBulkOperations.h"

#include "dataitems/ReadAllCache.h"
#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"

#include <optional>

void ItemBulkOperations::ReloadAllItems(ReadAllMode mode) {
  const auto &components = m_module.Components();
  const int count = static_cast<int>(components.size());
  UserInterface &ui = UserInterface::Current();
  TNoxConnection *connection = m_module.NoxConnection;
  std::optional<ReadAllCache> cache;
  for (int i = 0; i < count; ++i) {
    // The messages the progress lets through are not part of the read-all:
    // their reads reach the unit.
    if (ui.WaitVisible())
      ui.SetProgress(static_cast<std::uint8_t>(i * 100 / count), true);
    auto *item = qobject_cast<TNoxSerialData *>(components[i]);
    if (!item)
      continue;
    // The first read may load the library, and a lost line may free it
    // (which takes the cache away).
    if (mode == ReadAllMode::EachAddressOnce && connection->Loaded() &&
        (!cache || (!cache->Installed() && !connection->FrontObject())))
      cache.emplace(*connection);
    if (cache)
      cache->SetServing(true);
    item->Reload();
    if (cache)
      cache->SetServing(false);
  }
}

void ItemBulkOperations::ActivateLiveValues() {
  const auto &components = m_module.Components();
  for (auto it = components.crbegin(); it != components.crend(); ++it)
    if (auto *live = qobject_cast<TNoxPacketData *>(*it))
      live->SetActive(true);
}

bool ItemBulkOperations::SuspendRefresher() {
  TDataRefresher *refresher = m_module.DataRefresher;
  refresher->SetRunning(false);
  Clock &clock = Clock::Current();
  const std::uint32_t started = clock.TickCount();
  bool running = refresher->IsRunning();
  while (running && clock.TickCount() - started <= SUSPEND_TIMEOUT_MS)
    running = refresher->IsRunning();
  if (running) {
    UserInterface::Current().ShowMessage(SuspendFailedText(), SuspendFailedTitle(), MessageIcon::Error);
    return false;
  }
  return true;
}

void ItemBulkOperations::LoadAllDefaults() {
  for (int pass = 0; pass < 2; ++pass) {
    for (TNoxSerialData *item : m_module.DataItems()) {
      item->SetDisableLimits(true);
      item->LoadDefault(false);
      item->SetDisableLimits(false);
    }
  }
}

void ItemBulkOperations::ClearLiveValues() {
  for (TNoxSerialData *item : m_module.DataItems()) {
    item->SetDisableLimits(true);
    if (auto *live = qobject_cast<TNoxPacketData *>(item)) {
      const TransformationType kept = live->Transformation();
      live->SetTransformation(ttNone);
      live->SetLocalValue(0);
      live->SetTransformation(kept);
    }
    item->SetDisableLimits(false);
  }
}

void ItemBulkOperations::NotifyAllItems() {
  for (TNoxSerialData *item : m_module.DataItems())
    item->NotifyObservers(MSG_DATA_CHANGED, reinterpret_cast<std::uintptr_t>(item), 0);
}

void ItemBulkOperations::NormaliseOverRev() {
  TNoxNumber *overRev = m_module.GiriFuoriGiri;
  overRev->SetDisableLimits(true);
  const std::int32_t value = overRev->GetIntValue();
  if (value < 20000 && value > overRev->ValueMax())
    overRev->SetIntValue(20000);
  overRev->SetDisableLimits(false);
}
