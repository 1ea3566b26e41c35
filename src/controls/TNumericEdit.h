#pragma once
#include "controls/FocusMoves.h"
#include "controls/NumberEditBase.h"
#include "controls/NumberTyping.h"

// A numeric field bound to no data item: it keeps its own value, limits and
// precision, filters typing like the value edit and moves the focus along a
// chain of neighbours (no fall-back to the tab order).
class TNumericEdit : public NumberEditBase, public NeighbourChainLink {
  Q_OBJECT
  Q_PROPERTY(double Precision READ Precision WRITE setPrecision)
  Q_PROPERTY(double MaxValue READ MaxValue WRITE setMaxValue)
  Q_PROPERTY(double MinValue READ MinValue WRITE setMinValue)
  Q_PROPERTY(bool DisableLimit READ DisableLimit WRITE setDisableLimit)
  Q_PROPERTY(int DataCode READ DataCode WRITE setDataCode)
  Q_PROPERTY(int DataIndex READ DataIndex WRITE setDataIndex)

public:
  explicit TNumericEdit(QWidget *parent = nullptr);

  double Precision() const { return m_precision; }
  void setPrecision(double value) { m_precision = value; }
  double MaxValue() const { return m_maxValue; }
  // Refused when below MinValue.
  void setMaxValue(double value);
  double MinValue() const { return m_minValue; }
  // Refused when above MaxValue.
  void setMinValue(double value);
  bool DisableLimit() const { return m_disableLimit; }
  void setDisableLimit(bool on) { m_disableLimit = on; }
  // Kept for the owner; the field never reads them.
  int DataCode() const { return m_dataCode; }
  void setDataCode(int value) { m_dataCode = value; }
  int DataIndex() const { return m_dataIndex; }
  void setDataIndex(int value) { m_dataIndex = value; }

  // The last accepted value.
  double AcceptedValue() const { return m_accepted; }
  // Shows x within the limits and at the precision, and accepts it.
  void ShowValue(double x);

  QWidget *ChainNeighbour(bool next) const override { return next ? NextControl() : PrevControl(); }

Q_SIGNALS:
  // Enter accepted the text, before the focus moves on: the owner may show
  // what its own storage made of the value.
  void Confirmed();

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void EnteringField() override;
  void LeavingField() override;

private:
  bool LimitsInForce() const;
  double ValueFromText() const;
  void MoveFocus(bool next);

  double m_precision = 0;
  double m_maxValue = 0;
  double m_minValue = 0;
  bool m_disableLimit = false;
  int m_dataCode = -1;
  int m_dataIndex = -1;
  double m_accepted = 0;
};
