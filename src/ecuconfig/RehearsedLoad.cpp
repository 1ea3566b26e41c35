#include "ecuconfig/RehearsedLoad.h"

#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/DryRunUnit.h"
#include "ecuconfig/LoadWrites.h"
#include "ecuconfig/TSerialDataModule.h"
#include "ecuconfig/VehicleConfigView.h"
#include "platform/Clock.h"

#include <QPointer>
#include <algorithm>
#include <mutex>
#include <vector>

namespace {
struct Notification {
  QPointer<TNoxSerialData> Item;
  std::uint32_t Message;
  std::uintptr_t WParam;
  std::intptr_t LParam;
};

// Everything a rehearsal redirects, put back on every path out.
class RehearsalScope {
public:
  RehearsalScope(TNoxConnection &connection, DryRunUnit &unit, std::vector<Notification> &notifications)
      : m_connection(connection), m_realClock(Clock::Current()), m_clock(unit, m_realClock),
        m_view(VehicleConfigView::Current()), m_previousFront(connection.FrontObject()) {
    m_tap = [&notifications](TNoxSerialData *item, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) { notifications.push_back({item, message, wParam, lParam}); };
    connection.SetFrontObject(&unit);
    Clock::SetCurrent(&m_clock);
    VehicleConfigView::SetView(nullptr);
    TNoxSerialData::SetNotificationTap(&m_tap);
  }
  ~RehearsalScope() {
    TNoxSerialData::SetNotificationTap(nullptr);
    VehicleConfigView::SetView(m_view);
    Clock::SetCurrent(&m_realClock);
    if (m_connection.Loaded())
      m_connection.SetFrontObject(m_previousFront);
  }
  RehearsalScope(const RehearsalScope &) = delete;
  RehearsalScope &operator=(const RehearsalScope &) = delete;

private:
  TNoxConnection &m_connection;
  Clock &m_realClock;
  DryRunClock m_clock;
  VehicleConfigView *m_view;
  NoxProtocolObject *m_previousFront;
  TNoxSerialData::NotificationTap m_tap;
};

// What the rehearsal told the observers reaches them now, once per item and
// message, with the final values.
void Deliver(const std::vector<Notification> &notifications, TSerialDataModule &module) {
  std::vector<Notification> last;
  for (auto it = notifications.crbegin(); it != notifications.crend(); ++it) {
    const bool seen = std::any_of(last.begin(), last.end(), [&](const Notification &n) {
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
    flagsNotified = flagsNotified || it->Item == module.FLAG_GONFIGURAZIONE;
  }
  if (VehicleConfigView *view = VehicleConfigView::Current(); view && flagsNotified)
    view->ShowOptionFieldsOfFlags();
}
} // namespace

namespace {
// A byte a handler wrote goes out after the byte of the item whose write ran
// the handler (the speeds after the ignition type), even when another item
// on that byte changed it later.
std::vector<DryRunUnit::Change> AfterTheirHandlersOwners(std::vector<DryRunUnit::Change> changes) {
  // Two handlers that wrote each other's bytes cannot both go second.
  std::size_t moves = changes.size() * changes.size();
  for (std::size_t i = 0; i < changes.size() && moves > 0; ++i) {
    const auto *owner = qobject_cast<const TNoxNumber *>(changes[i].Handler);
    if (!owner || !owner->ByAddress())
      continue;
    const auto ownerAt = std::find_if(changes.begin() + static_cast<std::ptrdiff_t>(i) + 1, changes.end(),
                                      [&](const DryRunUnit::Change &c) { return c.Address == owner->Address(); });
    if (ownerAt == changes.end())
      continue;
    // Moved to just after its owner's byte; what follows it moves up.
    const DryRunUnit::Change moved = changes[i];
    const std::ptrdiff_t target = ownerAt - changes.begin();
    changes.erase(changes.begin() + static_cast<std::ptrdiff_t>(i));
    changes.insert(changes.begin() + target, moved);
    --i;
    --moves;
  }
  return changes;
}
} // namespace

bool RehearsedLoad::Run(const std::function<void()> &passes) {
  TNoxConnection &connection = *m_module.NoxConnection;
  std::vector<TNoxSerialData::CachedState> before;
  for (TNoxSerialData *item : m_module.DataItems())
    before.push_back(item->SaveCachedState());

  DryRunUnit rehearsal(m_unit);
  for (const auto &[address, value] : m_known)
    rehearsal.Know(address, value);
  std::vector<Notification> notifications;
  LoadWrites writes;
  {
    RehearsalScope scope(connection, rehearsal, notifications);
    passes();
  }
  m_written.insert(rehearsal.PassedWrites().begin(), rehearsal.PassedWrites().end());

  const std::vector<DryRunUnit::Change> changes = AfterTheirHandlersOwners(rehearsal.Changes());
  std::set<int> changed;
  for (const DryRunUnit::Change &change : changes)
    changed.insert(change.Address);
  // A value that a handler wrote holds only if the write that ran the
  // handler reached the unit. When that write was spared (the byte held its
  // value already), it goes out first after all: a unit that refuses it
  // must not get what its handler wrote.
  std::vector<DryRunUnit::Change> confirmations;
  for (const DryRunUnit::Change &change : changes) {
    const auto *owner = qobject_cast<const TNoxNumber *>(change.Handler);
    if (!owner || !owner->ByAddress() || changed.count(owner->Address()) || !rehearsal.Knows(owner->Address()))
      continue;
    if (std::none_of(confirmations.begin(), confirmations.end(),
                     [&](const DryRunUnit::Change &c) { return c.Address == owner->Address(); }))
      confirmations.push_back({owner->DataCode(), owner->Address(), rehearsal.Byte(owner->Address()), {}, nullptr});
  }
  changed.clear();
  // The line may have gone while the wait window let messages through, or
  // during a write the rehearsal had to pass on.
  bool whole = connection.Loaded() && connection.LibraryObject() == &m_unit && m_unit.IsConnected();
  for (const DryRunUnit::Change &confirmation : confirmations) {
    if (!whole)
      break;
    std::lock_guard<ReentrantLock> guard(connection.Lock());
    whole = m_unit.WriteAtAddress(confirmation.DataCode, confirmation.Address, confirmation.Value);
  }
  Clock &clock = Clock::Current();
  for (const DryRunUnit::Change &change : changes) {
    if (!whole)
      break;
    {
      std::lock_guard<ReentrantLock> guard(connection.Lock());
      whole = m_unit.WriteAtAddress(change.DataCode, change.Address, change.Value);
    }
    if (!whole)
      break;
    m_sentBytes[change.Address] = change.Value;
    changed.insert(change.Address);
    for (std::uint32_t wait : change.Waits)
      clock.Sleep(wait);
  }
  if (!whole) {
    m_lineLost = !m_unit.IsConnected();
    // A unit that refused a byte gets back what this load already sent, so
    // that the load value by value starts from the unit as the two passes
    // would: its reads must not meet bytes converted for a state the passes
    // have not reached yet.
    for (auto it = changes.crbegin(); it != changes.crend() && !m_lineLost; ++it) {
      if (!m_sentBytes.count(it->Address))
        continue;
      bool restored;
      {
        std::lock_guard<ReentrantLock> guard(connection.Lock());
        restored = m_unit.WriteAtAddress(it->DataCode, it->Address, m_known.at(it->Address));
      }
      if (restored)
        m_sentBytes.erase(it->Address);
      m_lineLost = !m_unit.IsConnected();
    }
    writes.Discard();
    const auto &items = m_module.DataItems();
    for (std::size_t i = 0; i < before.size() && i < static_cast<std::size_t>(items.size()); ++i)
      items[static_cast<qsizetype>(i)]->RestoreCachedState(before[i]);
    return false;
  }
  m_written.insert(changed.begin(), changed.end());
  m_writtenBytes = rehearsal.WrittenBytes();
  // Writes on a byte that came back to what the unit held never happened.
  const std::set<int> passed(rehearsal.PassedWrites().begin(), rehearsal.PassedWrites().end());
  writes.Report([&](int address) { return changed.count(address) || passed.count(address); });
  Deliver(notifications, m_module);
  return true;
}
