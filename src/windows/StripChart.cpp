#include "windows/StripChart.h"

#include "dataitems/LiveTraces.h"

#include <QLocale>
#include <QPainter>
#include <QPolygonF>
#include <QTimer>
#include <cmath>

namespace {
constexpr int LEGEND_HEIGHT = 22;
constexpr int BAND_HEIGHT = 14;
constexpr int MARGIN = 8;
constexpr int TIME_LABEL_HEIGHT = 18;
} // namespace

StripChart::StripChart(LiveTraces *traces, QWidget *parent) : QWidget(parent), m_traces(traces) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(320, 200);
  connect(traces, &LiveTraces::PointAdded, this, [this] { PointAdded(); });
  m_sinceRepaint.start();
}

void StripChart::SetLine(int index, const QColor &color, const QString &legend, double minimumTop) {
  Line *line = FindLine(index);
  if (!line) {
    m_lines.append(Line{});
    line = &m_lines.last();
  }
  line->Index = index;
  line->Color = color;
  line->Legend = legend;
  line->MinimumTop = minimumTop;
  line->Top = minimumTop;
  update();
}

void StripChart::SetLegend(int index, const QString &legend) {
  if (Line *line = FindLine(index))
    line->Legend = legend;
  else if (index == m_bandIndex)
    m_bandLegend = legend;
  update();
}

void StripChart::SetBand(int index, const QList<QColor> &colors, const QString &legend) {
  m_bandIndex = index;
  m_bandColors = colors;
  m_bandLegend = legend;
  update();
}

void StripChart::SetTraceVisible(int index, bool visible) {
  if (Line *line = FindLine(index)) {
    line->Visible = visible;
    update();
  }
}

bool StripChart::TraceVisible(int index) const {
  const Line *line = FindLine(index);
  return line && line->Visible;
}

double StripChart::ScaleTop(int index) const {
  const Line *line = FindLine(index);
  return line ? line->Top : 0;
}

StripChart::Line *StripChart::FindLine(int index) {
  for (Line &line : m_lines)
    if (line.Index == index)
      return &line;
  return nullptr;
}

const StripChart::Line *StripChart::FindLine(int index) const {
  return const_cast<StripChart *>(this)->FindLine(index);
}

void StripChart::PointAdded() {
  if (m_repaintPending || !m_traces || !isVisible())
    return;
  // A point moves one pixel per window / width milliseconds: painting more
  // often than that shows nothing new. At least every 40 ms is plenty.
  const qint64 pixelMs = m_traces->WindowMs() / qMax(1, PlotArea().width());
  const qint64 wait = qMax<qint64>(40, pixelMs) - m_sinceRepaint.elapsed();
  if (wait <= 0) {
    update();
    return;
  }
  m_repaintPending = true;
  QTimer::singleShot(static_cast<int>(wait), this, [this] {
    m_repaintPending = false;
    update();
  });
}

QRect StripChart::PlotArea() const {
  return rect().adjusted(MARGIN, MARGIN + LEGEND_HEIGHT, -MARGIN,
                         -(MARGIN + TIME_LABEL_HEIGHT + BAND_HEIGHT));
}

double StripChart::RoundTop(double value) {
  // 1, 2 or 5 times a power of ten, at or above the value.
  if (!(value > 0) || !std::isfinite(value))
    return 1;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 5.0, 10.0})
    if (value <= step * power * (1 + 1e-9))
      return step * power;
  return 10 * power;
}

void StripChart::paintEvent(QPaintEvent *) {
  ++m_paints;
  m_sinceRepaint.restart();
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  const QRect plot = PlotArea();
  if (!m_traces || plot.width() < 10 || plot.height() < 10)
    return;
  const qint64 windowMs = m_traces->WindowMs();
  // The newest point is the right edge: with the refresher stopped, the
  // chart stops too instead of scrolling empty time in.
  qint64 rightMs = 0;
  for (int i = 0; i < m_traces->Count(); ++i)
    if (!m_traces->Trace(i).IsEmpty())
      rightMs = qMax(rightMs, m_traces->Trace(i).Points().back().TimeMs);
  PaintBand(painter, plot, rightMs, windowMs);
  PaintGrid(painter, plot, windowMs);
  painter.setClipRect(plot);
  for (Line &line : m_lines)
    if (line.Visible)
      PaintLine(painter, plot, line, rightMs, windowMs);
  painter.setClipping(false);
  PaintLegend(painter, plot);
}

void StripChart::PaintGrid(QPainter &painter, const QRect &plot, qint64 windowMs) const {
  painter.setPen(QPen(palette().mid().color(), 0, Qt::DotLine));
  for (int i = 1; i < 4; ++i) {
    const int y = plot.top() + plot.height() * i / 4;
    painter.drawLine(plot.left(), y, plot.right(), y);
  }
  const int divisions = 6;
  painter.setPen(palette().text().color());
  const QFontMetrics metrics(font());
  for (int i = 0; i <= divisions; ++i) {
    const int x = plot.left() + plot.width() * i / divisions;
    if (i > 0 && i < divisions) {
      painter.setPen(QPen(palette().mid().color(), 0, Qt::DotLine));
      painter.drawLine(x, plot.top(), x, plot.bottom());
      painter.setPen(palette().text().color());
    }
    const double seconds = static_cast<double>(windowMs) * (divisions - i) / divisions / 1000.0;
    const QString label =
        i == divisions ? QStringLiteral("0 s") : QStringLiteral("-%1 s").arg(seconds, 0, 'g', 3);
    const int width = metrics.horizontalAdvance(label);
    const int left = qBound(0, x - width / 2, this->width() - width);
    painter.drawText(QRect(left, plot.bottom() + BAND_HEIGHT + 2, width, TIME_LABEL_HEIGHT), Qt::AlignCenter,
                     label);
  }
  painter.setPen(palette().text().color());
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot.adjusted(0, 0, -1, -1));
}

void StripChart::PaintBand(QPainter &painter, const QRect &plot, qint64 rightMs, qint64 windowMs) const {
  const QRect strip(plot.left(), plot.bottom() + 1, plot.width(), BAND_HEIGHT);
  painter.fillRect(strip, palette().window());
  if (m_bandIndex < 0 || m_bandIndex >= m_traces->Count() || m_bandColors.isEmpty())
    return;
  const auto &points = m_traces->Trace(m_bandIndex).Points();
  auto xOf = [&](qint64 t) {
    return plot.left() + static_cast<double>(plot.width()) * static_cast<double>(t - (rightMs - windowMs)) /
                             static_cast<double>(windowMs);
  };
  // Runs of one band value become one rectangle each.
  for (std::size_t i = 0; i < points.size();) {
    std::size_t end = i + 1;
    while (end < points.size() && points[end].Value == points[i].Value)
      ++end;
    const double left = qMax<double>(plot.left(), xOf(points[i].TimeMs));
    const double right = end < points.size() ? xOf(points[end].TimeMs) : plot.right() + 1;
    const int band = static_cast<int>(points[i].Value);
    if (band >= 0 && band < m_bandColors.size() && right > left)
      painter.fillRect(QRectF(left, strip.top(), right - left, strip.height()), m_bandColors[band]);
    i = end;
  }
}

void StripChart::PaintLine(QPainter &painter, const QRect &plot, Line &line, qint64 rightMs,
                           qint64 windowMs) const {
  if (line.Index < 0 || line.Index >= m_traces->Count())
    return;
  const auto &points = m_traces->Trace(line.Index).Points();
  double highest = 0;
  for (const auto &point : points)
    if (std::isfinite(point.Value))
      highest = qMax(highest, point.Value);
  line.Top = RoundTop(qMax(highest, line.MinimumTop));
  const double scaleX = static_cast<double>(plot.width()) / static_cast<double>(windowMs);
  const double scaleY = plot.height() / line.Top;
  const qint64 leftMs = rightMs - windowMs;
  // Lowest and highest value per pixel column, in the order they came.
  QPolygonF polyline;
  polyline.reserve(2 * plot.width() + 4);
  int column = INT_MIN;
  double low = 0, high = 0, first = 0;
  auto flush = [&] {
    if (column == INT_MIN)
      return;
    const double x = plot.left() + column;
    polyline << QPointF(x, plot.bottom() - first * scaleY);
    if (high != low)
      polyline << QPointF(x, plot.bottom() - (first == high ? low : high) * scaleY);
  };
  for (const auto &point : points) {
    if (!std::isfinite(point.Value))
      continue;
    const double value = qBound(0.0, point.Value, line.Top);
    const int x = static_cast<int>(std::floor(static_cast<double>(point.TimeMs - leftMs) * scaleX));
    if (x != column) {
      flush();
      column = x;
      low = high = first = value;
    } else {
      low = qMin(low, value);
      high = qMax(high, value);
    }
  }
  flush();
  // Two one-pixel lines a pixel apart: as bold as a two-pixel pen, at a
  // fraction of the cost (a wide pen goes through the stroker).
  painter.setPen(QPen(line.Color, 0));
  painter.drawPolyline(polyline);
  polyline.translate(0, -1);
  painter.drawPolyline(polyline);
}

void StripChart::PaintLegend(QPainter &painter, const QRect &plot) const {
  const QFontMetrics metrics(font());
  int x = plot.left();
  const int y = MARGIN;
  auto entry = [&](const QColor &color, const QString &text) {
    painter.fillRect(QRect(x, y + 5, 12, 12), color);
    x += 16;
    const int width = metrics.horizontalAdvance(text);
    painter.setPen(palette().text().color());
    painter.drawText(QRect(x, y, width, LEGEND_HEIGHT), Qt::AlignVCenter | Qt::AlignLeft, text);
    x += width + 14;
  };
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  for (const Line &line : m_lines)
    if (line.Visible)
      entry(line.Color, QStringLiteral("%1 0-%2").arg(line.Legend, locale.toString(line.Top)));
  if (m_bandIndex >= 0 && !m_bandColors.isEmpty()) {
    // One small square per band colour, lean to rich.
    for (const QColor &color : m_bandColors) {
      painter.fillRect(QRect(x, y + 5, 8, 12), color);
      x += 9;
    }
    x += 7;
    painter.setPen(palette().text().color());
    painter.drawText(QRect(x, y, metrics.horizontalAdvance(m_bandLegend), LEGEND_HEIGHT),
                     Qt::AlignVCenter | Qt::AlignLeft, m_bandLegend);
  }
}
