#pragma once
#include "controls/ControlSettings.h"
#include "controls/FieldEntry.h"

#include <QComboBox>
#include <QPointer>

// What the bound combo box and the key combo share: a list whose selection
// the fitter changes only by choosing (nothing is ever typed into its
// text), the armed flag (an Enter commits instead of opening the list), the
// remembered index, the list's wrap-around and key rules, the change rule
// and the decoration. A change the fitter makes with the list closed, or
// chooses from the list (reported once the list has closed), is committed
// at once; Esc with the list open puts the remembered index back.
class KeyedComboBox : public QComboBox, public DecorationSettings {
  Q_OBJECT
  Q_PROPERTY(Nox::TSkinStyle SkinStyle READ SkinStyle WRITE setSkinStyle)
  Q_PROPERTY(bool FixedShape READ FixedShape WRITE setFixedShape)
  Q_PROPERTY(int ShapeLeftSpacing READ ShapeLeftSpacing WRITE setShapeLeftSpacing)
  Q_PROPERTY(int ShapePenWidth READ ShapePenWidth WRITE setShapePenWidth)
  Q_PROPERTY(bool UseUnitLabel READ UseUnitLabel WRITE setUseUnitLabel)

public:
  explicit KeyedComboBox(QWidget *parent = nullptr);

  QWidget *NextControl() const { return m_nextControl; }
  void setNextControl(QWidget *control) { m_nextControl = control; }
  QWidget *PrevControl() const { return m_prevControl; }
  void setPrevControl(QWidget *control) { m_prevControl = control; }

  bool Armed() const { return m_armed; }
  int RememberedIndex() const { return m_remembered; }
  bool ListOpen() const;

  void showPopup() override;
  // Also shows or hides the companions.
  void setVisible(bool visible) override;

Q_SIGNALS:
  // The fitter changed the selection; raised before the change is committed.
  void Change();
  void Entered();
  void Exited();

protected:
  // Enter typed while armed (the bound combo writes, the key combo closes
  // its list).
  virtual void ArmedEnter() = 0;
  // Up or Down on the closed list; true when the key was used.
  virtual bool ArrowOnClosedList(bool next) = 0;
  virtual void CompanionsFollowBounds() {}
  virtual void CompanionsFollowParent() {}
  virtual void CompanionsFollowVisibility(bool) {}

  void SetRemembered(int index) { m_remembered = index; }
  // The named neighbour when it can take the focus, else the tab order.
  void MoveFocusOrTabOrder(bool next);

  bool event(QEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;
  void hideEvent(QHideEvent *event) override;
  void moveEvent(QMoveEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  void TypedEnter();
  void UserChose(int index);
  bool ListKey(QKeyEvent *event);

  QPointer<QWidget> m_nextControl;
  QPointer<QWidget> m_prevControl;
  FieldEntry m_entry;
  bool m_armed = false;
  int m_remembered = -1;
  int m_indexBeforeUser = -1; // the selection before the fitter's last action
};
