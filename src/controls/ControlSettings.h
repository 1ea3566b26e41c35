#pragma once
#include "controls/ControlDecoration.h"
#include "controls/TChildLabel.h"
#include "controls/TResizer.h"

#include <QPointer>

// The settings a control passes on to one of its parts, written once. A
// control inherits the ones it has and declares them as its Q_PROPERTYs, so
// a window description can set them on the control itself.

// The caption label's settings; nothing happens while there is no label.
class CaptionSettings {
public:
  QString LabelCaption() const { return m_caption ? m_caption->text() : QString(); }
  void setLabelCaption(const QString &caption);
  Nox::TLabelPosition LabelPosition() const { return m_caption ? m_caption->LabelPosition() : Nox::lpLeft; }
  void setLabelPosition(Nox::TLabelPosition position);
  int LabelSpacing() const { return m_caption ? m_caption->LabelSpacing() : 0; }
  void setLabelSpacing(int spacing);

protected:
  ~CaptionSettings() { delete m_caption; } // the control owns its caption label
  QPointer<TChildLabel> m_caption;
};

// The resizer's settings; a resizer deleted on its own is forgotten and its
// settings read as their initial values.
class ResizerSettings {
public:
  TResizer *Resizer() const { return m_resizer; }
  int ResizingBorder() const { return m_resizer ? m_resizer->ResizingBorder() : 8; }
  void setResizingBorder(int value);
  Nox::TResizingMode ResizingMode() const {
    return m_resizer ? m_resizer->ResizingMode() : Nox::raHorizontal | Nox::raMove;
  }
  void setResizingMode(Nox::TResizingMode value);
  int GridDimension() const { return m_resizer ? m_resizer->GridDimension() : 10; }
  void setGridDimension(int value);
  bool FixDblClick() const { return m_resizer ? m_resizer->FixDblClick() : true; }
  void setFixDblClick(bool value);

protected:
  explicit ResizerSettings(QWidget *control) : m_resizer(new TResizer(control)) {}
  ~ResizerSettings() = default;
  QPointer<TResizer> m_resizer; // a child of the control
};

// The decoration's settings.
class DecorationSettings {
public:
  Nox::TSkinStyle SkinStyle() const { return m_decoration.SkinStyle(); }
  void setSkinStyle(Nox::TSkinStyle style) { m_decoration.SetSkinStyle(style); }
  bool FixedShape() const { return m_decoration.FixedShape(); }
  void setFixedShape(bool fixed) { m_decoration.SetFixedShape(fixed); }
  int ShapeLeftSpacing() const { return m_decoration.ShapeLeftSpacing(); }
  void setShapeLeftSpacing(int spacing) { m_decoration.SetShapeLeftSpacing(spacing); }
  int ShapePenWidth() const { return m_decoration.ShapePenWidth(); }
  void setShapePenWidth(int width) { m_decoration.SetShapePenWidth(width); }
  bool UseUnitLabel() const { return m_decoration.UseUnitLabel(); }
  void setUseUnitLabel(bool use) { m_decoration.SetUseUnitLabel(use); }
  QLabel *UnitLabel() const { return m_decoration.UnitLabel(); }
  RoundShape *BackShape() const { return m_decoration.BackShape(); }
  QLabel *BackImage() const { return m_decoration.BackImage(); }

protected:
  explicit DecorationSettings(QWidget *control) : m_decoration(control) {}
  ~DecorationSettings() = default;
  ControlDecoration m_decoration;
};
