#include "history/UndoStack.h"

#include "dataitems/ConnectionStateRelay.h"
#include "dataitems/ItemWriteTap.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/WriteOrigin.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/ConnectionJournal.h"
#include "ecuconfig/VehicleConfigView.h"
#include "platform/Clock.h"
#include "platform/UserAction.h"
#include "platform/UserInterface.h"

#include <algorithm>
#include <set>

namespace {
// The check byte holds this value; a write of any other one makes the unit
// erase its EEPROM.
constexpr std::int32_t CHECK_VALUE = 172;
// The unit needs this long after an ignition-type change before it takes
// further writes (the handler that is held back would have waited).
constexpr std::uint32_t IGNITION_SETTLE_MS = 1000;

// Keeps an item's handlers out of one write: the record holds what they
// wrote, and a refusal is said once by the stack, not by each field.
class HandlersHeldBack {
public:
  explicit HandlersHeldBack(TNoxSerialData *item)
      : m_item(item), m_before(std::move(item->BeforeSetData)), m_set(std::move(item->OnSetData)),
        m_error(std::move(item->OnError)) {
    item->BeforeSetData = nullptr;
    item->OnSetData = nullptr;
    item->OnError = nullptr;
  }
  ~HandlersHeldBack() {
    m_item->BeforeSetData = std::move(m_before);
    m_item->OnSetData = std::move(m_set);
    m_item->OnError = std::move(m_error);
  }
  HandlersHeldBack(const HandlersHeldBack &) = delete;
  HandlersHeldBack &operator=(const HandlersHeldBack &) = delete;

private:
  TNoxSerialData *m_item;
  TNoxSerialData::BeforeSetDataEvent m_before;
  TNoxSerialData::NotifyEvent m_set;
  TNoxSerialData::ErrorEvent m_error;
};
} // namespace

UndoStack::UndoStack(TSerialDataModule &module, QObject *parent) : QObject(parent), m_module(module) {
  m_tapKey = ItemWriteTap::Add([this](const ItemWrite &write) { Record(write); });
  connect(&module, &TSerialDataModule::ConfigurationRead, this, &UndoStack::Clear);
  connect(&module, &TSerialDataModule::ConnectionClosed, this, &UndoStack::Clear);
  connect(module.ConnectionRelay(), &ConnectionStateRelay::ConnectionStateChanged, this,
          &UndoStack::LineStateChanged);
}

UndoStack::~UndoStack() {
  ItemWriteTap::Remove(m_tapKey);
}

void UndoStack::Clear() {
  m_newestOpen = false;
  if (m_undo.empty() && m_redo.empty())
    return;
  m_undo.clear();
  m_redo.clear();
  Q_EMIT Changed();
}

void UndoStack::LineStateChanged(bool connected) {
  if (connected || (m_undo.empty() && m_redo.empty()))
    return;
  Clear();
  // The windows already say the line is lost in a box of their own: this
  // goes to the status bar, not into a second box.
  // It stays until the next connect, which is what it tells the fitter to do.
  const TSerialDataModule &module = m_module;
  UserInterface::Current().ShowTranslatedStatusWarning([&module] {
    return module.Text(TEXT_LINE_LOST_UNDO) + QLatin1Char(' ') + module.Text(TEXT_CONNECT_AGAIN);
  });
}

void UndoStack::Record(const ItemWrite &write) {
  if (m_replaying) {
    if (write.Outcome != ItemWrite::Result::Written)
      m_replayRefused = true;
    return;
  }
  auto *item = qobject_cast<TNoxNumber *>(write.Item);
  if (!item)
    return;
  const bool written = write.Outcome == ItemWrite::Result::Written;
  // The erase cannot be undone: nothing recorded before it holds any more.
  if (written && (WriteOrigin::Current() == WriteOrigin::Kind::EepromErase ||
                  (item == m_module.CHECKUP && write.NewRaw != CHECK_VALUE))) {
    Clear();
    return;
  }
  if (!written || write.OldRaw == write.NewRaw || item->ReadOnly())
    return;
  const std::uint64_t action = UserAction::Current();
  if (!m_newestOpen || m_undo.empty() || m_undo.back().Id != action) {
    m_undo.push_back({action, {}});
    m_newestOpen = true;
  }
  m_undo.back().Steps.push_back({item, write.OldRaw, write.NewRaw});
  const bool hadRedo = !m_redo.empty();
  m_redo.clear();
  if (m_undo.back().Steps.size() == 1 || hadRedo)
    Q_EMIT Changed();
}

UndoStack::Outcome UndoStack::Undo() {
  return Replay(true);
}

UndoStack::Outcome UndoStack::Redo() {
  return Replay(false);
}

bool UndoStack::WriteStep(TNoxNumber *item, std::int32_t raw) {
  if (!item)
    return false;
  m_replayRefused = false;
  bool ok;
  {
    const HandlersHeldBack heldBack(item);
    // Only the item's own bits: the merge with a fresh read of a shared byte
    // keeps whatever the other items on it hold now.
    ok = item->WriteRawValue(item->DataMask() == item->FullMask() ? raw : (raw & item->DataMask()));
  }
  return ok && !m_replayRefused;
}

bool UndoStack::WriteSteps(const std::vector<const Step *> &order, bool oldValues, std::size_t *written) {
  *written = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const Step &step = *order[i];
    if (!WriteStep(step.Item, oldValues ? step.OldRaw : step.NewRaw))
      return false;
    *written = i + 1;
    if (step.Item != m_module.TIPO_ACCENSIONE)
      continue;
    // The read of the shared byte before the write set the speeds'
    // coefficient from the type being replaced: the bytes that follow are
    // meant under the one just written.
    m_module.SetSpeedCoefficient(
        static_cast<int>(step.Item->ConvertToUser(oldValues ? step.OldRaw : step.NewRaw)));
    if (i + 1 < order.size())
      Clock::Current().Sleep(IGNITION_SETTLE_MS);
  }
  return true;
}

QByteArray UndoStack::TargetText(const std::vector<const Step *> &order, bool oldValues) {
  std::vector<std::pair<TNoxSerialData *, TNoxSerialData::CachedState>> saved;
  auto set = [&saved](TNoxNumber *item, std::int32_t raw) {
    saved.emplace_back(item, item->SaveCachedState());
    item->SetRawValueField(raw);
  };
  // The speeds as the ignition type the replay leaves means them.
  for (TNoxSerialData *speed : m_module.SpeedItems())
    saved.emplace_back(speed, speed->SaveCachedState());
  for (const Step *step : order)
    if (step->Item == m_module.TIPO_ACCENSIONE)
      m_module.SetSpeedCoefficient(
          static_cast<int>(step->Item->ConvertToUser(oldValues ? step->OldRaw : step->NewRaw)));
  for (const Step *step : order) {
    if (!step->Item)
      continue;
    const std::int32_t raw = oldValues ? step->OldRaw : step->NewRaw;
    set(step->Item, raw);
    for (const QPointer<TNoxNumber> &sharer : step->Item->ByteSharers())
      if (sharer)
        set(sharer, raw);
  }
  QStringList unread;
  const QByteArray text = ConnectionJournal::WithoutUnread(
      m_module, ConfigurationFile(m_module).IniText(nullptr, ConfigurationFile::Progress::Quiet), unread);
  for (auto it = saved.rbegin(); it != saved.rend(); ++it)
    it->first->RestoreCachedState(it->second);
  return text;
}

TNoxNumber *UndoStack::LastReplayedItem() const {
  return m_lastItem.data();
}

UndoStack::Outcome UndoStack::Replay(bool undo) {
  std::vector<Action> &from = undo ? m_undo : m_redo;
  std::vector<Action> &to = undo ? m_redo : m_undo;
  m_newestOpen = false;
  if (from.empty())
    return Outcome::Nothing;
  const Action &action = from.back();
  if (!action.Steps.empty()) {
    m_lastItem = action.Steps.front().Item;
    m_lastBits = action.Steps.front().OldRaw ^ action.Steps.front().NewRaw;
  }
  std::vector<const Step *> order;
  for (const Step &step : action.Steps)
    order.push_back(&step);
  if (undo)
    std::reverse(order.begin(), order.end());
  // Noted before the first write, so that a replay cut short (the program
  // killed, the line lost) is offered for recovery at the next connect.
  Q_EMIT m_module.ReplayBegins(undo, TargetText(order, undo));
  // The handlers are held back, so nothing switches the speeds' coefficient
  // when the ignition type is put back: it is set now to the type the replay
  // leaves, which every speed byte it writes is meant under, so that each
  // write is reported as the value it gives. ReadAgain sets it from the unit.
  for (const Step *step : order) {
    if (step->Item == m_module.TIPO_ACCENSIONE) {
      const std::int32_t left = undo ? step->OldRaw : step->NewRaw;
      m_module.SetSpeedCoefficient(static_cast<int>(step->Item->ConvertToUser(left)));
    }
  }

  bool done = false;
  bool restored = true;
  {
    const WriteOrigin origin(undo ? WriteOrigin::Kind::Undo : WriteOrigin::Kind::Redo);
    m_replaying = true;
    std::size_t written = 0;
    done = WriteSteps(order, undo, &written);
    if (!done) {
      // The unit must be left where the action had left it, so that the
      // record still matches it: what was already put back goes forward
      // again, newest last.
      std::vector<const Step *> back(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(written));
      std::reverse(back.begin(), back.end());
      std::size_t ignored = 0;
      restored = WriteSteps(back, !undo, &ignored);
    }
    ReadAgain(action);
    m_replaying = false;
  }
  // Either way the unit is where the record says, unless the line went.
  Q_EMIT m_module.LoadEnded(done || restored);

  if (done) {
    to.push_back(std::move(from.back()));
    from.pop_back();
    Q_EMIT Changed();
    return Outcome::Done;
  }
  QString title = m_module.Text(undo ? TEXT_UNDO : TEXT_REDO);
  title.remove(QLatin1Char('&'));
  int text = undo ? TEXT_UNDO_REFUSED : TEXT_REDO_REFUSED;
  if (!restored) {
    // Neither before nor after the action: the record fits the unit no more.
    m_undo.clear();
    m_redo.clear();
    Q_EMIT Changed();
    text = TEXT_PARTLY_PUT_BACK;
  }
  UserInterface::Current().ShowMessage(m_module.Text(text), title, MessageIcon::Error);
  return Outcome::Refused;
}

void UndoStack::ReadAgain(const Action &action) {
  std::set<const TNoxSerialData *> touched;
  std::set<int> addresses;
  for (const Step &step : action.Steps) {
    if (!step.Item)
      continue;
    touched.insert(step.Item);
    if (step.Item->ByAddress())
      addresses.insert(step.Item->Address());
  }
  // The speeds are shown through the ignition type's coefficient, even
  // where their bytes did not change.
  if (touched.count(m_module.TIPO_ACCENSIONE)) {
    touched.insert(
        {m_module.GiriPerCambio, m_module.GiriSbananata, m_module.GiriCutOff, m_module.GiriFuoriGiri});
    if (m_module.YellowWireSupported())
      touched.insert({m_module.GiriCutOffFiliGialli, m_module.GiriSgancioCutOffFiliGialli});
  }
  // In component order: the ignition type sets the speeds' coefficient
  // before they are read. The other items on a written byte are stale too.
  bool flags = false;
  for (TNoxSerialData *data : m_module.DataItems()) {
    auto *item = qobject_cast<TNoxNumber *>(data);
    if (!item || (!touched.count(item) && !(item->ByAddress() && addresses.count(item->Address()))))
      continue;
    item->Reload();
    flags = flags || item == m_module.FLAG_GONFIGURAZIONE;
  }
  // The option fields follow the flags in the flags' set-data handler,
  // which was held back.
  if (VehicleConfigView *view = VehicleConfigView::Current(); view && flags)
    view->ShowOptionFieldsOfFlags();
}
