#pragma once
#include <QLabel>

// A one-line label for a status bar. A long text (a load's summary, a
// warning, a firmware name) is cut with "..." to the room the bar gives it,
// never widening its window past the screen; the whole text is its tooltip.
class ElidedLabel : public QLabel {
  Q_OBJECT
public:
  explicit ElidedLabel(const QString &text = {}, QWidget *parent = nullptr);

  void SetFullText(const QString &text);
  QString FullText() const { return m_fullText; }

  // Wide enough for the whole text when there is room, but asks for none.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  void Elide();

  QString m_fullText;
};
