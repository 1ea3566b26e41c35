#include "dataitems/TDataRefresher.h"

#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxSerialData.h"
#include "dataitems/TRefreshThread.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <algorithm>

// One subscriber of a request. Enabled, LastDelivery, Interval and Removed
// are read by the pacing thread: the GUI thread changes them under m_mutex.
// Target is the GUI thread's alone.
struct TDataRefresher::REFRESH_CLIENT {
  bool Enabled = true;
  std::uint32_t LastDelivery = 0;
  int Interval = 0;
  QPointer<QObject> Target;
  bool Removed = false; // unsubscribed, or its target is gone
};

// One protocol request, shared by all its subscribers. DataCode and Index
// never change; Clients and Removed change under m_mutex.
struct TDataRefresher::REFRESH_ELEMENT {
  std::uint32_t DataCode = 0;
  int Index = -1;
  std::vector<std::shared_ptr<REFRESH_CLIENT>> Clients;
  bool Removed = false;
};

// A due request on its way: the clients due when it was found, in order, and
// the receive buffer (64 words for packets, else 1) read on the line thread.
struct TDataRefresher::Request {
  std::shared_ptr<REFRESH_ELEMENT> Element;
  std::vector<std::shared_ptr<REFRESH_CLIENT>> Due;
  std::vector<std::int32_t> Buffer;
  // Failed reads before the one that worked: each due client in turn asks
  // again, and those whose read failed get nothing this time.
  std::size_t Failures = 0;
  bool Fetched = false;
};

// The bytes of a cycle on their way to the GUI thread.
class TDataRefresher::DeliveryEvent final : public QEvent {
public:
  DeliveryEvent(std::vector<Request> requests, std::uint32_t now)
      : QEvent(Type()), Requests(std::move(requests)), Now(now) {}
  static QEvent::Type Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  std::vector<Request> Requests;
  std::uint32_t Now;
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
    : QObject(owner), m_thread(std::make_unique<TRefreshThread>([this] { ThreadCycle(); }, m_sleepTime)) {
  m_thread->start(ToQtPriority(m_priority));
}

TDataRefresher::~TDataRefresher() {
  // The thread waits for nobody but the line thread, so this cannot
  // deadlock; a delivery it queued and we never ran is dropped with this
  // object.
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
  std::lock_guard<std::mutex> guard(m_mutex);
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
  element->Clients.push_back(std::move(client));
  m_elements.push_back(std::move(element));
  return true;
}

void TDataRefresher::UnregisterItem(QObject *target, std::uint32_t dataCode, int index) {
  std::lock_guard<std::mutex> guard(m_mutex);
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
  std::lock_guard<std::mutex> guard(m_mutex);
  if (REFRESH_CLIENT *client = FindClient(target, dataCode, index))
    client->Enabled = true;
}

void TDataRefresher::DisableItem(QObject *target, std::uint32_t dataCode, int index) {
  std::lock_guard<std::mutex> guard(m_mutex);
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

void TDataRefresher::SetConnection(TNoxConnection *connection) {
  m_connection = connection;
  std::lock_guard<std::mutex> guard(m_mutex);
  m_line = connection ? connection->Line() : nullptr;
}

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

std::vector<TDataRefresher::Request> TDataRefresher::DueRequests(std::uint32_t now) {
  std::vector<Request> requests;
  std::lock_guard<std::mutex> guard(m_mutex);
  for (const auto &element : m_elements) {
    Request request;
    for (const auto &client : element->Clients) {
      if (client->Removed || !client->Enabled)
        continue;
      // Wrap-around safe: the elapsed time is right across the 49-day wrap of
      // the tick, where comparing last + interval with now is not.
      if (now - client->LastDelivery > static_cast<std::uint32_t>(client->Interval))
        request.Due.push_back(client);
    }
    if (request.Due.empty())
      continue;
    request.Element = element;
    const bool packet = (element->DataCode & (DATACODE_RESERVED_PACKET | DATACODE_PACKET)) != 0;
    request.Buffer.assign(packet ? 64 : 1, 0);
    requests.push_back(std::move(request));
  }
  return requests;
}

bool TDataRefresher::Fetch(std::vector<Request> &requests) {
  std::shared_ptr<ProtocolLine> line;
  {
    std::lock_guard<std::mutex> guard(m_mutex);
    line = m_line;
  }
  if (!line)
    return false;
  bool fetched = false;
  line->Run([&] {
    // An exchange bracket of another thread (a read and its LastStatus) is
    // under way: leave the line to it, and read again next cycle. Never wait
    // for the lock here: its holder may be waiting for this very thread.
    std::unique_lock<ReentrantLock> bracket(line->Lock(), std::try_to_lock);
    if (!bracket.owns_lock())
      return;
    NoxProtocolObject *protocol = line->Object();
    if (!protocol || !protocol->IsConnected())
      return;
    for (Request &request : requests) {
      const std::uint32_t dataCode = request.Element->DataCode;
      const int index = request.Element->Index;
      std::int32_t *buffer = request.Buffer.data();
      for (request.Failures = 0; request.Failures < request.Due.size(); ++request.Failures) {
        bool ok = false;
        if (dataCode & DATACODE_PACKET) {
          buffer[0] = 64;
          ok = protocol->ReadPacket(dataCode, reinterpret_cast<std::uint8_t *>(buffer + 1), buffer);
        } else if (index < 0) {
          ok = protocol->ReadValue(dataCode, buffer);
        } else {
          ok = protocol->ReadRowValue(dataCode, buffer, index);
        }
        if (ok) {
          request.Fetched = fetched = true;
          break;
        }
      }
    }
  });
  return fetched;
}

void TDataRefresher::Deliver(Request &request, QObject *target) {
  auto *bytes = reinterpret_cast<std::uint8_t *>(request.Buffer.data());
  if (auto *item = qobject_cast<TNoxSerialData *>(target)) {
    item->ReceiveData(bytes);
    return;
  }
  NoxMessageEvent message(MSG_PACKET_DATA, reinterpret_cast<std::uintptr_t>(bytes), 0);
  QCoreApplication::sendEvent(target, &message);
}

void TDataRefresher::DeliverAll(std::vector<Request> &requests, std::uint32_t now) {
  // Deliveries run handlers that may subscribe, unsubscribe or free things:
  // the requests hold their own references, and what was removed meanwhile
  // is skipped.
  for (Request &request : requests) {
    if (!request.Fetched)
      continue;
    for (std::size_t k = request.Failures; k < request.Due.size(); ++k) {
      if (request.Element->Removed)
        break;
      REFRESH_CLIENT &client = *request.Due[k];
      if (client.Removed || !client.Enabled)
        continue;
      if (!client.Target) {
        // Freed without unsubscribing: never due again.
        std::lock_guard<std::mutex> guard(m_mutex);
        client.Removed = true;
        continue;
      }
      Deliver(request, client.Target.data());
      std::lock_guard<std::mutex> guard(m_mutex);
      client.LastDelivery = now;
    }
  }
}

void TDataRefresher::RunCycle() {
  ++m_cycleCount;
  if (!m_thread->Running())
    return;
  const std::uint32_t now = Clock::Current().TickCount();
  std::vector<Request> requests = DueRequests(now);
  if (!requests.empty() && Fetch(requests))
    DeliverAll(requests, now);
}

void TDataRefresher::ThreadCycle() {
  ++m_cycleCount;
  if (!m_thread->Running() || m_deliveryPending.load())
    return;
  const std::uint32_t now = Clock::Current().TickCount();
  std::vector<Request> requests = DueRequests(now);
  if (requests.empty() || !Fetch(requests))
    return;
  m_deliveryPending = true;
  // Posted, and nobody waits for it. Ahead of the events already queued: a
  // read that drops the line posts the line-state message during the read,
  // yet the bytes it still delivered must reach the items first, as they
  // did when the read ran on the GUI thread. If this object goes first, Qt
  // drops the event.
  QCoreApplication::postEvent(this, new DeliveryEvent(std::move(requests), now), Qt::HighEventPriority);
}

bool TDataRefresher::event(QEvent *e) {
  if (e->type() != DeliveryEvent::Type())
    return QObject::event(e);
  auto &delivery = static_cast<DeliveryEvent &>(*e);
  m_deliveryPending = false;
  // Stopped meanwhile: nothing, as a cycle never run.
  if (m_thread->Running())
    DeliverAll(delivery.Requests, delivery.Now);
  return true;
}
