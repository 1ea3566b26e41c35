#pragma once
#include "controls/ControlTypes.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

// The red round rectangle drawn behind a field.
class RoundShape : public QWidget {
  Q_OBJECT
public:
  explicit RoundShape(QWidget *parent = nullptr);
  int PenWidth() const { return m_penWidth; }
  void SetPenWidth(int width);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  int m_penWidth = 2;
};

// The companions of an edit or combo box: the unit label to its right and
// the background shape or image behind it, all siblings of the control and
// laid out from its bounds. The control owns them through this object.
class ControlDecoration {
public:
  explicit ControlDecoration(QWidget *control) : m_control(control) {}
  ~ControlDecoration();
  ControlDecoration(const ControlDecoration &) = delete;
  ControlDecoration &operator=(const ControlDecoration &) = delete;

  Nox::TSkinStyle SkinStyle() const { return m_skinStyle; }
  void SetSkinStyle(Nox::TSkinStyle style);
  bool FixedShape() const { return m_fixedShape; }
  void SetFixedShape(bool fixed) { m_fixedShape = fixed; }
  int ShapeLeftSpacing() const { return m_shapeLeftSpacing; }
  void SetShapeLeftSpacing(int spacing);
  int ShapePenWidth() const { return m_shapePenWidth; }
  void SetShapePenWidth(int width);
  bool UseUnitLabel() const { return m_unitLabel != nullptr; }
  void SetUseUnitLabel(bool use);

  QLabel *UnitLabel() const { return m_unitLabel; }
  RoundShape *BackShape() const { return m_backShape; }
  QLabel *BackImage() const { return m_backImage; }

  // The control moved or was resized: the companions follow.
  void ControlBoundsChanged();
  // The control got a new parent: the companions go with it.
  void ControlParentChanged();
  void ControlVisibilityChanged(bool visible);

private:
  void LayoutUnitLabel();
  void LayoutShape();
  void LayoutImage();
  int ExtraWidth(int fallback) const;

  QWidget *m_control;
  Nox::TSkinStyle m_skinStyle = Nox::asNone;
  bool m_fixedShape = false;
  int m_shapeLeftSpacing = 0;
  int m_shapePenWidth = 2;
  QPointer<QLabel> m_unitLabel;
  QPointer<RoundShape> m_backShape;
  QPointer<QLabel> m_backImage;
};
