#include "windows/ConfigControlBindings.h"

#include "controls/TNoxCheckBox.h"
#include "controls/TNoxComboBox.h"
#include "controls/TNoxLabel.h"
#include "controls/TValueEditEx.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/TSerialDataModule.h"

#include <QWidget>

namespace {

using M = TSerialDataModule;

struct ParameterBinding {
  const char *Control;
  TNoxNumber *M::*Item;
};

struct LiveBinding {
  const char *Control;
  TNoxPacketData *M::*Item;
};

struct Neighbours {
  const char *Control;
  const char *Next; // nullptr: none
  const char *Prev;
};

constexpr ParameterBinding kParameters[] = {
    {"NoxComboTipoAcc", &M::TIPO_ACCENSIONE},
    {"NoxComboTipoSegnaleGiri", &M::TIPO_SEGNALE_GIRI},
    {"NoxComboTipoCambio", &M::TIPO_CAMBIO},
    {"NoxValEditTempCambio", &M::TEMPERATURA_PER_CAMBIO},
    {"NoxValEditNGiriCambio", &M::GiriPerCambio},
    {"NOXValueEditTempoDiCicchetto", &M::TempoDiCicchetto},
    {"NoxValEditTempSovr", &M::TEMPO_SOVRAPPOSIZIONE},
    {"NoxComboCommutatore", &M::TIPO_COMMUTATORE},
    {"NoxComboTipoSensore", &M::TipoSensore},
    {"NoxComboTipoTPS", &M::TIPO_TPS},
    {"NoxComboTipoSonda", &M::TIPO_SONDA_LAMBDA},
    {"NoxValEditRitardoSonda", &M::RITARDO_LETTURA_SONDA},
    {"NoxComboTipoEmul", &M::TIPO_EMULAZIONE},
    {"NoxCheckBoxAff", &M::FLAG_GONFIGURAZIONE},
    {"NoxValEditPosAff", &M::POSIZIONE_IN_AFFONDATA},
    {"NoxValEditTPSAff", &M::TPS_PER_AFFONDATA},
    {"NoxCheckBoxCutOff", &M::FLAG_GONFIGURAZIONE},
    {"NoxValEditGiriCutOff", &M::GiriCutOff},
    {"NoxValEditPosCutOff", &M::POSIZIONE_IN_CUTOFF},
    {"NoxCheckBoxDef", &M::FLAG_GONFIGURAZIONE},
    {"NoxValEditPosDef", &M::POSIZIONE_DEFAULT},
    {"NoxValEditMaxPos", &M::MASSIMA_APERTURA_ATTUATORE},
    {"NoxValEditMinPos", &M::MINIMA_APERTURA_ATTUATORE},
    {"NoxCheckBoxFuoriGiri", &M::GiriFuoriGiri},
    {"NOXValueEditExFuoriGiri", &M::GiriFuoriGiri},
    {"NoxCheckBoxGuidaEco", &M::FLAG_CONFIGURAZIONE_2},
    {"NoxValEditIstMinTPS", &M::ISTERESI_MINIMO_TPS},
    {"ValueEditEx5", &M::CHECKUP},
    {"ValueEditEx6", &M::RIPROGRAMMAZIONE},
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
  for (const ParameterBinding &binding : kParameters) {
    QWidget *control = Find(window, binding.Control);
    TNoxNumber *item = module.*binding.Item;
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
