#pragma once
#include "dataitems/LiveTraceBuffer.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <vector>

class TNoxPacketData;

// One trace per live value, filled from the items' change notifications: it
// watches what the refresher already delivers and never asks the unit for
// anything. Times are milliseconds since the traces were created, from the
// process clock.
class LiveTraces : public QObject {
  Q_OBJECT
public:
  explicit LiveTraces(const QList<TNoxPacketData *> &items, qint64 windowMs = 60000,
                      QObject *parent = nullptr);
  ~LiveTraces() override;

  int Count() const { return static_cast<int>(m_traces.size()); }
  TNoxPacketData *Item(int index) const;
  const LiveTraceBuffer &Trace(int index) const { return m_traces.at(static_cast<std::size_t>(index)); }

  qint64 WindowMs() const { return m_windowMs; }
  void SetWindowMs(qint64 windowMs);
  // The current time on the traces' scale.
  qint64 NowMs() const;

Q_SIGNALS:
  // A point was added to trace `index`.
  void PointAdded(int index);

protected:
  bool event(QEvent *event) override;

private:
  QList<QPointer<TNoxPacketData>> m_items;
  std::vector<LiveTraceBuffer> m_traces;
  qint64 m_windowMs;
  std::uint32_t m_startTick;
};
