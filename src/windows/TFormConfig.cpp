#include "windows/TFormConfig.h"

#include "controls/TNoxCheckBox.h"
#include "controls/TNoxComboBox.h"
#include "controls/TNoxLabel.h"
#include "controls/TValueEditEx.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"
#include "ui_TFormConfig.h"
#include "windows/ConfigControlBindings.h"
#include "windows/ConfigWindowRules.h"
#include "windows/ElidedLabel.h"
#include "windows/FormTextTable.h"
#include "windows/TFormKeys.h"
#include "windows/TFormLiveChart.h"
#include "windows/TFormMain.h"
#include "windows/UndoKeys.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <algorithm>

TFormConfig *FormConfig = nullptr;

namespace {
constexpr int LIVE_PANEL_HEIGHT = 134;
constexpr int STATUS_BAR_HEIGHT = 22;
constexpr int STATUS_PANEL_PADDING = 12;
constexpr int TEXT_CONNECTED = 10;
constexpr int TEXT_NOT_CONNECTED = 11;
constexpr int TEXT_KEYS_HINT = 420;
const QColor kStatusRed(0xFF, 0, 0);
const QColor kStatusGreen(0, 0x80, 0);

void SetTextColor(QWidget *widget, const QColor &color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, color);
  widget->setPalette(palette);
}
} // namespace

TFormConfig::TFormConfig(TSerialDataModule &module, QWidget *parent)
    : FieldDialog(parent), m_module(module), m_ui(std::make_unique<Ui::TFormConfig>()) {
  FormConfig = this;
  m_ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // The pages change with Page Up and Page Down; the tabs never hold the
  // focus, so the fields' own keys always reach a field.
  m_ui->PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
  BuildStatusBar();
  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("Timer"));
  m_timer->setInterval(1000);
  connect(m_timer, &QTimer::timeout, this, &TFormConfig::TimerTimer);
  ConfigControlBindings::Apply(this, module);
  ConnectHandlers();
  WatchTheLine();

  // Creation steps. The status bar and the live panel stay at the bottom
  // whatever the size (resizeEvent).
  if (const QScreen *screen = QGuiApplication::primaryScreen())
    if (TFormMain::StartsMaximised(screen->availableSize()))
      setWindowState(windowState() | Qt::WindowMaximized);
  module.TipoSensore->SetDefaultValue(1);
  module.TIPO_COMMUTATORE->SetDefaultValue(ConfigWindowRules::SWITCH_TYPE_DEFAULT);
  // The switch type is set for the fitter (SyncCommutatore), never by them:
  // the emulation type takes its row, the wave button the emulation's.
  const int switchRow = m_ui->NoxComboCommutatore->y();
  m_ui->ButtonOndaCostruita->move(m_ui->ButtonOndaCostruita->x(), m_ui->NoxComboTipoEmul->y());
  m_ui->NoxComboTipoEmul->move(m_ui->NoxComboTipoEmul->x(), switchRow);
  m_ui->NoxComboCommutatore->setVisible(false);
  m_ui->NoxComboCommutatore->move(m_ui->NoxComboCommutatore->x(), 200000);
  module.LoadAllDefaults();
  // The gear-change type decides which of its fields shows; whoever changes
  // it (a combo choice, a file, a read), the fields follow.
  module.TIPO_CAMBIO->AddObserver(this);

  VehicleConfigView::SetView(this);
}

TFormConfig::~TFormConfig() {
  // Hidden while still whole: hiding tells the fields they are left, and
  // their handlers here must not run on a half-destroyed window.
  hide();
  m_module.TIPO_CAMBIO->RemoveObserver(this);
  if (VehicleConfigView::Current() == this)
    VehicleConfigView::SetView(nullptr);
  if (m_keyPreview)
    qApp->removeEventFilter(this);
  if (FormConfig == this)
    FormConfig = nullptr;
}

void TFormConfig::AttachTo(TFormMain &main) {
  m_main = &main;
  main.SetConfigurationWindow(this);
  connect(&main, &TFormMain::TextsApplied, this, &TFormConfig::ApplyTexts);
  auto *undoKeys = new UndoKeys(*this, main.Undo(), m_module);
  connect(&main, &TFormMain::TextsApplied, undoKeys, &UndoKeys::ApplyTexts);
  main.FieldCaption = [this](const TNoxNumber *item) { return FieldCaption(item); };
  const auto mirror = [this, &main] {
    MirrorStatus(main.StatusColor(), main.StatusText(0), main.StatusText(1));
  };
  connect(&main, &TFormMain::StatusChanged, this, mirror);
  connect(&main, &TFormMain::ConnectionStateReceived, this, [this, mirror](qintptr lParam) {
    mirror();
    // Connected from this window (Ctrl+C): its unit commands work at once.
    const bool usable = lParam == 1 && isVisible() && LineIsUp();
    m_ui->ButtonReset->setEnabled(usable);
    m_ui->ButtonOndaCostruita->setEnabled(usable && m_ui->NoxComboTipoEmul->currentIndex() == 2);
  });
}

void TFormConfig::BuildStatusBar() {
  m_statusBar = new QStatusBar(this);
  m_statusBar->setObjectName(QStringLiteral("StatusBar"));
  m_statusBar->setSizeGripEnabled(false);
  QFont bold = font();
  bold.setBold(true);
  bold.setPixelSize(16);
  m_statusPanel0 = new QLabel(QStringLiteral("Centralina non connessa"), m_statusBar);
  m_statusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
  m_statusPanel0->setFixedWidth(500);
  m_statusPanel0->setFont(bold);
  SetTextColor(m_statusPanel0, kStatusRed);
  m_statusPanel1 = new ElidedLabel(QString(), m_statusBar);
  m_statusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
  m_statusPanel1->setFont(bold);
  SetTextColor(m_statusPanel1, kStatusGreen);
  m_statusBar->addWidget(m_statusPanel0);
  // The firmware state is short and mostly empty: the keys take the room.
  m_statusBar->addWidget(m_statusPanel1);
  m_keysHint = new ElidedLabel(QString(), m_statusBar);
  m_keysHint->setObjectName(QStringLiteral("KeysHint"));
  m_statusBar->addPermanentWidget(m_keysHint, 1);
}

QLabel *TFormConfig::KeysHint() const {
  return m_keysHint;
}

QString TFormConfig::FieldCaption(const TNoxNumber *item) const {
  for (const TValueEditEx *edit : findChildren<TValueEditEx *>())
    if (edit->Value() == item)
      return edit->LabelCaption();
  for (const TNoxComboBox *combo : findChildren<TNoxComboBox *>())
    if (combo->Value() == item)
      return combo->LabelCaption();
  for (const TNoxCheckBox *box : findChildren<TNoxCheckBox *>())
    if (box->Value() == item)
      return box->text();
  return QString();
}

QLabel *TFormConfig::StatusPanel(int index) const {
  return index == 0 ? m_statusPanel0 : m_statusPanel1;
}

void TFormConfig::SayInStatusBar(const QString &text) {
  if (m_main)
    m_main->SayInStatusBar(text); // and back here through the mirror
  else
    m_statusPanel1->SetFullText(text);
}

void TFormConfig::MirrorStatus(const QColor &color, const QString &panel0, const QString &panel1) {
  SetTextColor(m_statusPanel0, color);
  m_statusPanel0->setText(panel0);
  m_statusPanel1->SetFullText(panel1);
  m_statusBar->repaint();
}

void TFormConfig::resizeEvent(QResizeEvent *event) {
  FieldDialog::resizeEvent(event);
  const int pagesHeight = height() - LIVE_PANEL_HEIGHT - STATUS_BAR_HEIGHT;
  m_ui->PageControl1->setGeometry(0, 0, width(), pagesHeight);
  m_ui->PanelRealTime->setGeometry(0, pagesHeight, width(), LIVE_PANEL_HEIGHT);
  m_statusBar->setGeometry(0, height() - STATUS_BAR_HEIGHT, width(), STATUS_BAR_HEIGHT);
}

bool TFormConfig::event(QEvent *event) {
  if (static_cast<std::uint32_t>(event->type()) != MSG_DATA_CHANGED)
    return FieldDialog::event(event);
  if (isVisible())
    ShowCambioFields();
  return true;
}

void TFormConfig::showEvent(QShowEvent *event) {
  if (!event->spontaneous()) {
    WatchTheLineWhileShown(true);
    FormShow();
    if (!m_keyPreview) {
      qApp->installEventFilter(this);
      m_keyPreview = true;
    }
  }
  FieldDialog::showEvent(event);
}

void TFormConfig::hideEvent(QHideEvent *event) {
  if (!event->spontaneous() && m_keyPreview) {
    qApp->removeEventFilter(this);
    m_keyPreview = false;
  }
  if (!event->spontaneous())
    WatchTheLineWhileShown(false);
  // The refresher stops with this window; a chart (and its recording) left
  // open would show nothing more.
  if (!event->spontaneous() && m_liveChart)
    m_liveChart->close();
  FieldDialog::hideEvent(event);
}

void TFormConfig::FormShow() {
  m_ui->PageControl1->setCurrentIndex(0);
  ShowOptionFields();
  const TNoxConnection *connection = m_module.NoxConnection;
  if (connection->Loaded()) {
    if (connection->ProtocolObject()->IsConnected()) {
      ShowCambioFields();
      SetTextColor(m_statusPanel0, kStatusGreen);
      m_statusPanel0->setText(m_module.TranslatedText(TEXT_CONNECTED));
      // The wave belongs to "Circuito Aperto" alone; a button left enabled
      // from an earlier showing would offer it for another emulation.
      m_ui->ButtonOndaCostruita->setEnabled(m_ui->NoxComboTipoEmul->currentIndex() == 2);
      m_ui->ButtonReset->setEnabled(true);
    } else {
      m_module.ClearLiveValues();
      SetTextColor(m_statusPanel0, kStatusRed);
      m_statusPanel0->setText(m_module.TranslatedText(TEXT_NOT_CONNECTED));
      m_ui->ButtonOndaCostruita->setEnabled(false);
    }
  } else {
    m_ui->ButtonOndaCostruita->setEnabled(false);
  }
  SyncCommutatore();
  m_ui->ButtonOndaCostruita->setVisible(true);
  m_ui->NoxComboTipoAcc->setFocus(Qt::OtherFocusReason);
}

void TFormConfig::ShowOptionFieldsOfFlags() {
  const bool affondata = m_ui->NoxCheckBoxAff->isChecked();
  m_ui->NoxValEditPosAff->setVisible(affondata);
  m_ui->NoxValEditTPSAff->setVisible(affondata);
  const bool cutOff = m_ui->NoxCheckBoxCutOff->isChecked();
  m_ui->NoxValEditGiriCutOff->setVisible(cutOff);
  m_ui->NoxValEditPosCutOff->setVisible(cutOff);
  m_ui->NoxValEditPosDef->setVisible(m_ui->NoxCheckBoxDef->isChecked());
}

void TFormConfig::ShowOptionFields() {
  ShowOptionFieldsOfFlags();
  NoxCheckBoxFuoriGiriClick();
}

void TFormConfig::ShowCambioFields() {
  // Reading the type may notify again (a first read): once is enough.
  if (m_showingCambioFields)
    return;
  m_showingCambioFields = true;
  const bool kickTime = m_module.TIPO_CAMBIO->GetIntValue() == 2;
  m_showingCambioFields = false;
  m_ui->NOXValueEditTempoDiCicchetto->setVisible(kickTime);
  m_ui->NoxValEditNGiriCambio->setVisible(!kickTime);
  m_ui->NoxValEditTempCambio->setEnabled(!kickTime);
}

void TFormConfig::SyncCommutatore() {
  const int v = m_module.TIPO_COMMUTATORE->GetIntValue();
  const TNoxConnection *connection = m_module.NoxConnection;
  const bool loaded = connection->Loaded();
  const bool connected = loaded && connection->ProtocolObject()->IsConnected();
  TNoxComboBox *combo = m_ui->NoxComboCommutatore;
  // Selecting from code is no choice of the fitter: it commits nothing.
  combo->setCurrentIndex(ConfigWindowRules::SwitchTypeIndex(v, combo->currentIndex(), loaded, connected));
  if (combo->currentIndex() < 0)
    m_module.TIPO_COMMUTATORE->SetIntValue(ConfigWindowRules::SWITCH_TYPE_DEFAULT);
}

void TFormConfig::SetDefaultLabelColor(std::uint32_t color) {
  SetTextColor(m_ui->NoxLabelDefault, QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
}

void TFormConfig::SetTimerEnabled(bool enabled) {
  if (enabled)
    m_timer->start();
  else
    m_timer->stop();
}

void TFormConfig::SetTpsBandPosition(int indicator, int position) {
  if (auto *lamp = findChild<QProgressBar *>(QStringLiteral("LMDProgressFillTPS%1").arg(indicator)))
    lamp->setValue(position);
}

void TFormConfig::SetLambdaBandPosition(int indicator, int position) {
  if (auto *lamp = findChild<QProgressBar *>(QStringLiteral("LMDProgressFillLambda%1").arg(indicator)))
    lamp->setValue(position);
}

void TFormConfig::ShowLiveChart() {
  if (!m_liveChart) {
    // A child window of this one: usable while this window is modal.
    m_liveChart = new TFormLiveChart(m_module, this);
    m_liveChart->ApplyTexts();
    if (m_main)
      m_liveChart->Folders = &m_main->Folders();
    if (m_main)
      m_liveChart->Folders = &m_main->Folders();
    // Beside this window where the screen has room, else as far right as it goes.
    if (const QScreen *screen = this->screen()) {
      const QRect area = screen->availableGeometry();
      const QRect frame = frameGeometry();
      const int left = qMin(frame.right() + 1, area.right() + 1 - m_liveChart->width());
      m_liveChart->move(qMax(area.left(), left), qMax(area.top(), frame.top()));
    }
  }
  m_liveChart->show();
  m_liveChart->raise();
  m_liveChart->activateWindow();
}

TFormLiveChart *TFormConfig::LiveChart() const {
  return m_liveChart;
}

void TFormConfig::ApplyTexts() {
  FormTextTable::Apply(this, FormTextTable::FormConfig(), [this](int id) { return m_module.Text(id); });
  QLabel *note = m_ui->LabelNota;
  note->adjustSize();
  note->move(width() / 2 - note->width() / 2, note->y());
  if (m_liveChart)
    m_liveChart->ApplyTexts();
  // The connection state as wide as its longer text in this language, no
  // wider: the rest of the bar is for the keys.
  const QFontMetrics metrics(m_statusPanel0->font());
  m_statusPanel0->setFixedWidth(std::max(metrics.horizontalAdvance(m_module.Text(TEXT_CONNECTED)),
                                         metrics.horizontalAdvance(m_module.Text(TEXT_NOT_CONNECTED))) +
                                2 * STATUS_PANEL_PADDING);
  // The keys nothing else on the window names, as the keyboard names them.
  const auto key = [](QKeyCombination combination) { return TFormKeys::KeyName(QKeySequence(combination)); };
  m_keysHint->SetFullText(m_module.Text(TEXT_KEYS_HINT)
                              .arg(key(Qt::Key_PageDown), key(Qt::CTRL | Qt::Key_Z), key(Qt::Key_F7),
                                   key(Qt::Key_F8), key(Qt::ALT | Qt::Key_Q)));
}
