#pragma once
#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class LiveTraces;

// A painted strip chart of live traces: time runs from the window's length
// ago (left) to the newest point (right). Each trace has its own vertical
// scale, from 0 to a round value above what it shows, printed in its legend
// entry. One trace can be marked as a band: it is drawn as a coloured strip
// under the plot instead of a line, one colour per band value.
//
// Painting costs in proportion to the plot's width, not to the points held:
// a trace is reduced to its lowest and highest value per pixel column, and
// the chart repaints only as often as a point can move by a pixel.
class StripChart : public QWidget {
  Q_OBJECT
public:
  explicit StripChart(LiveTraces *traces, QWidget *parent = nullptr);

  // Trace `index` drawn as a line with this colour and legend; a trace
  // without a line is not drawn (unless it is the band).
  void SetLine(int index, const QColor &color, const QString &legend, double minimumTop);
  void SetLegend(int index, const QString &legend);
  void SetBand(int index, const QList<QColor> &colors, const QString &legend);
  void SetTraceVisible(int index, bool visible);
  bool TraceVisible(int index) const;

  // The top of trace `index`'s scale as last painted (for tests and legends).
  double ScaleTop(int index) const;
  // Paints done so far, for the benchmark.
  int PaintCount() const { return m_paints; }

  QSize sizeHint() const override { return {760, 360}; }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  struct Line {
    int Index = -1;
    QColor Color;
    QString Legend;
    double MinimumTop = 1;
    bool Visible = true;
    double Top = 1;
  };
  void PointAdded();
  QRect PlotArea() const;
  void PaintGrid(class QPainter &painter, const QRect &plot, qint64 windowMs) const;
  void PaintBand(QPainter &painter, const QRect &plot, qint64 rightMs, qint64 windowMs) const;
  void PaintLine(QPainter &painter, const QRect &plot, Line &line, qint64 rightMs, qint64 windowMs) const;
  void PaintLegend(QPainter &painter, const QRect &plot) const;
  Line *FindLine(int index);
  const Line *FindLine(int index) const;
  static double RoundTop(double value);

  QPointer<LiveTraces> m_traces;
  QList<Line> m_lines;
  int m_bandIndex = -1;
  QList<QColor> m_bandColors;
  QString m_bandLegend;
  QElapsedTimer m_sinceRepaint;
  bool m_repaintPending = false;
  int m_paints = 0;
};
