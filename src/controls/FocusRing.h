#pragma once
#include <QPointer>
#include <QWidget>

// A ring drawn around the control that has the focus in its window, at
// least two pixels wide, whatever the style draws itself: the fitter works
// with the keyboard alone and must always see where the next key goes. The
// style's own focus frame is one pixel, or none at all on a combo box once a
// choice is made. A child of the window, above every other child; mouse
// clicks go through it.
class FocusRing : public QWidget {
  Q_OBJECT
public:
  explicit FocusRing(QWidget *window);

  static constexpr int WIDTH = 3;
  // The control it surrounds; null while it is hidden.
  QWidget *Target() const { return isVisible() ? m_target.data() : nullptr; }

protected:
  void paintEvent(QPaintEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void FocusChanged(QWidget *now);
  void Follow();

  QPointer<QWidget> m_target;
};
