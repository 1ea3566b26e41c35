#pragma once
#include <QString>
#include <functional>

class QWidget;
class TSerialDataModule;

// Says in a status bar that a field took a typed value as its limit (9000
// typed, 6000 written): the value stays limited, as the unit needs, but the
// fitter learns that it is not the one typed.
class LimitNotes {
public:
  // Watches every number field of the window. A field's caption is its own
  // caption label or the label whose buddy it is; its measure unit that of
  // its parameter, or its "MeasureUnit" property.
  static void Watch(QWidget &window, const TSerialDataModule &module, std::function<void(const QString &)> say);

  static QString Text(const TSerialDataModule &module, const QString &caption, double limit, const QString &unit,
                      bool highest);

  static constexpr int TEXT_HIGHEST = 340;
  static constexpr int TEXT_LOWEST = 341;
};
