#include "windows/FormTextTable.h"

#include "controls/TChildLabel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>

const QList<TextAssignment> &FormTextTable::FormConfig() {
  using S = TextSlot;
  static const QList<TextAssignment> table{
      {QStringLiteral("ButtonReset"), S::Text, 23},
      {QString(), S::WindowTitle, 4},
      {QStringLiteral("TabSheet1"), S::PageTitle, 24},
      {QStringLiteral("TabSheet2"), S::PageTitle, 25},
      {QStringLiteral("TabSheet3"), S::PageTitle, 26},
      {QStringLiteral("NoxLabelGiri"), S::CaptionLabel, 73},
      {QStringLiteral("NoxLabelTemperatura"), S::CaptionLabel, 74},
      {QStringLiteral("NoxLabelMinTPS"), S::CaptionLabel, 75},
      {QStringLiteral("NoxLabelMotore"), S::CaptionLabel, 76},
      {QStringLiteral("NoxLabelDefault"), S::CaptionLabel, 77},
      {QStringLiteral("NoxLabelLambda"), S::CaptionLabel, 78},
      {QStringLiteral("NoxLabelTPS"), S::CaptionLabel, 79},
      {QStringLiteral("NoxComboTipoAcc"), S::CaptionLabel, 27},
      {QStringLiteral("NoxComboTipoAcc"), S::ComboItems, 28, 7},
      {QStringLiteral("NoxComboTipoSegnaleGiri"), S::CaptionLabel, 35},
      {QStringLiteral("NoxComboTipoSegnaleGiri"), S::ComboItems, 36, 2},
      {QStringLiteral("NoxComboTipoCambio"), S::CaptionLabel, 38},
      {QStringLiteral("NoxComboTipoCambio"), S::ComboItems, 39, 2},
      {QStringLiteral("NoxComboCommutatore"), S::CaptionLabel, 45},
      {QStringLiteral("NoxComboCommutatore"), S::ComboItems, 46, 2},
      {QStringLiteral("NoxComboTipoSensore"), S::CaptionLabel, 49},
      {QStringLiteral("NoxComboTipoSensore"), S::ComboItems, 51, 4},
      {QStringLiteral("NoxComboTipoTPS"), S::CaptionLabel, 55},
      {QStringLiteral("NoxComboTipoTPS"), S::ComboItems, 56, 6},
      {QStringLiteral("NoxComboTipoSonda"), S::CaptionLabel, 62},
      {QStringLiteral("NoxComboTipoSonda"), S::ComboItems, 63, 6},
      {QStringLiteral("NoxComboTipoEmul"), S::CaptionLabel, 69},
      {QStringLiteral("NoxComboTipoEmul"), S::ComboItems, 70, 3},
      {QStringLiteral("NoxValEditTempCambio"), S::CaptionLabel, 41},
      {QStringLiteral("NoxValEditNGiriCambio"), S::CaptionLabel, 42},
      {QStringLiteral("NoxValEditTempSovr"), S::CaptionLabel, 43},
      {QStringLiteral("NoxValEditRitardoSonda"), S::CaptionLabel, 44},
      {QStringLiteral("NoxValEditPosAff"), S::CaptionLabel, 81},
      {QStringLiteral("NoxValEditTPSAff"), S::CaptionLabel, 82},
      {QStringLiteral("NoxValEditGiriCutOff"), S::CaptionLabel, 84},
      {QStringLiteral("NoxValEditPosCutOff"), S::CaptionLabel, 85},
      {QStringLiteral("NoxValEditPosDef"), S::CaptionLabel, 87},
      {QStringLiteral("NoxValEditMaxPos"), S::CaptionLabel, 88},
      {QStringLiteral("NoxValEditMinPos"), S::CaptionLabel, 89},
      {QStringLiteral("NOXValueEditExFuoriGiri"), S::CaptionLabel, 91},
      {QStringLiteral("NoxValEditIstMinTPS"), S::CaptionLabel, 93},
      {QStringLiteral("NOXValueEditTempoDiCicchetto"), S::CaptionLabel, 132},
      {QStringLiteral("NoxCheckBoxAff"), S::Text, 80},
      {QStringLiteral("NoxCheckBoxCutOff"), S::Text, 83},
      {QStringLiteral("NoxCheckBoxDef"), S::Text, 86},
      {QStringLiteral("NoxCheckBoxFuoriGiri"), S::Text, 90},
      {QStringLiteral("NoxCheckBoxGuidaEco"), S::Text, 92},
      {QStringLiteral("ButtonOndaCostruita"), S::Text, 105},
      {QStringLiteral("ButtonGrafico"), S::Text, 185},
      // The window centres the note once its new text is in.
      {QStringLiteral("LabelNota"), S::Text, 156},
  };
  return table;
}

const QList<TextAssignment> &FormTextTable::FormOndaCostruita() {
  using S = TextSlot;
  static const QList<TextAssignment> table{
      {QString(), S::WindowTitle, 200},
      {QStringLiteral("NoxValEditNVolteAlto"), S::CaptionLabel, 101},
      {QStringLiteral("NoxValueEditNVolteBasso"), S::CaptionLabel, 102},
      {QStringLiteral("NoxValueEditNumeroOnde"), S::CaptionLabel, 103},
      {QStringLiteral("LabelTempoTristate"), S::Text, 104},
  };
  return table;
}

QStringList FormTextTable::Texts(const TextAssignment &assignment, const std::function<QString(int)> &text) {
  QStringList texts;
  for (int i = 0; i < assignment.Count; ++i)
    texts << text(assignment.FirstId + i);
  return texts;
}

QStringList FormTextTable::Apply(QWidget *window, const QList<TextAssignment> &table,
                                 const std::function<QString(int)> &text) {
  QStringList missing;
  for (const TextAssignment &assignment : table) {
    QWidget *element =
        assignment.Element.isEmpty() ? window : window->findChild<QWidget *>(assignment.Element);
    const QStringList texts = Texts(assignment, text);
    bool applied = false;
    if (element) {
      switch (assignment.Slot) {
      case TextSlot::WindowTitle:
        element->setWindowTitle(texts.value(0));
        applied = true;
        break;
      case TextSlot::Text:
        if (auto *caption = qobject_cast<TChildLabel *>(element)) {
          caption->setCaption(texts.value(0)); // fitted and placed beside its owner
          applied = true;
        } else if (auto *label = qobject_cast<QLabel *>(element)) {
          label->setText(texts.value(0));
          applied = true;
        } else if (auto *button = qobject_cast<QAbstractButton *>(element)) {
          button->setText(texts.value(0));
          applied = true;
        }
        break;
      case TextSlot::PageTitle:
        for (QWidget *up = element->parentWidget(); up && !applied; up = up->parentWidget()) {
          if (auto *tabs = qobject_cast<QTabWidget *>(up)) {
            const int index = tabs->indexOf(element);
            if (index >= 0) {
              tabs->setTabText(index, texts.value(0));
              applied = true;
            }
          }
        }
        break;
      case TextSlot::CaptionLabel:
        // Every bound control with a caption label publishes it this way.
        applied = element->setProperty("LabelCaption", texts.value(0));
        break;
      case TextSlot::ComboItems:
        if (auto *combo = qobject_cast<QComboBox *>(element)) {
          // Refilling is no choice of the fitter, so nothing is written; the
          // bound combo box shows its parameter again when every item is
          // notified after the texts.
          combo->clear();
          combo->addItems(texts);
          applied = true;
        }
        break;
      }
    }
    if (!applied)
      missing << assignment.Element;
  }
  return missing;
}
