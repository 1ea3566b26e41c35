#include "windows/RecordingPlot.h"

#include "recording/RecordingFile.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {
constexpr qint64 MIN_VIEW_MS = 200; // two rows at ten a second
const QColor kColors[] = {QColor(0xd0, 0x30, 0x30), QColor(0x20, 0x70, 0xd0), QColor(0x20, 0x90, 0x40),
                          QColor(0xb0, 0x70, 0x00), QColor(0x80, 0x30, 0xb0), QColor(0x00, 0x90, 0x90),
                          QColor(0x60, 0x60, 0x60), QColor(0xd0, 0x40, 0xa0), QColor(0x70, 0x70, 0x20)};
} // namespace

RecordingPlot::RecordingPlot(QWidget *parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(300, 160);
}

QColor RecordingPlot::TraceColor(qsizetype index) {
  return kColors[static_cast<std::size_t>(index) % std::size(kColors)];
}

void RecordingPlot::SetRecording(const Recording *recording) {
  m_recording = recording && recording->Rows() > 0 ? recording : nullptr;
  m_low.clear();
  m_high.clear();
  m_cursor = 0;
  if (m_recording) {
    for (const std::vector<double> &column : m_recording->Columns) {
      double low = INFINITY, high = -INFINITY;
      for (const double value : column)
        if (!std::isnan(value)) {
          low = std::min(low, value);
          high = std::max(high, value);
        }
      if (!(low <= high))
        low = high = 0;
      if (high - low < 1e-9)
        high = low + 1;
      m_low.push_back(low);
      m_high.push_back(high);
    }
  }
  ShowAll();
  Q_EMIT CursorMoved(m_cursor);
}

void RecordingPlot::ShowAll() {
  if (!m_recording) {
    SetView(0, 1);
    return;
  }
  SetView(m_recording->Times.front(), std::max(m_recording->Times.back(), m_recording->Times.front() + MIN_VIEW_MS));
}

void RecordingPlot::SetView(qint64 from, qint64 to) {
  if (m_recording) {
    const qint64 first = m_recording->Times.front();
    const qint64 last = std::max(m_recording->Times.back(), first + MIN_VIEW_MS);
    const qint64 width = std::clamp(to - from, MIN_VIEW_MS, last - first);
    from = std::clamp(from, first, last - width);
    to = from + width;
  }
  m_from = from;
  m_to = std::max(to, from + 1);
  update();
}

void RecordingPlot::Zoom(double factor, qint64 around) {
  const double width = static_cast<double>(m_to - m_from) * factor;
  const double share = m_to > m_from ? static_cast<double>(around - m_from) / static_cast<double>(m_to - m_from) : 0.5;
  const auto from = static_cast<qint64>(static_cast<double>(around) - width * share);
  SetView(from, from + static_cast<qint64>(width));
}

void RecordingPlot::Pan(double fractionOfView) {
  const auto shift = static_cast<qint64>(static_cast<double>(m_to - m_from) * fractionOfView);
  SetView(m_from + shift, m_to + shift);
}

void RecordingPlot::MoveCursorTo(qsizetype row) {
  if (!m_recording)
    return;
  m_cursor = std::clamp<qsizetype>(row, 0, m_recording->Rows() - 1);
  KeepCursorInView();
  update();
  Q_EMIT CursorMoved(m_cursor);
}

void RecordingPlot::KeepCursorInView() {
  const qint64 time = m_recording->Times[static_cast<std::size_t>(m_cursor)];
  const qint64 width = m_to - m_from;
  if (time < m_from)
    SetView(time - width / 10, time - width / 10 + width);
  else if (time > m_to)
    SetView(time - width + width / 10, time + width / 10);
}

QRect RecordingPlot::PlotArea() const { return rect().adjusted(8, 8, -8, -24); }

qint64 RecordingPlot::TimeAt(int x) const {
  const QRect plot = PlotArea();
  return m_from + (m_to - m_from) * (x - plot.left()) / std::max(1, plot.width());
}

int RecordingPlot::XOf(qint64 time) const {
  const QRect plot = PlotArea();
  return plot.left() + static_cast<int>((time - m_from) * plot.width() / std::max<qint64>(1, m_to - m_from));
}

qsizetype RecordingPlot::RowAt(qint64 time) const {
  const auto &times = m_recording->Times;
  return std::lower_bound(times.begin(), times.end(), time) - times.begin();
}

void RecordingPlot::paintEvent(QPaintEvent * /*event*/) {
  // The traces change only with the view and the size: a cursor that moves
  // redraws the picture kept from the last paint, not a day of rows.
  const CacheKey key{m_recording, m_from, m_to, size() * devicePixelRatio()};
  if (m_cache.isNull() || !(key == m_cacheKey)) {
    m_cache = QPixmap(size() * devicePixelRatio());
    m_cache.setDevicePixelRatio(devicePixelRatio());
    QPainter picture(&m_cache);
    PaintTraces(picture);
    m_cacheKey = key;
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, m_cache);
  if (!m_recording)
    return;
  const QRect plot = PlotArea();
  const int x = XOf(m_recording->Times[static_cast<std::size_t>(m_cursor)]);
  painter.setPen(QPen(palette().text().color(), 1, Qt::DashLine));
  painter.drawLine(x, plot.top(), x, plot.bottom());
}

void RecordingPlot::PaintTraces(QPainter &painter) const {
  painter.fillRect(rect(), palette().base());
  const QRect plot = PlotArea();
  painter.setPen(palette().mid().color());
  painter.drawRect(plot.adjusted(0, 0, -1, -1));
  if (!m_recording)
    return;
  // The time axis: the view's two ends.
  painter.setPen(palette().text().color());
  const auto label = [](qint64 ms) {
    const qint64 ofDay = ((ms % 86400000) + 86400000) % 86400000;
    return QStringLiteral("%1:%2:%3")
        .arg(ofDay / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ofDay / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ofDay / 1000 % 60, 2, 10, QLatin1Char('0'));
  };
  painter.drawText(QRect(plot.left(), plot.bottom() + 4, plot.width(), 18), Qt::AlignLeft, label(m_from));
  painter.drawText(QRect(plot.left(), plot.bottom() + 4, plot.width(), 18), Qt::AlignRight, label(m_to));

  // The rows of each pixel column, found once for all traces.
  const int width = plot.width();
  std::vector<qsizetype> columnStart(static_cast<std::size_t>(width) + 1);
  for (int x = 0; x <= width; ++x)
    columnStart[static_cast<std::size_t>(x)] = RowAt(TimeAt(plot.left() + x));
  painter.setClipRect(plot);
  for (std::size_t trace = 0; trace < m_recording->Columns.size(); ++trace) {
    const std::vector<double> &column = m_recording->Columns[trace];
    const double low = m_low[trace], span = m_high[trace] - m_low[trace];
    const auto y = [&](double value) {
      return plot.bottom() - 2 - static_cast<int>((value - low) / span * (plot.height() - 4));
    };
    const QColor color = TraceColor(static_cast<qsizetype>(trace));
    // Pale, but opaque: blending a day of strokes would cost ten times more.
    const QColor base = palette().base().color();
    const auto pale = [](int part, int whole) { return (part * 45 + whole * 210) / 255; };
    const QColor spread(pale(color.red(), base.red()), pale(color.green(), base.green()),
                        pale(color.blue(), base.blue()));
    painter.setPen(QPen(color, 1));
    // Per pixel column the spread of its rows, lowest to highest, as a pale
    // stroke, and their mean as the line: a day of a quickly changing value
    // stays readable instead of filling the plot. A row that holds no number
    // breaks the line.
    int lastX = INT_MIN, lastY = INT_MIN;
    for (int x = 0; x < width; ++x) {
      const qsizetype from = columnStart[static_cast<std::size_t>(x)];
      const qsizetype to = columnStart[static_cast<std::size_t>(x) + 1];
      if (from >= to)
        continue;
      double columnLow = INFINITY, columnHigh = -INFINITY, sum = 0;
      qsizetype count = 0;
      bool gap = false;
      for (qsizetype row = from; row < to; ++row) {
        const double value = column[static_cast<std::size_t>(row)];
        if (std::isnan(value)) {
          gap = true;
          continue;
        }
        columnLow = std::min(columnLow, value);
        columnHigh = std::max(columnHigh, value);
        sum += value;
        ++count;
      }
      if (count == 0) {
        lastY = INT_MIN;
        continue;
      }
      const int px = plot.left() + x, top = y(columnHigh), bottom = y(columnLow);
      const int mean = y(sum / static_cast<double>(count));
      if (bottom > top)
        painter.fillRect(px, top, 1, bottom - top + 1, spread);
      if (lastY != INT_MIN && !gap)
        painter.drawLine(lastX, lastY, px, mean);
      else
        painter.drawPoint(px, mean);
      lastX = px;
      lastY = gap ? INT_MIN : mean;
    }
  }
}

void RecordingPlot::keyPressEvent(QKeyEvent *event) {
  if (!m_recording) {
    QWidget::keyPressEvent(event);
    return;
  }
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const qint64 cursorTime = m_recording->Times[static_cast<std::size_t>(m_cursor)];
  const qsizetype viewRows = std::max<qsizetype>(1, RowAt(m_to) - RowAt(m_from));
  switch (event->key()) {
  case Qt::Key_Left:
    MoveCursorTo(m_cursor - (ctrl ? std::max<qsizetype>(1, viewRows / 10) : 1));
    break;
  case Qt::Key_Right:
    MoveCursorTo(m_cursor + (ctrl ? std::max<qsizetype>(1, viewRows / 10) : 1));
    break;
  case Qt::Key_Home:
    MoveCursorTo(0);
    break;
  case Qt::Key_End:
    MoveCursorTo(m_recording->Rows() - 1);
    break;
  case Qt::Key_Plus:
  case Qt::Key_Equal:
    Zoom(0.5, cursorTime);
    break;
  case Qt::Key_Minus:
    Zoom(2, cursorTime);
    break;
  case Qt::Key_PageUp:
    Pan(-0.5);
    break;
  case Qt::Key_PageDown:
    Pan(0.5);
    break;
  case Qt::Key_0:
    ShowAll();
    break;
  default:
    QWidget::keyPressEvent(event);
  }
}

void RecordingPlot::wheelEvent(QWheelEvent *event) {
  if (!m_recording)
    return;
  const int steps = event->angleDelta().y() / 120;
  if (steps == 0)
    return;
  if (event->modifiers() & Qt::ShiftModifier)
    Pan(-0.2 * steps);
  else
    Zoom(std::pow(0.8, steps), TimeAt(static_cast<int>(event->position().x())));
  event->accept();
}

void RecordingPlot::mousePressEvent(QMouseEvent *event) {
  if (!m_recording)
    return;
  setFocus(Qt::MouseFocusReason);
  const qsizetype row = std::min(RowAt(TimeAt(static_cast<int>(event->position().x()))), m_recording->Rows() - 1);
  MoveCursorTo(row);
}
