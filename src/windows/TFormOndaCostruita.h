#pragma once
#include "windows/FieldDialog.h"
#include <memory>

class TSerialDataModule;
namespace Ui {
class TFormOndaCostruita;
}

// "Costruzione Onda": the wave the unit emulates on the lambda line with the
// "Circuito Aperto" emulation. High time, low time and the number of waves
// are bound fields; the disconnected-probe time is typed in seconds and
// split here into the unit's blocks and ticks. Created, shown modally and
// destroyed by the vehicle configuration window.
class TFormOndaCostruita : public FieldDialog {
  Q_OBJECT
public:
  explicit TFormOndaCostruita(TSerialDataModule &module, QWidget *parent = nullptr);
  ~TFormOndaCostruita() override;

protected:
  void showEvent(QShowEvent *event) override;

private:
  void FormShow();
  void ShowUnitsAndLimits();
  void ShowProbeTime();
  void NumericEditSondaSconnessaKeyDown(int key);
  void NoxValueEditNumeroOndeKeyDown(int key);

  TSerialDataModule &m_module;
  std::unique_ptr<Ui::TFormOndaCostruita> m_ui;
};
