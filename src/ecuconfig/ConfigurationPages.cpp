#include "ecuconfig/ConfigurationPages.h"

#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/ParameterNames.h"
#include "platform/FloatText.h"

bool CheckRule::IsChecked(double x) const {
  switch (When) {
  case Condition::EqualTo:
    return x == ConditionValue;
  case Condition::NotEqualTo:
    return x != ConditionValue;
  case Condition::MinorOf:
    return x < ConditionValue;
  case Condition::GreaterOf:
    return x > ConditionValue;
  case Condition::MaskedBit: {
    std::int32_t value = 0, mask = 0;
    return NumberConversion::TruncateToInt32(x, value) &&
           NumberConversion::TruncateToInt32(ConditionValue, mask) && (value & mask) == CheckedValue;
  }
  }
  return false;
}

namespace {

using M = TSerialDataModule;
using F = ConfigurationField;
using K = ConfigurationField::Kind;
using S = ConfigurationField::Shown;
using C = CheckRule::Condition;

F Value(const char *control, TNoxNumber *M::*item, int captionId, S shown = S::Always,
        const char *shownWith = nullptr) {
  return F{control, item, K::Value, captionId, 0, 0, {}, shown, shownWith};
}

F Combo(const char *control, TNoxNumber *M::*item, int captionId, int firstItemId, int itemCount,
        S shown = S::Always) {
  return F{control, item, K::Combo, captionId, firstItemId, itemCount, {}, shown, nullptr};
}

F Check(const char *control, TNoxNumber *M::*item, int captionId, CheckRule rule) {
  return F{control, item, K::Check, captionId, 0, 0, rule, S::Always, nullptr};
}

CheckRule Bit(double mask) {
  return CheckRule{C::MaskedBit, mask, mask, 0};
}

} // namespace

const QList<ConfigurationPage> &ConfigurationPages::Pages() {
  static const QList<ConfigurationPage> pages{
      {"TabSheet1",
       24,
       {
           Combo("NoxComboTipoAcc", &M::TIPO_ACCENSIONE, 27, 28, 7),
           Combo("NoxComboTipoSegnaleGiri", &M::TIPO_SEGNALE_GIRI, 35, 36, 2),
           Combo("NoxComboTipoCambio", &M::TIPO_CAMBIO, 38, 39, 2),
           Value("NoxValEditTempCambio", &M::TEMPERATURA_PER_CAMBIO, 41),
           Value("NoxValEditNGiriCambio", &M::GiriPerCambio, 42, S::GearSpeed),
           Value("NOXValueEditTempoDiCicchetto", &M::TempoDiCicchetto, 132, S::KickTime),
           Value("NoxValEditTempSovr", &M::TEMPO_SOVRAPPOSIZIONE, 43),
           // Kept consistent by the window, never offered to the fitter.
           Combo("NoxComboCommutatore", &M::TIPO_COMMUTATORE, 45, 46, 2, S::Never),
           Combo("NoxComboTipoSensore", &M::TipoSensore, 49, 51, 4),
           Combo("NoxComboTipoTPS", &M::TIPO_TPS, 55, 56, 6),
           Combo("NoxComboTipoSonda", &M::TIPO_SONDA_LAMBDA, 62, 63, 6),
           Value("NoxValEditRitardoSonda", &M::RITARDO_LETTURA_SONDA, 44),
           Combo("NoxComboTipoEmul", &M::TIPO_EMULAZIONE, 69, 70, 3),
       }},
      {"TabSheet2",
       25,
       {
           Check("NoxCheckBoxAff", &M::FLAG_GONFIGURAZIONE, 80, Bit(1)),
           Value("NoxValEditPosAff", &M::POSIZIONE_IN_AFFONDATA, 81, S::WithCheckBox, "NoxCheckBoxAff"),
           Value("NoxValEditTPSAff", &M::TPS_PER_AFFONDATA, 82, S::WithCheckBox, "NoxCheckBoxAff"),
           Check("NoxCheckBoxCutOff", &M::FLAG_GONFIGURAZIONE, 83, Bit(4)),
           Value("NoxValEditGiriCutOff", &M::GiriCutOff, 84, S::WithCheckBox, "NoxCheckBoxCutOff"),
           Value("NoxValEditPosCutOff", &M::POSIZIONE_IN_CUTOFF, 85, S::WithCheckBox, "NoxCheckBoxCutOff"),
           Check("NoxCheckBoxDef", &M::FLAG_GONFIGURAZIONE, 86, Bit(8)),
           Value("NoxValEditPosDef", &M::POSIZIONE_DEFAULT, 87, S::WithCheckBox, "NoxCheckBoxDef"),
       }},
      {"TabSheet3",
       26,
       {
           Value("NoxValEditMaxPos", &M::MASSIMA_APERTURA_ATTUATORE, 88),
           Value("NoxValEditMinPos", &M::MINIMA_APERTURA_ATTUATORE, 89),
           Check("NoxCheckBoxFuoriGiri", &M::GiriFuoriGiri, 90, CheckRule{C::MinorOf, 9000, 6000, 12000}),
           Value("NOXValueEditExFuoriGiri", &M::GiriFuoriGiri, 91, S::WithCheckBox, "NoxCheckBoxFuoriGiri"),
           Check("NoxCheckBoxGuidaEco", &M::FLAG_CONFIGURAZIONE_2, 92, Bit(8)),
           Value("NoxValEditIstMinTPS", &M::ISTERESI_MINIMO_TPS, 93),
           // Service values the window holds out of sight.
           Value("ValueEditEx5", &M::CHECKUP, 0, S::Never),
           Value("ValueEditEx6", &M::RIPROGRAMMAZIONE, 0, S::Never),
       }},
  };
  return pages;
}

const ConfigurationField *ConfigurationPages::FieldOf(const QString &control) {
  for (const ConfigurationPage &page : Pages())
    for (const ConfigurationField &field : page.Fields)
      if (control == QLatin1String(field.Control))
        return &field;
  return nullptr;
}

bool ConfigurationPages::IsShown(TSerialDataModule &module, const ConfigurationField &field) {
  switch (field.Visibility) {
  case S::Always:
    return true;
  case S::Never:
    return false;
  case S::KickTime:
  case S::GearSpeed:
    return (module.TIPO_CAMBIO->GetIntValue() == 2) == (field.Visibility == S::KickTime);
  case S::WithCheckBox: {
    const ConfigurationField *box = FieldOf(QLatin1String(field.ShownWith));
    return box && box->Check.IsChecked((module.*box->Item)->GetValue());
  }
  }
  return false;
}

QString ConfigurationPages::ValueText(const TSerialDataModule &module, const ConfigurationField &field,
                                      double value) {
  switch (field.Type) {
  case K::Value:
    return FloatToText(value);
  case K::Combo: {
    // As the combo box selects: the nearest item, none beyond the list.
    std::int32_t index = 0;
    if (value >= 0 && NumberConversion::TruncateToInt32(value + 0.5, index) && index < field.ItemCount)
      return module.Text(field.FirstItemId + index);
    return QString();
  }
  case K::Check:
    return module.Text(field.Check.IsChecked(value) ? TEXT_CHECKED : TEXT_UNCHECKED);
  }
  return QString();
}

QList<ShownField> ConfigurationPages::Shown(TSerialDataModule &module, const ConfigurationPage &page) {
  QList<ShownField> shown;
  for (const ConfigurationField &field : page.Fields) {
    if (!IsShown(module, field))
      continue;
    TNoxNumber *item = module.*field.Item;
    shown.append({&field, field.CaptionId ? module.Text(field.CaptionId) : QString(),
                  ValueText(module, field, item->GetValue()),
                  field.Type == K::Value ? item->MeasureUnit() : QString()});
  }
  return shown;
}

const ConfigurationField *ConfigurationPages::FieldShowing(const TSerialDataModule &module,
                                                           const TNoxSerialData *item,
                                                           std::int32_t changedBits) {
  if (!item)
    return nullptr;
  // A masked check box owning the changed bits, else the value or combo
  // field, else the first check box: the field the fitter would have used.
  const ConfigurationField *field = nullptr, *box = nullptr;
  for (const ConfigurationPage &page : Pages()) {
    for (const ConfigurationField &candidate : page.Fields) {
      if (module.*candidate.Item != item || candidate.CaptionId == 0)
        continue;
      if (candidate.Type != K::Check) {
        if (!field)
          field = &candidate;
        continue;
      }
      std::int32_t mask = 0;
      if (changedBits != -1 && candidate.Check.When == C::MaskedBit &&
          NumberConversion::TruncateToInt32(candidate.Check.ConditionValue, mask) && (mask & changedBits))
        return &candidate;
      if (!box)
        box = &candidate;
    }
  }
  // A flags byte whose changed bits no box owns is not that box's change.
  if (!field && changedBits > 0 && !ParameterNames::CaptionOf(module, item, changedBits).isEmpty())
    return nullptr;
  return field ? field : box;
}

QString ConfigurationPages::CaptionOf(const TSerialDataModule &module, const TNoxSerialData *item,
                                      std::int32_t changedBits) {
  const ConfigurationField *field = FieldShowing(module, item, changedBits);
  return field ? module.Text(field->CaptionId) : ParameterNames::CaptionOf(module, item, changedBits);
}
