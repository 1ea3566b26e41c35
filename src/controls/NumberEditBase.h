#pragma once
#include "controls/ControlSettings.h"
#include "controls/FieldEntry.h"

#include <QLineEdit>
#include <QPointer>

// What the value edit and the numeric edit share: a right-aligned
// single-line field showing "0", 96 pixels wide with a font-derived height,
// its neighbours for focus moves, the Validation setting and the
// decoration (unit label, background shape or image) that follows it.
class NumberEditBase : public QLineEdit, public DecorationSettings {
  Q_OBJECT
  Q_PROPERTY(bool Validation READ Validation WRITE setValidation)
  Q_PROPERTY(Nox::TSkinStyle SkinStyle READ SkinStyle WRITE setSkinStyle)
  Q_PROPERTY(bool FixedShape READ FixedShape WRITE setFixedShape)
  Q_PROPERTY(int ShapeLeftSpacing READ ShapeLeftSpacing WRITE setShapeLeftSpacing)
  Q_PROPERTY(int ShapePenWidth READ ShapePenWidth WRITE setShapePenWidth)
  Q_PROPERTY(bool UseUnitLabel READ UseUnitLabel WRITE setUseUnitLabel)

public:
  explicit NumberEditBase(QWidget *parent = nullptr);

  bool Validation() const { return m_validation; }
  void setValidation(bool on) { m_validation = on; }
  QWidget *NextControl() const { return m_nextControl; }
  void setNextControl(QWidget *control) { m_nextControl = control; }
  QWidget *PrevControl() const { return m_prevControl; }
  void setPrevControl(QWidget *control) { m_prevControl = control; }

  // Also shows or hides the companions (caption label, decoration).
  void setVisible(bool visible) override;

Q_SIGNALS:
  // The fitter entered or left the field: however the focus arrives, and
  // not counting popups, message boxes or another application taking the
  // focus for a while. A hidden window leaves its field.
  void Entered();
  void Exited();
  // A key went down and the field's own focus keys left it alone; it runs
  // before the field handles the key's character (Enter included). A
  // handler may set key to 0 to swallow it.
  void KeyDown(int &key);
  // A confirmed value lay beyond the field's limits and was taken as the
  // limit (highest: the upper one): the owner says so, a value changed
  // without a word would pass for the one typed.
  void Limited(double limit, bool highest);

protected:
  bool event(QEvent *event) override;
  void moveEvent(QMoveEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void hideEvent(QHideEvent *event) override;
  // The fitter is entering the field, before the line edit's own focus
  // handling; the whole text is selected afterwards.
  virtual void EnteringField() {}
  // The fitter is leaving the field (or its window is hiding): what was
  // typed and not confirmed is dropped or committed, by the field's rule.
  virtual void LeavingField() {}
  // Hooks for the companions of a derived field.
  virtual void CompanionsFollowBounds() {}
  virtual void CompanionsFollowParent() {}
  virtual void CompanionsFollowVisibility(bool) {}
  // Raises KeyDown; false when a handler swallowed the key.
  bool RaiseKeyDown(QKeyEvent *event);
  // Hands a typed character on to the line edit as if typed.
  void InsertTyped(QKeyEvent *original, QChar character);

private:
  FieldEntry m_entry;
  bool m_validation = true;
  QPointer<QWidget> m_nextControl;
  QPointer<QWidget> m_prevControl;
};
