// The vehicle configuration window's event handlers: keys, the limits hint,
// the fields that follow one another, the constructed wave and the EEPROM
// erase.
#include "windows/TFormConfig.h"

#include "controls/TNoxCheckBox.h"
#include "controls/TNoxComboBox.h"
#include "controls/TValueEditEx.h"
#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"
#include "ui_TFormConfig.h"
#include "windows/ConfigWindowRules.h"
#include "windows/LimitNotes.h"
#include "windows/TFormMain.h"
#include "windows/TFormOndaCostruita.h"

#include <QApplication>
#include <QKeyEvent>

namespace {
constexpr int TEXT_ERASE_QUESTION = 22;
constexpr int TEXT_WAIT_CAPTION = 19;
constexpr int TEXT_WAIT_LINE = 20;
constexpr int TEXT_ERASE_REFUSED = 215;
constexpr std::uint32_t ERASE_SETTLE_MS = 1000;
constexpr int HINT_GAP = 15;
} // namespace

void TFormConfig::ConnectHandlers() {
  for (TValueEditEx *edit : findChildren<TValueEditEx *>()) {
    if (edit == m_ui->ValueEditEx5 || edit == m_ui->ValueEditEx6)
      continue;
    connect(edit, &TValueEditEx::Entered, this, [this, edit] { NoxValEditNGiriCambioEnter(edit); });
    connect(edit, &TValueEditEx::Exited, this, &TFormConfig::NoxValEditNGiriCambioExit);
  }
  connect(m_ui->NoxCheckBoxFuoriGiri, &TNoxCheckBox::Click, this, &TFormConfig::NoxCheckBoxFuoriGiriClick);
  connect(m_ui->NoxComboTipoEmul, &TNoxComboBox::Change, this, &TFormConfig::NoxComboTipoEmulChange);
  connect(m_ui->NoxComboCommutatore, &TNoxComboBox::Change, this, &TFormConfig::NoxComboCommutatoreChange);
  connect(m_ui->ButtonOndaCostruita, &QPushButton::clicked, this, &TFormConfig::ButtonOndaCostruitaClick);
  connect(m_ui->ButtonGrafico, &QPushButton::clicked, this, &TFormConfig::ShowLiveChart);
  connect(m_ui->ButtonReset, &QPushButton::clicked, this, &TFormConfig::ButtonResetClick);
  LimitNotes::Watch(*this, m_module, [this](const QString &text) { SayInStatusBar(text); });
}

// Key preview: the window sees each key before the focused control, which
// then gets it anyway.
bool TFormConfig::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::KeyPress && isVisible()) {
    QWidget *focus = QApplication::focusWidget();
    // A key travels up to the parents when the focused control leaves it;
    // the window looks at it once, on its first stop.
    if (watched == (focus ? focus : this) && focus && focus->window() == this) {
      const auto *key = static_cast<QKeyEvent *>(event);
      FormKeyDown(key->key(), key->modifiers());
    }
  }
  return FieldDialog::eventFilter(watched, event);
}

bool TFormConfig::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if ((modifiers & Qt::AltModifier) && (key == Qt::Key_Q || key == Qt::Key_F2)) {
    close();
    return true;
  }
  if (key == Qt::Key_F8 && !modifiers) {
    ShowLiveChart();
    return true;
  }
  if (key == Qt::Key_F7 && !modifiers && FormMain) {
    FormMain->ActionHistoryExecute(this);
    return true;
  }
  // The main window's connect, without leaving this window: a lost line is
  // taken up again where the fitter works.
  if (key == Qt::Key_C && modifiers == Qt::ControlModifier && FormMain) {
    FormMain->ActionConnectExecute();
    return true;
  }
  if (key == Qt::Key_PageDown) {
    SelectPage(1);
    return true;
  }
  if (key == Qt::Key_PageUp) {
    SelectPage(-1);
    return true;
  }
  return false;
}

void TFormConfig::SelectPage(int step) {
  QTabWidget *pages = m_ui->PageControl1;
  const int count = pages->count();
  int index = pages->currentIndex();
  for (int tried = 0; tried < count; ++tried) {
    index = (index + step + count) % count;
    if (pages->isTabVisible(index))
      break;
  }
  pages->setCurrentIndex(index);
  // The fitter goes on typing on the new page: its first field takes the focus.
  QWidget *page = pages->currentWidget();
  for (QWidget *candidate = page->nextInFocusChain(); candidate && candidate != page;
       candidate = candidate->nextInFocusChain()) {
    if (page->isAncestorOf(candidate) && (candidate->focusPolicy() & Qt::TabFocus) &&
        candidate->isVisibleTo(page) && candidate->isEnabled()) {
      candidate->setFocus(Qt::TabFocusReason);
      break;
    }
  }
}

void TFormConfig::NoxValEditNGiriCambioEnter(TValueEditEx *edit) {
  TNoxNumber *item = edit->Value();
  if (!item)
    return;
  QLabel *hint = m_ui->LabelLimite;
  if (hint->parentWidget() != edit->parentWidget())
    hint->setParent(edit->parentWidget());
  hint->setText(ConfigWindowRules::LimitsHint(*item));
  hint->adjustSize();
  hint->move(edit->x() + edit->width() + HINT_GAP, edit->y() + (edit->height() - hint->height()) / 2);
  hint->show();
}

void TFormConfig::NoxValEditNGiriCambioExit() {
  m_ui->LabelLimite->hide();
}

void TFormConfig::NoxCheckBoxFuoriGiriClick() {
  m_ui->NOXValueEditExFuoriGiri->setVisible(m_ui->NoxCheckBoxFuoriGiri->isChecked());
}

void TFormConfig::NoxComboTipoEmulChange() {
  m_ui->ButtonOndaCostruita->setEnabled(
      ConfigWindowRules::EmulationTypeChanged(m_module, m_ui->NoxComboTipoEmul->currentIndex()));
}

void TFormConfig::NoxComboCommutatoreChange() {
  m_module.TIPO_COMMUTATORE->SetIntValue(
      ConfigWindowRules::SwitchTypeValue(m_ui->NoxComboCommutatore->currentIndex()));
}

void TFormConfig::ButtonOndaCostruitaClick() {
  TFormOndaCostruita wave(m_module, this);
  LimitNotes::Watch(wave, m_module, [this](const QString &text) { SayInStatusBar(text); });
  wave.exec();
}

void TFormConfig::ButtonResetClick() {
  UserInterface &ui = UserInterface::Current();
  if (!ui.AskYesNo(m_module.TranslatedText(TEXT_ERASE_QUESTION), windowTitle()))
    return;
  ui.SetBusyCursor(true);
  // Nothing may be written while the refresh thread might still be talking
  // to the unit; SuspendRefresher has told the fitter when it would not stop.
  // The thread was told to stop all the same, and the live values must go on.
  if (!m_module.SuspendRefresher()) {
    m_module.DataRefresher->SetRunning(true);
    ui.SetBusyCursor(false);
    return;
  }
  // A refused command leaves the unit as it was: reading it all again under
  // the wait window would pass it off as erased.
  if (!m_module.SendEraseCommand()) {
    m_module.DataRefresher->SetRunning(true);
    ui.SetBusyCursor(false);
    ui.ShowMessage(m_module.Text(TEXT_ERASE_REFUSED), windowTitle(), MessageIcon::Error);
    return;
  }
  Clock::Current().Sleep(ERASE_SETTLE_MS);
  WaitRequest wait = m_module.WaitRequestFor(TEXT_WAIT_CAPTION, TEXT_WAIT_LINE);
  wait.Owner = this;
  ui.BeginWait(wait);
  m_module.ReloadAllItems();
  ShowOptionFields();
  ShowCambioFields();
  m_module.DataRefresher->SetRunning(true);
  ui.SetBusyCursor(false);
  ui.EndWait();
}

void TFormConfig::TimerTimer() {
  m_module.FlagAcquisitodefault->Reload();
}
