#pragma once
#include <QtGlobal>
#include <deque>

// The recent history of one live value in user units, for a chart that
// shows the last WindowMs milliseconds. Points arrive in time order; those
// that can no longer be seen are dropped as new ones arrive, so memory stays
// bounded by the window and the delivery rate.
class LiveTraceBuffer {
public:
  struct Point {
    qint64 TimeMs;
    double Value;
  };

  explicit LiveTraceBuffer(qint64 windowMs = 60000) : m_windowMs(windowMs) {}

  qint64 WindowMs() const { return m_windowMs; }
  // A shorter window drops at once what falls out of it; a longer one shows
  // only what is still held.
  void SetWindowMs(qint64 windowMs);

  // A point older than the newest one is ignored: the trace never runs back.
  void Append(qint64 timeMs, double value);
  void Clear() { m_points.clear(); }

  // Oldest first. The first point may lie just before the window's left
  // edge, so that the line reaches the edge instead of starting in mid-air.
  const std::deque<Point> &Points() const { return m_points; }
  bool IsEmpty() const { return m_points.empty(); }

private:
  void DropOld();

  qint64 m_windowMs;
  std::deque<Point> m_points;
};
