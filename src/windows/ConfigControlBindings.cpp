#include "windows/ConfigControlBindings.h"

#include "controls/TNoxCheckBox.h"
#include "controls/TNoxComboBox.h"
#include "controls/TNoxLabel.h"
#include "controls/TValueEditEx.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/ConfigurationPages.h"
#include "ecuconfig/TSerialDataModule.h"

#include <QWidget>

namespace {

using M = TSerialDataModule;

struct LiveBinding {
  const char *Control;
  TNoxPacketData *M::*Item;
};

struct Neighbours {
  const char *Control;
  const char *Next; // nullptr: none
  const char *Prev;
};

constexpr LiveBinding kLiveValues[] = {
    {"NoxLabelGiri", &M::VAL_GIRI},
    {"NoxLabelTemperatura", &M::VAL_TEMPERATURA},
    {"NoxLabelMinTPS", &M::VALORE_MINIMO_TPS},
    {"NoxLabelMotore", &M::POSIZIONE_ATTUATORE},
    {"NoxLabelDefault", &M::VALORE_POSIZIONE_DEFAULT},
    {"NoxLabelLambda", &M::VALORE_LAMBDA},
    {"NoxLabelTPS", &M::VALOR_TPS},
};

constexpr Neighbours kChain[] = {
    {"NoxComboTipoAcc", "NoxComboTipoSegnaleGiri", "NoxComboTipoEmul"},
    {"NoxComboTipoSegnaleGiri", "NoxComboTipoCambio", "NoxComboTipoAcc"},
    {"NoxComboTipoCambio", "NoxValEditTempCambio", "NoxComboTipoSegnaleGiri"},
    {"NoxValEditTempCambio", "NoxValEditNGiriCambio", "NoxComboTipoCambio"},
    {"NoxValEditNGiriCambio", "NoxValEditTempSovr", "NoxValEditTempCambio"},
    {"NOXValueEditTempoDiCicchetto", "NoxValEditTempSovr", "NoxValEditTempCambio"},
    {"NoxValEditTempSovr", "NoxComboCommutatore", "NoxValEditNGiriCambio"},
    {"NoxComboCommutatore", "NoxComboTipoSensore", "NoxValEditTempSovr"},
    {"NoxComboTipoSensore", "NoxComboTipoTPS", "NoxComboCommutatore"},
    {"NoxComboTipoTPS", "NoxComboTipoSonda", "NoxComboTipoSensore"},
    {"NoxComboTipoSonda", "NoxValEditRitardoSonda", "NoxComboTipoTPS"},
    {"NoxValEditRitardoSonda", "NoxComboTipoEmul", "NoxComboTipoSonda"},
    {"NoxComboTipoEmul", "NoxComboTipoAcc", "NoxValEditRitardoSonda"},
    {"NoxValEditPosAff", "NoxValEditTPSAff", "NoxCheckBoxAff"},
    {"NoxValEditTPSAff", "NoxCheckBoxCutOff", "NoxValEditPosAff"},
    {"NoxValEditGiriCutOff", "NoxValEditPosCutOff", "NoxCheckBoxCutOff"},
    {"NoxValEditPosCutOff", "NoxCheckBoxDef", "NoxValEditGiriCutOff"},
    {"NoxValEditPosDef", "NoxCheckBoxAff", "NoxCheckBoxDef"},
    {"NoxValEditMaxPos", "NoxValEditMinPos", "ButtonReset"},
    {"NoxValEditMinPos", "NoxCheckBoxFuoriGiri", "NoxValEditMaxPos"},
    {"NOXValueEditExFuoriGiri", "NoxCheckBoxGuidaEco", "NoxCheckBoxFuoriGiri"},
    {"NoxValEditIstMinTPS", "ButtonReset", "NoxCheckBoxGuidaEco"},
};

QWidget *Find(QWidget *window, const char *name) {
  return name ? window->findChild<QWidget *>(QLatin1String(name)) : nullptr;
}

template <typename Control> void SetNeighbours(Control *control, QWidget *next, QWidget *prev) {
  control->setNextControl(next);
  control->setPrevControl(prev);
}

} // namespace

void ConfigControlBindings::Apply(QWidget *window, TSerialDataModule &module) {
  for (const ConfigurationPage &page : ConfigurationPages::Pages())
    for (const ConfigurationField &field : page.Fields) {
      QWidget *control = Find(window, field.Control);
      TNoxNumber *item = module.*field.Item;
      if (auto *edit = qobject_cast<TValueEditEx *>(control))
        edit->setValue(item);
      else if (auto *combo = qobject_cast<TNoxComboBox *>(control))
        combo->setValue(item);
      else if (auto *check = qobject_cast<TNoxCheckBox *>(control))
        check->setValue(item);
    }
  for (const LiveBinding &binding : kLiveValues)
    if (auto *label = qobject_cast<TNoxLabel *>(Find(window, binding.Control)))
      label->setValue(module.*binding.Item);
  for (const Neighbours &link : kChain) {
    QWidget *control = Find(window, link.Control);
    QWidget *next = Find(window, link.Next);
    QWidget *prev = Find(window, link.Prev);
    if (auto *edit = qobject_cast<TValueEditEx *>(control))
      SetNeighbours(edit, next, prev);
    else if (auto *combo = qobject_cast<TNoxComboBox *>(control))
      SetNeighbours(combo, next, prev);
  }
  // As after loading a stored description: each combo box shows its value.
  for (TNoxComboBox *combo : window->findChildren<TNoxComboBox *>())
    combo->Loaded();
}
