#pragma once
#include "ecuconfig/TSerialDataModule.h"

#include <QList>
#include <QString>
#include <cstdint>

class TNoxNumber;
class TNoxSerialData;

// When a check box is ticked, and what ticking or clearing it writes.
struct CheckRule {
  enum class Condition { EqualTo, NotEqualTo, MinorOf, GreaterOf, MaskedBit };
  Condition When = Condition::NotEqualTo;
  double ConditionValue = 0; // the mask of a masked bit
  double CheckedValue = 1;
  double UncheckedValue = 0;

  bool IsChecked(double value) const;
};

// One field of the vehicle configuration window: the control, the parameter
// it shows, its caption and how it shows the value.
struct ConfigurationField {
  enum class Kind { Value, Combo, Check };
  // The window's visibility rules that depend on the unit's values.
  enum class Shown {
    Always,
    Never,        // kept in the window but never visible
    WithCheckBox, // while the check box named by ShownWith is ticked
    KickTime,     // while the gear change is by time (TIPO_CAMBIO 2)
    GearSpeed,    // while it is not
  };

  const char *Control;
  TNoxNumber *TSerialDataModule::*Item;
  Kind Type;
  int CaptionId = 0; // 0: the field has no translated caption
  // A combo box: value i shows the text FirstItemId + i.
  int FirstItemId = 0;
  int ItemCount = 0;
  CheckRule Check{};
  Shown Visibility = Shown::Always;
  const char *ShownWith = nullptr;
};

struct ConfigurationPage {
  const char *Page; // the page's objectName
  int TitleId;
  QList<ConfigurationField> Fields; // in the window's order
};

// A field as the window shows it now, in the current language.
struct ShownField {
  const ConfigurationField *Field = nullptr;
  QString Caption;
  QString Value;
  QString Unit; // empty for combo boxes and check boxes
};

// The pages and fields of the vehicle configuration window as data: the
// window binds its controls from it, and the core can say what the window
// shows (reports, the change log's captions) without a widget.
class ConfigurationPages {
public:
  static const QList<ConfigurationPage> &Pages();
  // The field of that control; null if none.
  static const ConfigurationField *FieldOf(const QString &control);

  // What the window shows of a page for the module's current values.
  static QList<ShownField> Shown(TSerialDataModule &module, const ConfigurationPage &page);
  static bool IsShown(TSerialDataModule &module, const ConfigurationField &field);
  // A user value of the field's parameter as the field shows it.
  static QString ValueText(const TSerialDataModule &module, const ConfigurationField &field, double value);

  // The caption of the field showing an item, in the current language; for
  // a parameter no field shows, its own caption. Check boxes that share a parameter are told
  // apart by the bits that changed (changedBits), the first one otherwise.
  static QString CaptionOf(const TSerialDataModule &module, const TNoxSerialData *item,
                           std::int32_t changedBits = -1);
  // The field that shows an item (the check box owning changedBits); null if none.
  static const ConfigurationField *FieldShowing(const TSerialDataModule &module, const TNoxSerialData *item,
                                                std::int32_t changedBits = -1);

  static constexpr int TEXT_CHECKED = 272;
  static constexpr int TEXT_UNCHECKED = 273;
};
