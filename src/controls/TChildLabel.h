#pragma once
#include "controls/ControlTypes.h"

#include <QLabel>
#include <QPointer>

// The caption label that every bound control owns: it keeps itself at a
// fixed place beside its owner (a sibling widget) and gives the owner the
// focus when clicked. The owner calls Place() whenever it moves or resizes.
class TChildLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(Nox::TLabelPosition LabelPosition READ LabelPosition WRITE setLabelPosition)
  Q_PROPERTY(int LabelSpacing READ LabelSpacing WRITE setLabelSpacing)
  Q_PROPERTY(Qt::Alignment Alignment READ alignment WRITE setCaptionAlignment)
  Q_PROPERTY(QString Caption READ text WRITE setCaption)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)

public:
  explicit TChildLabel(QWidget *parent = nullptr);
  // A caption label for owner, created beside it (same parent), with the
  // owner as the focus control.
  static TChildLabel *CreateFor(QWidget *owner);

  QWidget *Owner() const { return m_owner; }
  void setOwner(QWidget *owner);
  QWidget *FocusControl() const { return m_focusControl; }
  void setFocusControl(QWidget *control) { m_focusControl = control; }

  Nox::TLabelPosition LabelPosition() const { return m_position; }
  void setLabelPosition(Nox::TLabelPosition position);
  int LabelSpacing() const { return m_spacing; }
  void setLabelSpacing(int spacing);
  // Only the horizontal part moves the label; it is also the text's
  // alignment. (Named apart from QLabel's setters, which are not virtual: a
  // caller holding a QLabel pointer could not reach a same-named one.)
  void setCaptionAlignment(Qt::Alignment alignment);
  bool AutoSize() const { return m_autoSize; }
  void setAutoSize(bool on);
  // Sets the caption and, with AutoSize, fits the label to it and places it
  // again.
  void setCaption(const QString &text);

  // Puts the label at its place beside the owner; nothing without an owner.
  void Place();
  // The owner got a new parent: the label goes with it and shows.
  void OwnerParentChanged();
  // The owner was shown or hidden (a label without a parent stays hidden).
  void OwnerVisibilityChanged(bool visible);
  void OwnerEnabledChanged();

Q_SIGNALS:
  // A click on the label, before the focus control gets the focus.
  void Clicked();

protected:
  void changeEvent(QEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  void FitToText();

  QPointer<QWidget> m_owner;
  QPointer<QWidget> m_focusControl;
  Nox::TLabelPosition m_position = Nox::lpLeft;
  int m_spacing = 80;
  bool m_autoSize = true;
  bool m_pressed = false;
};
