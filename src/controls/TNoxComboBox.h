#pragma once
#include "controls/KeyedComboBox.h"
#include "controls/TChildLabel.h"
#include "controls/TResizer.h"

#include "dataitems/TNoxNumber.h"

// A combo box bound to one ECU parameter: item i stands for the user value
// i. Showing the parameter selects the item nearest to its value (nothing
// when negative or beyond the list); the fitter's choice is written at once
// as the item's index.
class TNoxComboBox : public KeyedComboBox, public CaptionSettings, public ResizerSettings {
  Q_OBJECT
  Q_PROPERTY(bool ArrowMoveFocus READ ArrowMoveFocus WRITE setArrowMoveFocus)
  Q_PROPERTY(QString LabelCaption READ LabelCaption WRITE setLabelCaption)
  Q_PROPERTY(Nox::TLabelPosition LabelPosition READ LabelPosition WRITE setLabelPosition)
  Q_PROPERTY(int LabelSpacing READ LabelSpacing WRITE setLabelSpacing)
  Q_PROPERTY(int ResizingBorder READ ResizingBorder WRITE setResizingBorder)
  Q_PROPERTY(Nox::TResizingMode ResizingMode READ ResizingMode WRITE setResizingMode)
  Q_PROPERTY(int GridDimension READ GridDimension WRITE setGridDimension)
  Q_PROPERTY(bool FixDblClick READ FixDblClick WRITE setFixDblClick)

public:
  explicit TNoxComboBox(QWidget *parent = nullptr);
  ~TNoxComboBox() override;

  TChildLabel *ComboLabel() const { return m_caption; }

  TNoxNumber *Value() const { return m_value; }
  // Leaves the old parameter's observers and joins the new one's; the
  // selection changes with the parameter's next notification.
  void setValue(TNoxNumber *item);
  bool ArrowMoveFocus() const { return m_arrowMoveFocus; }
  void setArrowMoveFocus(bool on) { m_arrowMoveFocus = on; }

  // After the window description has been applied: reads the parameter
  // again (from the unit when connected) and shows it once.
  void Loaded();

protected:
  bool event(QEvent *event) override;
  void changeEvent(QEvent *event) override;
  void ArmedEnter() override;
  bool ArrowOnClosedList(bool next) override;
  void CompanionsFollowBounds() override;
  void CompanionsFollowParent() override;
  void CompanionsFollowVisibility(bool visible) override;

private:
  void ShowValue();
  void ShowUserValue(double value);

  QPointer<TNoxNumber> m_value;
  bool m_arrowMoveFocus = true;
};
