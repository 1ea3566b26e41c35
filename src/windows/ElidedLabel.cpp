#include "windows/ElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  SetFullText(text);
}

void ElidedLabel::SetFullText(const QString &text) {
  m_fullText = text;
  setToolTip(text);
  Elide();
  updateGeometry();
}

QSize ElidedLabel::sizeHint() const {
  const QMargins margins = contentsMargins();
  return {fontMetrics().horizontalAdvance(m_fullText) + margins.left() + margins.right() + 2 * margin(),
          QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
  // The height of one line; the width is whatever the window can spare.
  return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event) {
  QLabel::resizeEvent(event);
  Elide();
}

void ElidedLabel::changeEvent(QEvent *event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange)
    Elide();
}

void ElidedLabel::Elide() {
  const QString shown =
      fontMetrics().elidedText(m_fullText, Qt::ElideRight, contentsRect().width() - 2 * margin());
  if (shown != text())
    QLabel::setText(shown);
}
