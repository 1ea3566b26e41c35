#pragma once
#include <QTimer>
#include <QWidget>

// The wait window's indeterminate animation: a ring of dots whose bright head
// goes round while the widget is shown. Painted by the GUI thread, so it moves
// whenever pending events are processed.
class TBusyAnimation : public QWidget {
  Q_OBJECT
public:
  explicit TBusyAnimation(QWidget *parent = nullptr);

  int Frame() const { return m_frame; }
  static constexpr int Dots = 12;

protected:
  void paintEvent(QPaintEvent *event) override;
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  QTimer m_timer;
  int m_frame = 0;
};
