#pragma once
#include <QColor>
#include <QPixmap>
#include <QList>
#include <QWidget>

class QPainter;
struct Recording;

// A recording under review: every trace over the span in view, each on its
// own vertical scale (its lowest to its highest value), and a cursor on one
// row. Painting costs in proportion to the rows in view at most, reduced to
// the lowest and highest value per pixel column, so that a day's recording
// scrolls smoothly.
//
// Keys: Left/Right move the cursor by a row (with Ctrl by a tenth of the
// view), Home/End to the first and last row; + and - zoom around the cursor,
// Page Up/Page Down move the view by half its width, 0 shows the whole
// recording. The wheel zooms around the pointer, with Shift it moves the
// view; a click puts the cursor there.
class RecordingPlot : public QWidget {
  Q_OBJECT
public:
  explicit RecordingPlot(QWidget *parent = nullptr);

  // Shows the whole recording, the cursor on its first row; null clears.
  void SetRecording(const Recording *recording);
  // The colour of trace `index`.
  static QColor TraceColor(qsizetype index);

  qint64 ViewFrom() const { return m_from; }
  qint64 ViewTo() const { return m_to; }
  qsizetype CursorRow() const { return m_cursor; }

  void Zoom(double factor, qint64 around);
  void Pan(double fractionOfView);
  void MoveCursorTo(qsizetype row);
  void ShowAll();

  QSize sizeHint() const override { return {900, 420}; }

Q_SIGNALS:
  void CursorMoved(qsizetype row);

protected:
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

private:
  void PaintTraces(QPainter &painter) const;
  QRect PlotArea() const;
  qint64 TimeAt(int x) const;
  int XOf(qint64 time) const;
  qsizetype RowAt(qint64 time) const; // the first row at or after time
  void KeepCursorInView();
  void SetView(qint64 from, qint64 to);

  const Recording *m_recording = nullptr;
  std::vector<double> m_low, m_high; // each trace's scale
  qint64 m_from = 0, m_to = 1;
  qsizetype m_cursor = 0;
  struct CacheKey {
    const Recording *Data = nullptr;
    qint64 From = 0, To = 0;
    QSize Size;
    bool operator==(const CacheKey &) const = default;
  };
  QPixmap m_cache;
  CacheKey m_cacheKey;
};
