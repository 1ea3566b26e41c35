#include "windows/TFormOndaCostruita.h"

#include "controls/FloatText.h"
#include "controls/TNumericEdit.h"
#include "controls/TValueEditEx.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"
#include "ui_TFormOndaCostruita.h"
#include "windows/ConfigWindowRules.h"
#include "windows/ConstructedWaveTime.h"
#include "windows/FormTextTable.h"

#include <QKeyEvent>
#include <QShowEvent>

TFormOndaCostruita::TFormOndaCostruita(TSerialDataModule &module, QWidget *parent)
    : FieldDialog(parent), m_module(module), m_ui(std::make_unique<Ui::TFormOndaCostruita>()) {
  m_ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  // Each value is written as it is confirmed: nothing is left for OK.
  SetEscapeCloses(true);
  m_ui->NoxValEditNVolteAlto->setValue(module.NUMERO_VOLTE_ALTO);
  m_ui->NoxValueEditNVolteBasso->setValue(module.NUVERO_VOLTE_BASSO);
  m_ui->NoxValueEditNumeroOnde->setValue(module.NUMERO_RIPETIZIONI_ONDA);
  m_ui->NumericEditSondaSconnessa->setNextControl(m_ui->NoxValueEditNumeroOnde);
  m_ui->NumericEditSondaSconnessa->setPrevControl(m_ui->NoxValueEditNVolteBasso);
  FormTextTable::Apply(this, FormTextTable::FormOndaCostruita(),
                       [&module](int id) { return module.Text(id); });
  ShowUnitsAndLimits();
  connect(m_ui->NumericEditSondaSconnessa, &TNumericEdit::KeyDown, this,
          [this](int &key) { NumericEditSondaSconnessaKeyDown(key); });
  connect(m_ui->NumericEditSondaSconnessa, &TNumericEdit::Confirmed, this,
          &TFormOndaCostruita::ShowProbeTime);
  connect(m_ui->NoxValueEditNumeroOnde, &TValueEditEx::KeyDown, this,
          [this](int &key) { NoxValueEditNumeroOndeKeyDown(key); });
  connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TFormOndaCostruita::~TFormOndaCostruita() = default;

// Each caption carries its field's unit and limits, as the configuration
// window's hint does: the times are seconds, not ticks, and a value beyond
// a limit is taken as the limit.
void TFormOndaCostruita::ShowUnitsAndLimits() {
  for (TValueEditEx *edit : {m_ui->NoxValEditNVolteAlto, m_ui->NoxValueEditNVolteBasso, m_ui->NoxValueEditNumeroOnde})
    if (edit->Value())
      edit->setLabelCaption(edit->LabelCaption() + QLatin1Char(' ') + ConfigWindowRules::LimitsHint(*edit->Value()));
  TNumericEdit *probe = m_ui->NumericEditSondaSconnessa;
  const QString seconds = QStringLiteral("s");
  probe->setProperty("MeasureUnit", seconds);
  m_ui->LabelTempoTristate->setBuddy(probe);
  m_ui->LabelTempoTristate->setText(m_ui->LabelTempoTristate->text() + QLatin1Char(' ') +
                                    ConfigWindowRules::LimitsHint(probe->MinValue(), probe->MaxValue(), seconds));
}

void TFormOndaCostruita::showEvent(QShowEvent *event) {
  if (!event->spontaneous())
    FormShow();
  FieldDialog::showEvent(event);
}

void TFormOndaCostruita::FormShow() {
  m_ui->NoxValEditNVolteAlto->ReloadValue();
  m_ui->NoxValueEditNVolteBasso->ReloadValue();
  m_ui->NoxValueEditNumeroOnde->ReloadValue();
  ShowProbeTime();
}

// What the unit's two bytes now mean, never the text as typed: the fitter
// sees the time the unit will really use.
void TFormOndaCostruita::ShowProbeTime() {
  const double seconds = ConstructedWaveTime::ToSeconds(m_module.NUMERO_VOLTE_TRI->GetIntValue(),
                                                        m_module.NUMERO_RIPETIZIONI_TRI->GetIntValue());
  // Accepted as well, so that leaving the field keeps it.
  m_ui->NumericEditSondaSconnessa->ShowValue(seconds);
}

// Runs before the field's own Enter, on the text as typed.
void TFormOndaCostruita::NumericEditSondaSconnessaKeyDown(int key) {
  if (key != Qt::Key_Return && key != Qt::Key_Enter)
    return;
  TNoxNumber *blocks = m_module.NUMERO_RIPETIZIONI_TRI;
  const ConstructedWaveTime::Split split =
      ConstructedWaveTime::ForConfirmedText(m_ui->NumericEditSondaSconnessa->text(),
                                            m_module.NUMERO_VOLTE_TRI->GetIntValue(), blocks->GetIntValue());
  blocks->SetIntValue(split.Blocks & 0xFF);
  m_module.NUMERO_VOLTE_TRI->SetIntValue(split.Ticks & 0xFF);
  if (split.FinalBlocks >= 0)
    blocks->SetIntValue(split.FinalBlocks & 0xFF);
}

// Runs before the field commits its text.
void TFormOndaCostruita::NoxValueEditNumeroOndeKeyDown(int key) {
  if (key != Qt::Key_Return && key != Qt::Key_Enter)
    return;
  TValueEditEx *edit = m_ui->NoxValueEditNumeroOnde;
  const QString committed = ConstructedWaveTime::WaveCountText(
      edit->text(), m_module.NUMERO_VOLTE_TRI->GetIntValue(), m_module.NUMERO_RIPETIZIONI_TRI->GetIntValue());
  if (committed != edit->text())
    edit->setText(committed);
}
