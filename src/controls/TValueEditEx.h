#pragma once
#include "controls/NumberEditBase.h"
#include "controls/NumberTyping.h"
#include "controls/TChildLabel.h"
#include "controls/TResizer.h"

#include "dataitems/TNoxNumber.h"

// The numeric field bound to one ECU parameter. It shows the parameter's
// user value, lets the fitter type a new one through a filter that follows
// the parameter's limits and precision, and hands the number confirmed with
// Enter to the parameter, which writes it to the unit. Enter, Up and Down
// move the focus along NextControl/PrevControl (the tab order when the
// neighbour cannot take it). Every change of the parameter reaches the field
// as the item's observer messages.
class TValueEditEx : public NumberEditBase, public CaptionSettings, public ResizerSettings {
  Q_OBJECT
  Q_PROPERTY(bool ArrowMoveFocus READ ArrowMoveFocus WRITE setArrowMoveFocus)
  Q_PROPERTY(
      Nox::TDataDefinedAspect DataNotDefinedAspect READ DataNotDefinedAspect WRITE setDataNotDefinedAspect)
  // The caption label's settings, for window descriptions.
  Q_PROPERTY(QString LabelCaption READ LabelCaption WRITE setLabelCaption)
  Q_PROPERTY(Nox::TLabelPosition LabelPosition READ LabelPosition WRITE setLabelPosition)
  Q_PROPERTY(int LabelSpacing READ LabelSpacing WRITE setLabelSpacing)
  // The resizer's settings, for window descriptions.
  Q_PROPERTY(int ResizingBorder READ ResizingBorder WRITE setResizingBorder)
  Q_PROPERTY(Nox::TResizingMode ResizingMode READ ResizingMode WRITE setResizingMode)
  Q_PROPERTY(int GridDimension READ GridDimension WRITE setGridDimension)
  Q_PROPERTY(bool FixDblClick READ FixDblClick WRITE setFixDblClick)

public:
  explicit TValueEditEx(QWidget *parent = nullptr);
  ~TValueEditEx() override;

  TChildLabel *EditLabel() const { return m_caption; }

  TNoxNumber *Value() const { return m_value; }
  // Leaves the old parameter's observers and joins the new one's; the text
  // changes with the parameter's next notification.
  void setValue(TNoxNumber *item);

  bool ArrowMoveFocus() const { return m_arrowMoveFocus; }
  void setArrowMoveFocus(bool on) { m_arrowMoveFocus = on; }
  Nox::TDataDefinedAspect DataNotDefinedAspect() const { return m_aspect; }
  void setDataNotDefinedAspect(Nox::TDataDefinedAspect aspect);
  // False after the unit reported the parameter not defined, until the next
  // data-changed notification.
  bool Defined() const { return m_defined; }

  // Reads the parameter from the unit again and shows it whatever the
  // outcome; true when the read succeeded (or nothing is bound).
  bool ReloadValue();

protected:
  bool event(QEvent *event) override;
  void changeEvent(QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void LeavingField() override;
  void CompanionsFollowBounds() override;
  void CompanionsFollowParent() override;
  void CompanionsFollowVisibility(bool visible) override;

private:
  bool HandleItemMessage(QEvent *event);
  void ShowValue();
  // The value, or no text and the unread look when the last read failed.
  void ShowText(double value);
  bool Commit();
  void ResetText();
  void ApplyDefinedAspect(bool defined);
  void MoveFocus(bool next);
  NumberTypingRules TypingRules() const;

  QPointer<TNoxNumber> m_value;
  bool m_arrowMoveFocus = true;
  Nox::TDataDefinedAspect m_aspect = Nox::ddNone;
  bool m_defined = true;
};
