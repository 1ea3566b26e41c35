#include "dataitems/TDataRefresher.h"

#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxSerialData.h"
#include "dataitems/TRefreshThread.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <algorithm>

// One subscriber of a request.
struct TDataRefresher::REFRESH_CLIENT {
  bool Enabled = true;
  std::uint32_t LastDelivery = 0;
  int Interval = 0;
  QPointer<QObject> Target;
  bool Removed = false; // unsubscribed while a cycle walks the list
};

// One protocol request and its receive buffer, shared by all its subscribers.
struct TDataRefresher::REFRESH_ELEMENT {
  std::uint32_t DataCode = 0;
  int Index = -1;
  std::vector<std::int32_t> Buffer; // 64 words for packets, else 1
  std::vector<std::shared_ptr<REFRESH_CLIENT>> Clients;
  bool Removed = false;
};

namespace {
QThread::Priority ToQtPriority(TThreadPriority priority) {
  switch (priority) {
  case tpIdle:
    return QThread::IdlePriority;
  case tpLowest:
    return QThread::LowestPriority;
  case tpLower:
    return QThread::LowPriority;
  case tpNormal:
    return QThread::NormalPriority;
  case tpHigher:
    return QThread::HighPriority;
  case tpHighest:
    return QThread::HighestPriority;
  case tpTimeCritical:
    return QThread::TimeCriticalPriority;
  }
  return QThread::NormalPriority;
}
} // namespace

TDataRefresher::TDataRefresher(QObject *owner)
    : QObject(owner), m_thread(std::make_unique<TRefreshThread>(this, [this] { RunCycle(); }, m_sleepTime)) {
  m_thread->start(ToQtPriority(m_priority));
}

TDataRefresher::~TDataRefresher() {
  // The thread never waits for us unconditionally, so this cannot deadlock;
  // a cycle it asked for and we never ran is dropped with this object.
  m_thread->Terminate();
  m_thread.reset();
  for (auto &element : m_elements)
    element->Removed = true;
  m_elements.clear();
}

// ------------------------------------------------------------ subscriptions

TDataRefresher::REFRESH_ELEMENT *TDataRefresher::FindElement(std::uint32_t dataCode, int index) const {
  for (const auto &element : m_elements)
    if (element->DataCode == dataCode && element->Index == index)
      return element.get();
  return nullptr;
}

TDataRefresher::REFRESH_CLIENT *TDataRefresher::FindClient(QObject *target, std::uint32_t dataCode, int index) const {
  REFRESH_ELEMENT *element = FindElement(dataCode, index);
  if (!element)
    return nullptr;
  for (const auto &client : element->Clients)
    if (client->Target == target)
      return client.get();
  return nullptr;
}

bool TDataRefresher::RegisterItem(QObject *target, int interval, std::uint32_t dataCode, int index) {
  if (interval < 1)
    return false;
  if (REFRESH_CLIENT *client = FindClient(target, dataCode, index)) {
    client->Interval = interval;
    client->LastDelivery = 0;
    return true;
  }
  auto client = std::make_shared<REFRESH_CLIENT>();
  client->Interval = interval;
  client->Target = target;
  if (REFRESH_ELEMENT *element = FindElement(dataCode, index)) {
    element->Clients.push_back(std::move(client));
    return true;
  }
  auto element = std::make_shared<REFRESH_ELEMENT>();
  element->DataCode = dataCode;
  element->Index = index;
  const bool packet = (dataCode & (DATACODE_RESERVED_PACKET | DATACODE_PACKET)) != 0;
  element->Buffer.assign(packet ? 64 : 1, 0);
  element->Clients.push_back(std::move(client));
  m_elements.push_back(std::move(element));
  return true;
}

void TDataRefresher::UnregisterItem(QObject *target, std::uint32_t dataCode, int index) {
  REFRESH_ELEMENT *element = FindElement(dataCode, index);
  if (!element)
    return;
  auto &clients = element->Clients;
  for (auto it = clients.begin(); it != clients.end(); ++it) {
    if ((*it)->Target == target) {
      (*it)->Removed = true;
      clients.erase(it);
      break;
    }
  }
  if (clients.empty()) {
    element->Removed = true;
    m_elements.erase(std::find_if(m_elements.begin(), m_elements.end(),
                                  [element](const auto &e) { return e.get() == element; }));
  }
}

void TDataRefresher::EnableItem(QObject *target, std::uint32_t dataCode, int index) {
  if (REFRESH_CLIENT *client = FindClient(target, dataCode, index))
    client->Enabled = true;
}

void TDataRefresher::DisableItem(QObject *target, std::uint32_t dataCode, int index) {
  if (REFRESH_CLIENT *client = FindClient(target, dataCode, index))
    client->Enabled = false;
}

int TDataRefresher::ElementCount() const { return static_cast<int>(m_elements.size()); }

int TDataRefresher::ClientCount(std::uint32_t dataCode, int index) const {
  REFRESH_ELEMENT *element = FindElement(dataCode, index);
  return element ? static_cast<int>(element->Clients.size()) : 0;
}

// ---------------------------------------------------------------- settings

void TDataRefresher::SetRunning(bool value) { m_thread->SetRunning(value); }

bool TDataRefresher::IsRunning() {
  QCoreApplication::processEvents();
  return !m_thread->Suspended();
}

TNoxConnection *TDataRefresher::Connection() const { return m_connection.data(); }

void TDataRefresher::SetConnection(TNoxConnection *connection) { m_connection = connection; }

void TDataRefresher::SetSleepTime(int value) {
  if (value <= 0)
    return;
  m_sleepTime = value;
  m_thread->SetSleepTime(value);
}

void TDataRefresher::SetPriority(TThreadPriority value) {
  m_priority = value;
  if (m_thread->isRunning())
    m_thread->setPriority(ToQtPriority(value));
}

// ------------------------------------------------------------------- cycle

bool TDataRefresher::Fetch(REFRESH_ELEMENT &element) {
  NoxProtocolObject *protocol = m_connection->ProtocolObject();
  std::int32_t *buffer = element.Buffer.data();
  if (element.DataCode & DATACODE_PACKET) {
    buffer[0] = 64;
    return protocol->ReadPacket(element.DataCode, reinterpret_cast<std::uint8_t *>(buffer + 1), buffer);
  }
  if (element.Index < 0)
    return protocol->ReadValue(element.DataCode, buffer);
  return protocol->ReadRowValue(element.DataCode, buffer, element.Index);
}

void TDataRefresher::Deliver(REFRESH_ELEMENT &element, QObject *target) {
  auto *bytes = reinterpret_cast<std::uint8_t *>(element.Buffer.data());
  if (auto *item = qobject_cast<TNoxSerialData *>(target)) {
    item->ReceiveData(bytes);
    return;
  }
  NoxMessageEvent message(MSG_PACKET_DATA, reinterpret_cast<std::uintptr_t>(bytes), 0);
  QCoreApplication::sendEvent(target, &message);
}

void TDataRefresher::RunCycle() {
  ++m_cycleCount;
  if (!m_thread->Running() || !m_connection || !m_connection->Loaded() ||
      !m_connection->ProtocolObject()->IsConnected())
    return;
  const std::uint32_t now = Clock::Current().TickCount();
  // Deliveries run handlers that may subscribe, unsubscribe or free things:
  // walk snapshots and skip what was removed meanwhile.
  const auto elements = m_elements;
  for (const auto &element : elements) {
    bool fetched = false;
    const auto clients = element->Clients;
    for (const auto &client : clients) {
      if (element->Removed)
        break;
      if (client->Removed || !client->Enabled || !client->Target)
        continue;
      // Wrap-around safe: the elapsed time is right across the 49-day wrap of
      // the tick, where comparing last + interval with now is not.
      if (!(now - client->LastDelivery > static_cast<std::uint32_t>(client->Interval)))
        continue;
      if (!fetched) {
        if (!m_connection || !m_connection->Loaded() || !Fetch(*element))
          continue;
        fetched = true;
      }
      Deliver(*element, client->Target.data());
      client->LastDelivery = now;
    }
  }
}
