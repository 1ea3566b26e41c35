#include "controls/FocusRing.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {
const QColor RING_COLOUR(0x00, 0x5F, 0xCC);
// Between the control and the ring, so that the ring never hides the
// control's own border.
constexpr int GAP = 1;
} // namespace

FocusRing::FocusRing(QWidget *window) : QWidget(window) {
  setObjectName(QStringLiteral("FocusRing"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  hide();
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { FocusChanged(now); });
  window->installEventFilter(this);
}

void FocusRing::FocusChanged(QWidget *now) {
  // An open list is a window of its own: the ring waits for the focus to
  // come back to the combo box.
  if (now && now->window() != window())
    return;
  if (m_target)
    m_target->removeEventFilter(this);
  m_target = now;
  if (m_target && m_target != window())
    m_target->installEventFilter(this);
  Follow();
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
  case QEvent::Move:
  case QEvent::Resize:
  case QEvent::Show:
  case QEvent::Hide:
  case QEvent::LayoutRequest:
    if (watched == m_target || watched == window())
      Follow();
    break;
  default:
    break;
  }
  return QWidget::eventFilter(watched, event);
}

void FocusRing::Follow() {
  QWidget *target = m_target;
  if (!target || target == window() || !target->isVisible()) {
    hide();
    return;
  }
  const int margin = GAP + WIDTH;
  const QPoint topLeft = target->mapTo(window(), QPoint(0, 0));
  setGeometry(QRect(topLeft, target->size()).adjusted(-margin, -margin, margin, margin));
  raise();
  show();
  update();
}

void FocusRing::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setPen(QPen(RING_COLOUR, WIDTH, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  const qreal inset = WIDTH / 2.0;
  painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}
