#pragma once
#include "controls/FocusMoves.h"
#include "controls/KeyedComboBox.h"

// A combo box with the keyboard conventions of the bound one but no data
// item: Enter opens and closes the list and writes nothing; Up and Down on
// the closed list always move the focus along the neighbour chain, never
// to the tab order.
class TKeyComboBox : public KeyedComboBox, public NeighbourChainLink {
  Q_OBJECT
  Q_PROPERTY(int DataCode READ DataCode WRITE setDataCode)
  Q_PROPERTY(int DataIndex READ DataIndex WRITE setDataIndex)
  Q_PROPERTY(bool MoveFocus READ MoveFocus WRITE setMoveFocus)

public:
  explicit TKeyComboBox(QWidget *parent = nullptr);

  // Kept for the owner; the control never reads them.
  int DataCode() const { return m_dataCode; }
  void setDataCode(int value) { m_dataCode = value; }
  int DataIndex() const { return m_dataIndex; }
  void setDataIndex(int value) { m_dataIndex = value; }
  bool MoveFocus() const { return m_moveFocus; }
  void setMoveFocus(bool on) { m_moveFocus = on; }

  QWidget *ChainNeighbour(bool next) const override { return next ? NextControl() : PrevControl(); }

protected:
  void ArmedEnter() override;
  bool ArrowOnClosedList(bool next) override;

private:
  int m_dataCode = -1;
  int m_dataIndex = -1;
  bool m_moveFocus = true;
};
