#pragma once
#include "ecuconfig/ConfigurationComparison.h"

#include <QList>
#include <QString>
#include <cstdint>

class TNoxNumber;
class TSerialDataModule;

// The comparison before loading in the words of the configuration window:
// each row has the caption of the field the fitter knows, and the values as
// that field shows them (a combo box's text, a check box's Yes or No). A
// flags byte gives one row per check box whose bit changes, because the
// byte as a number hides which switch the load turns off.
class ComparisonRows {
public:
  struct Row {
    const TNoxNumber *Item = nullptr;
    QString Caption;
    QString UnitText; // what the unit holds, as the field shows it
    QString FileText; // what the file holds; "(missing)" when absent
    QString Unit;     // the measure unit of a number; empty for texts
  };

  static QList<Row> For(const TSerialDataModule &module,
                        const QList<ConfigurationComparison::Difference> &differences);

  // The caption of the field that shows a parameter's value (not one of the
  // check boxes inside a flags byte), else the parameter's own caption.
  static QString CaptionOf(const TSerialDataModule &module, const TNoxNumber &item);
  // The caption of a parameter as a whole, where no field shows it: the one
  // place such captions come from. The file key while none is given.
  static QString ParameterCaption(const TSerialDataModule &module, const TNoxNumber &item);

private:
  static bool AppendCheckBoxRows(const TSerialDataModule &module,
                                 const ConfigurationComparison::Difference &difference, QList<Row> &rows);
};
