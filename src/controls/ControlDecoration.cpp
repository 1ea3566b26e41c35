#include "controls/ControlDecoration.h"

#include <QPainter>

namespace {
const QColor SHAPE_COLOUR(225, 31, 38);
}

RoundShape::RoundShape(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("BackShape"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RoundShape::SetPenWidth(int width) {
  m_penWidth = width;
  update();
}

void RoundShape::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(SHAPE_COLOUR, m_penWidth));
  painter.setBrush(SHAPE_COLOUR);
  const qreal inset = m_penWidth / 2.0;
  const qreal radius = std::min(width(), height()) / 4.0;
  painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), radius, radius);
}

ControlDecoration::~ControlDecoration() {
  delete m_unitLabel;
  delete m_backShape;
  delete m_backImage;
}

void ControlDecoration::SetSkinStyle(Nox::TSkinStyle style) {
  m_skinStyle = style;
  if (style != Nox::asShape)
    delete m_backShape;
  if (style != Nox::asImage)
    delete m_backImage;
  QWidget *parent = m_control->parentWidget();
  if (style == Nox::asShape && !m_backShape) {
    m_backShape = new RoundShape(parent);
    m_backShape->SetPenWidth(m_shapePenWidth);
    LayoutShape();
    m_backShape->setVisible(parent && m_control->isVisibleTo(parent));
  } else if (style == Nox::asImage && !m_backImage) {
    m_backImage = new QLabel(parent);
    m_backImage->setObjectName(QStringLiteral("BackImage"));
    m_backImage->setScaledContents(true);
    LayoutImage();
    m_backImage->setVisible(parent && m_control->isVisibleTo(parent));
  }
  // Behind the field; the unit label stays in front of the shape.
  if (m_backShape)
    m_backShape->stackUnder(m_control);
  if (m_backImage)
    m_backImage->stackUnder(m_control);
  if (m_unitLabel)
    m_unitLabel->raise();
}

void ControlDecoration::SetShapeLeftSpacing(int spacing) {
  m_shapeLeftSpacing = spacing;
  LayoutShape();
}

void ControlDecoration::SetShapePenWidth(int width) {
  m_shapePenWidth = width;
  if (m_backShape)
    m_backShape->SetPenWidth(width);
  LayoutShape();
}

void ControlDecoration::SetUseUnitLabel(bool use) {
  if (!use) {
    delete m_unitLabel;
    return;
  }
  if (m_unitLabel)
    return;
  QWidget *parent = m_control->parentWidget();
  m_unitLabel = new QLabel(QStringLiteral("UnitLabel"), parent);
  m_unitLabel->setObjectName(QStringLiteral("UnitLabel"));
  m_unitLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QPalette palette = m_unitLabel->palette();
  palette.setColor(QPalette::WindowText, Qt::white);
  m_unitLabel->setPalette(palette);
  m_unitLabel->resize(m_unitLabel->sizeHint());
  LayoutUnitLabel();
  m_unitLabel->setVisible(parent && m_control->isVisibleTo(parent));
  LayoutShape();
  LayoutImage();
}

int ControlDecoration::ExtraWidth(int fallback) const {
  return m_unitLabel ? m_unitLabel->width() + 24 : fallback;
}

void ControlDecoration::LayoutUnitLabel() {
  if (!m_unitLabel)
    return;
  const QRect field = m_control->geometry();
  m_unitLabel->move(field.right() + 1 + 10, field.top() + (field.height() - m_unitLabel->height()) / 2);
}

void ControlDecoration::LayoutShape() {
  if (!m_backShape)
    return;
  const QRect field = m_control->geometry();
  const int pen = m_shapePenWidth;
  const int left = m_shapeLeftSpacing == 0 ? pen : m_shapeLeftSpacing;
  m_backShape->setGeometry(field.left() - left, field.top() - pen, left + field.width() + ExtraWidth(pen),
                           field.height() + 2 * pen);
}

void ControlDecoration::LayoutImage() {
  if (!m_backImage)
    return;
  const QRect field = m_control->geometry();
  m_backImage->setGeometry(field.left() - 2, field.top() - 2, field.width() + ExtraWidth(4),
                           field.height() + 4);
}

void ControlDecoration::ControlBoundsChanged() {
  LayoutUnitLabel();
  if (!m_fixedShape)
    LayoutShape();
  LayoutImage();
}

void ControlDecoration::ControlParentChanged() {
  QWidget *parent = m_control->parentWidget();
  for (QWidget *companion : {static_cast<QWidget *>(m_unitLabel), static_cast<QWidget *>(m_backShape),
                             static_cast<QWidget *>(m_backImage)})
    if (companion)
      companion->setParent(parent);
  ControlBoundsChanged();
  ControlVisibilityChanged(parent && m_control->isVisibleTo(parent));
  SetSkinStyle(m_skinStyle); // stacking order in the new parent
}

void ControlDecoration::ControlVisibilityChanged(bool visible) {
  for (QWidget *companion : {static_cast<QWidget *>(m_unitLabel), static_cast<QWidget *>(m_backShape),
                             static_cast<QWidget *>(m_backImage)})
    if (companion && companion->parentWidget())
      companion->setVisible(visible);
}
