#include "dataitems/LiveTraces.h"

#include "NoxProtocolObject.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxPacketData.h"
#include "platform/Clock.h"

LiveTraces::LiveTraces(const QList<TNoxPacketData *> &items, qint64 windowMs, QObject *parent)
    : QObject(parent), m_windowMs(windowMs), m_startTick(Clock::Current().TickCount()) {
  for (TNoxPacketData *item : items) {
    m_items << item;
    m_traces.emplace_back(windowMs);
    item->AddObserver(this);
  }
}

LiveTraces::~LiveTraces() {
  for (const auto &item : m_items)
    if (item)
      item->RemoveObserver(this);
}

TNoxPacketData *LiveTraces::Item(int index) const {
  return m_items.value(index).data();
}

void LiveTraces::SetWindowMs(qint64 windowMs) {
  m_windowMs = windowMs;
  for (LiveTraceBuffer &trace : m_traces)
    trace.SetWindowMs(windowMs);
}

qint64 LiveTraces::NowMs() const {
  // Unsigned difference: right across the tick's wrap-around.
  return static_cast<std::uint32_t>(Clock::Current().TickCount() - m_startTick);
}

bool LiveTraces::event(QEvent *event) {
  if (static_cast<std::uint32_t>(event->type()) != MSG_DATA_CHANGED)
    return QObject::event(event);
  const auto *message = static_cast<NoxMessageEvent *>(event);
  const qint64 now = NowMs();
  for (int i = 0; i < m_items.size(); ++i) {
    TNoxPacketData *item = m_items[i].data();
    if (item && reinterpret_cast<std::uintptr_t>(item) == message->WParam()) {
      m_traces[static_cast<std::size_t>(i)].Append(now, item->GetValue());
      Q_EMIT PointAdded(i);
    }
  }
  return true;
}
