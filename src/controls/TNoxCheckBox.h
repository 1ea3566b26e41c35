#pragma once
#include "controls/ControlSettings.h"
#include "controls/ControlTypes.h"

#include <QCheckBox>
#include <QPointer>

#include "dataitems/TNoxNumber.h"

// A check box bound to one ECU parameter: the Condition decides the checked
// state from the parameter's value, and a click writes CheckedValue or
// UncheckedValue (limits lifted), or, for ccMaskedBit, only the masked bits
// of the current value (limits kept).
class TNoxCheckBox : public QCheckBox, public ResizerSettings {
  Q_OBJECT
  Q_PROPERTY(Nox::TCheckCondition Condition READ Condition WRITE setCondition)
  Q_PROPERTY(double ConditionValue READ ConditionValue WRITE setConditionValue)
  Q_PROPERTY(double CheckedValue READ CheckedValue WRITE setCheckedValue)
  Q_PROPERTY(double UncheckedValue READ UncheckedValue WRITE setUncheckedValue)
  Q_PROPERTY(double ValueChecked READ CheckedValue WRITE setCheckedValue)
  Q_PROPERTY(double ValueUnchecked READ UncheckedValue WRITE setUncheckedValue)
  Q_PROPERTY(int ResizingBorder READ ResizingBorder WRITE setResizingBorder)
  Q_PROPERTY(Nox::TResizingMode ResizingMode READ ResizingMode WRITE setResizingMode)
  Q_PROPERTY(int GridDimension READ GridDimension WRITE setGridDimension)
  Q_PROPERTY(bool FixDblClick READ FixDblClick WRITE setFixDblClick)

public:
  explicit TNoxCheckBox(QWidget *parent = nullptr);
  ~TNoxCheckBox() override;

  TNoxNumber *Value() const { return m_value; }
  // Leaves the old parameter's observers and joins the new one's; the state
  // changes with the parameter's next notification.
  void setValue(TNoxNumber *item);

  Nox::TCheckCondition Condition() const { return m_condition; }
  // Both read the parameter again (from the unit when connected) and show it.
  void setCondition(Nox::TCheckCondition condition);
  double ConditionValue() const { return m_conditionValue; }
  void setConditionValue(double value);
  double CheckedValue() const { return m_checkedValue; }
  void setCheckedValue(double value) { m_checkedValue = value; }
  double UncheckedValue() const { return m_uncheckedValue; }
  void setUncheckedValue(double value) { m_uncheckedValue = value; }

Q_SIGNALS:
  // The fitter toggled the box: the new state is set, the value not yet
  // written.
  void Click();

protected:
  bool event(QEvent *event) override;

private:
  void Reread();
  void ShowUserValue(double value);
  void Write();

  QPointer<TNoxNumber> m_value;
  Nox::TCheckCondition m_condition = Nox::ccNotEqualTo;
  double m_conditionValue = 0;
  double m_checkedValue = 1;
  double m_uncheckedValue = 0;
};
