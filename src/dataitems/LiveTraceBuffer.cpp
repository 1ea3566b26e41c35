#include "dataitems/LiveTraceBuffer.h"

void LiveTraceBuffer::SetWindowMs(qint64 windowMs) {
  m_windowMs = qMax<qint64>(1, windowMs);
  DropOld();
}

void LiveTraceBuffer::Append(qint64 timeMs, double value) {
  if (!m_points.empty() && timeMs < m_points.back().TimeMs)
    return;
  m_points.push_back({timeMs, value});
  DropOld();
}

void LiveTraceBuffer::DropOld() {
  if (m_points.empty())
    return;
  const qint64 leftEdge = m_points.back().TimeMs - m_windowMs;
  // Keep one point at or before the edge: the segment from it into the
  // window is still visible.
  while (m_points.size() > 1 && m_points[1].TimeMs <= leftEdge)
    m_points.pop_front();
}
