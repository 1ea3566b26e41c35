#include "windows/TBusyAnimation.h"

#include <QPainter>
#include <QtMath>

TBusyAnimation::TBusyAnimation(QWidget *parent) : QWidget(parent) {
  m_timer.setInterval(80);
  connect(&m_timer, &QTimer::timeout, this, [this] {
    m_frame = (m_frame + 1) % Dots;
    update();
  });
}

void TBusyAnimation::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const QPointF centre = QRectF(rect()).center();
  const qreal radius = qMin(width(), height()) * 0.34;
  const qreal dot = radius * 0.22;
  for (int i = 0; i < Dots; ++i) {
    // The head is the brightest; the tail fades out behind it.
    const int age = (m_frame - i + Dots) % Dots;
    QColor colour(230, 90, 0);
    colour.setAlphaF(1.0 - age / static_cast<qreal>(Dots));
    painter.setBrush(colour);
    const qreal angle = 2 * M_PI * i / Dots - M_PI / 2;
    painter.drawEllipse(centre + QPointF(qCos(angle), qSin(angle)) * radius, dot, dot);
  }
}

void TBusyAnimation::showEvent(QShowEvent *event) {
  m_timer.start();
  QWidget::showEvent(event);
}

void TBusyAnimation::hideEvent(QHideEvent *event) {
  m_timer.stop();
  QWidget::hideEvent(event);
}
