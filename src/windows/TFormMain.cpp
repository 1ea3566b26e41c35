#include "windows/TFormMain.h"

#include "NoxProtocolObject.h"
#include "dataitems/ConnectionStateRelay.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/UndoStack.h"
#include "history/ConnectionJournal.h"
#include "storage/TNoxRegistryData.h"
#include "translator/TTranslator.h"
#include "ui_TFormMain.h"
#include "windows/QtTranslation.h"
#include "windows/RecordingActions.h"
#include "windows/ReportActions.h"
#include "windows/TFormSplash.h"
#include "windows/ElidedLabel.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

TFormMain *FormMain = nullptr;

// Every status text as it is shown, for a look from outside the window (the
// end-to-end routines): QT_LOGGING_RULES="nox.status.debug=true".
Q_LOGGING_CATEGORY(StatusLog, "nox.status", QtWarningMsg)

namespace {
constexpr int TEXT_OVER_REV_CORRECTED = 343;
const QColor NotConnectedColor(0xFF, 0x00, 0x00); // 0x0000FF in the BGR notation
const QColor ConnectedColor(0x00, 0x80, 0x00);    // 0x008000
constexpr int TEXT_CONNECTED = 10;
constexpr int TEXT_NOT_CONNECTED = 11;
constexpr int TEXT_WRITE_EVERY_VALUE = 220;
constexpr int TEXT_HISTORY = 281;
constexpr int TEXT_KEYS = 401;

QFont PixelFont(const QString &family, int pixels, bool bold) {
  QFont font(family);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}
} // namespace

TFormMain::TFormMain(TSerialDataModule &module, const TFormMainOptions &options, QWidget *parent)
    : QMainWindow(parent), m_module(module), m_ui(std::make_unique<Ui::TFormMain>()),
      m_version(options.Version), m_compareBeforeLoad(options.CompareBeforeLoad) {
  FormMain = this;
  m_undo = new UndoStack(module, this);
  m_ui->setupUi(this);
  m_executableFolder =
      options.ExecutableFolder.isEmpty() ? QCoreApplication::applicationDirPath() : options.ExecutableFolder;
  if (!m_executableFolder.endsWith(QLatin1Char('/')))
    m_executableFolder += QLatin1Char('/');

  QPalette white = m_ui->PanelComandi->palette();
  white.setColor(QPalette::Window, Qt::white);
  m_ui->PanelComandi->setPalette(white);
  m_ui->PanelComandi->setFont(PixelFont(QStringLiteral("DejaVu Serif"), 32, true));
  QFont italic = m_ui->PanelComandi->font();
  italic.setItalic(true);
  m_ui->LabelMenu->setFont(italic);
  QPalette red = m_ui->LabelMenu->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  m_ui->LabelMenu->setPalette(red);
  BuildStatusBar();
  BindCommands();
  m_reports = new ReportActions(*this, m_module);
  m_recordings = new RecordingActions(*this, m_module);
  resize(1008, 687 + menuBar()->sizeHint().height());
  if (const QScreen *screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
    if (StartsMaximised(screen->availableGeometry().size()))
      setWindowState(windowState() | Qt::WindowMaximized);
  }

  NoxRegistryData = new TNoxRegistryData(this);
  NoxRegistryData->setObjectName(QStringLiteral("NoxRegistryData"));
  NoxRegistryData->SetKeyName(QStringLiteral("software\\nox srl\\QMD652"));
  NoxRegistryData->SetIntegerDataList(
      {QStringLiteral("Language=0"), QStringLiteral("NoCompare=0"), QStringLiteral("WriteAll=0")});
  NoxRegistryData->SetStringDataList(LastFolders::SettingDefaults());
  NoxRegistryData->ReadValues();
  m_folders = std::make_unique<LastFolders>(NoxRegistryData, [this] { return InitialFileFolder(); });
  BindCompareBeforeLoad();
  BindWriteEveryValue();

  m_module.Translator->SetDllName(m_executableFolder + QStringLiteral("Languages.dll"));
  m_module.Translator->LoadLanguageLibrary();
  // A message before the first show already has Qt's buttons in the stored
  // language.
  QtTranslation::Select(QtTranslation::LocaleOf(m_module.Translator->GetLanguageName(
                            NoxRegistryData->GetIntegerValue(QStringLiteral("Language")))),
                        m_executableFolder);

  if (m_resources.Load(m_executableFolder))
    QApplication::setWindowIcon(m_resources.Icon());

  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  m_startCursor = true;
  if (options.ShowSplash) {
    m_splash = new TFormSplash(this);
    m_splash->SplashImageZarvelo->show();
    m_splash->show();
    m_splash->repaint();
  }
  BuildLanguageStrip();
  m_module.ConnectionRelay()->SetTarget(this);

  m_history = std::make_unique<WorkshopHistory>(
      options.HistoryFolder.isEmpty() ? WorkshopHistory::DefaultFolder() : options.HistoryFolder);
  m_journal = new ConnectionJournal(m_module, *m_history, this);
  m_reports->Changes = [this] { return m_journal->VisitChanges(); };
  connect(&m_module, &TSerialDataModule::ConnectionClosed, this, &TFormMain::ClearStatusWarning);
}

void TFormMain::ShowStatusWarning(const QString &text) {
  ShowTranslatedStatusWarning([text] { return text; });
}

void TFormMain::ShowTranslatedStatusWarning(const std::function<QString()> &words) {
  m_statusWarningWords = words;
  m_statusWarning->SetFullText(words ? words() : QString());
  qCDebug(StatusLog).noquote() << "warning:" << m_statusWarning->FullText();
}

void TFormMain::ClearStatusWarning() {
  ShowTranslatedStatusWarning({});
}

void TFormMain::SetStatusDetail(const std::function<QString()> &words) {
  m_statusDetailWords = words;
  m_statusPanel1->SetFullText(words ? words() : QString());
  qCDebug(StatusLog).noquote() << "detail:" << m_statusPanel1->FullText();
}

QString TFormMain::StatusWarning() const {
  return m_statusWarning->FullText();
}

TFormMain::~TFormMain() {
  if (m_module.ConnectionRelay())
    m_module.ConnectionRelay()->SetTarget(nullptr);
  RestoreStartCursor();
  if (FormMain == this)
    FormMain = nullptr;
}

void TFormMain::BuildStatusBar() {
  m_statusPanel0 = new ElidedLabel(QStringLiteral("Centralina non connessa"));
  m_statusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
  m_statusPanel0->setFixedWidth(500);
  m_statusPanel0->setFont(PixelFont(QStringLiteral("DejaVu Sans"), 16, true));
  m_statusPanel1 = new ElidedLabel;
  m_statusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
  m_statusPanel1->setFont(PixelFont(QStringLiteral("DejaVu Sans"), 16, true));
  QPalette green = m_statusPanel1->palette();
  green.setColor(QPalette::WindowText, ConnectedColor);
  m_statusPanel1->setPalette(green);
  m_ui->LMDStatusBarMain->addWidget(m_statusPanel0);
  m_ui->LMDStatusBarMain->addWidget(m_statusPanel1, 1);
  m_statusWarning = new ElidedLabel;
  m_statusWarning->setObjectName(QStringLiteral("StatusWarning"));
  QPalette warning = m_statusWarning->palette();
  warning.setColor(QPalette::WindowText, Qt::darkRed);
  m_statusWarning->setPalette(warning);
  m_ui->LMDStatusBarMain->addPermanentWidget(m_statusWarning);
  SetStatus(m_statusPanel0->FullText(), NotConnectedColor);
}

void TFormMain::BindCommands() {
  const QList<QAction *> actions{m_ui->ActionConfVett,   m_ui->ActionSalvaFile, m_ui->ActionCaricaFile,
                                 m_ui->ActionSoftware,   m_ui->ActionEsci,      m_ui->ActionConnect,
                                 m_ui->ActionDisconnect, m_ui->ActionAbout,     m_ui->ActionProgramma};
  addActions(actions); // shortcuts work without a menu item
  const std::pair<QPushButton *, QAction *> bindings[] = {{m_ui->BitBtnConfig, m_ui->ActionConfVett},
                                                          {m_ui->BitBtnSalvaFile, m_ui->ActionSalvaFile},
                                                          {m_ui->BitBtnLoadFile, m_ui->ActionCaricaFile},
                                                          {m_ui->BitBtnSoftware, m_ui->ActionSoftware},
                                                          {m_ui->BitBtnEsci, m_ui->ActionEsci}};
  for (const auto &[button, action] : bindings) {
    connect(button, &QPushButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    button->setFont(PixelFont(QStringLiteral("DejaVu Sans"), 20, true));
    button->setIconSize(QSize(32, 32));
  }
  m_ui->BitBtnConfig->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  m_ui->BitBtnSalvaFile->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  m_ui->BitBtnLoadFile->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  m_ui->BitBtnEsci->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

  connect(m_ui->ActionConfVett, &QAction::triggered, this, &TFormMain::ActionConfVettExecute);
  connect(m_ui->ActionSalvaFile, &QAction::triggered, this, &TFormMain::ActionSalvaFileExecute);
  connect(m_ui->ActionCaricaFile, &QAction::triggered, this, &TFormMain::ActionCaricaFileExecute);
  connect(m_ui->ActionEsci, &QAction::triggered, this, &QWidget::close);
  connect(m_ui->ActionConnect, &QAction::triggered, this, &TFormMain::ActionConnectExecute);
  connect(m_ui->ActionDisconnect, &QAction::triggered, this, &TFormMain::ActionDisconnectExecute);
  connect(m_ui->ActionAbout, &QAction::triggered, this, &TFormMain::ActionAboutExecute);
  // ActionSoftware (F4) and ActionProgramma (F6) do nothing.
  m_historyAction = new QAction(this);
  m_historyAction->setObjectName(QStringLiteral("ActionHistory"));
  m_historyAction->setShortcut(QKeySequence(Qt::Key_F7));
  m_ui->MenuFile->insertAction(m_ui->ActionCompareBeforeLoad, m_historyAction);
  m_ui->MenuFile->insertSeparator(m_ui->ActionCompareBeforeLoad);
  addAction(m_historyAction);
  connect(m_historyAction, &QAction::triggered, this, [this] { ActionHistoryExecute(); });

  // Help > Keys, above About: nothing else on screen names the keys.
  m_keysAction = new QAction(this);
  m_keysAction->setObjectName(QStringLiteral("ActionKeys"));
  m_ui->MenuAiuto->insertAction(m_ui->ActionAbout, m_keysAction);
  connect(m_keysAction, &QAction::triggered, this, &TFormMain::ActionKeysExecute);

  m_popupMenu = new QMenu(this);
  m_popupMenu->setObjectName(QStringLiteral("PopupMenu"));
  m_popupMenu->addAction(m_ui->ActionConnect);
  m_popupMenu->addAction(m_ui->ActionDisconnect);
  m_popupMenu->addSeparator();
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint &at) { OpenPopupMenu(mapToGlobal(at)); });
  // From the keyboard too, where the platform does not turn these keys into
  // a context-menu request itself.
  auto *popupKeys = new QAction(this);
  popupKeys->setObjectName(QStringLiteral("ActionPopupMenu"));
  popupKeys->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
  connect(popupKeys, &QAction::triggered, this, [this] {
    OpenPopupMenu(m_ui->PanelComandi->mapToGlobal(m_ui->LabelConfVettura->geometry().center()));
  });
  addAction(popupKeys);
  m_languageItems = new QActionGroup(this);
  m_languageItems->setExclusive(true);
}

void TFormMain::OpenPopupMenu(const QPoint &globalPosition) {
  // One key press may arrive both as the shortcut and as the platform's
  // context-menu request: open the menu once.
  if (!m_popupMenu->isVisible())
    m_popupMenu->popup(globalPosition);
}

void TFormMain::BindCompareBeforeLoad() {
  // Ticked while loading compares first: the per-user setting that "Do not
  // show again" clears, and --no-compare for this run.
  QAction *item = m_ui->ActionCompareBeforeLoad;
  item->setChecked(m_compareBeforeLoad && NoxRegistryData->GetIntegerValue(QStringLiteral("NoCompare")) == 0);
  connect(item, &QAction::toggled, this, [this](bool compare) {
    NoxRegistryData->SetIntegerValue(QStringLiteral("NoCompare"), compare ? 0 : 1);
    if (compare)
      m_compareBeforeLoad = true;
  });
}

void TFormMain::BindWriteEveryValue() {
  // Ticked: a load sends every value in two passes, as older programs did,
  // instead of only the bytes the file changes. A per-user setting.
  QAction *item = m_ui->ActionWriteEveryValue;
  item->setChecked(NoxRegistryData->GetIntegerValue(QStringLiteral("WriteAll")) != 0);
  connect(item, &QAction::toggled, this, [this](bool writeAll) {
    NoxRegistryData->SetIntegerValue(QStringLiteral("WriteAll"), writeAll ? 1 : 0);
  });
}

bool TFormMain::StartsMaximised(const QSize &workArea) {
  return workArea.width() <= 1024 || workArea.height() <= 745;
}

int TFormMain::LanguageGap(int screenWidth) {
  return screenWidth * 20 / 800;
}

QString TFormMain::HintOf(const QString &languageName) {
  QString hint = languageName;
  const qsizetype ampersand = hint.indexOf(QLatin1Char('&'));
  if (ampersand >= 0)
    hint.remove(ampersand, 1);
  return hint;
}

void TFormMain::BuildLanguageStrip() {
  const QScreen *screen = QGuiApplication::primaryScreen();
  const int gap = LanguageGap(screen ? screen->geometry().width() : 800);
  QScrollArea *scroll = m_ui->ScrollLingue;
  QWidget *contents = m_ui->ScrollLingueContents;
  const int stripWidth = m_ui->PanelLingue->maximumWidth();
  const int count = m_module.Translator->LanguageCount();
  int bottom = 0;
  for (int i = 0; i < count; ++i) {
    auto *button = new QToolButton(contents);
    button->setObjectName(QStringLiteral("ButtonLingua%1").arg(i));
    button->setProperty("Tag", i);
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setGeometry((stripWidth - LanguageButtonSize) / 2, (gap + LanguageButtonSize) * i + gap,
                        LanguageButtonSize, LanguageButtonSize);
    const QString name = m_module.Translator->GetLanguageName(i);
    button->setToolTip(HintOf(name));
    const QPixmap flag = m_resources.Flag(i);
    if (!flag.isNull()) {
      button->setIcon(QIcon(flag));
      button->setIconSize(flag.size());
    }
    connect(button, &QToolButton::clicked, this, &TFormMain::ToolButtonLingueClick);
    m_languageButtons.append(button);
    bottom = button->geometry().bottom() + 1;

    // One item serves the pop-up menu and the Language menu, checked for
    // the current language.
    auto *item = new QAction(name, this);
    item->setObjectName(QStringLiteral("MenuLingua%1").arg(i));
    item->setProperty("Tag", i);
    item->setCheckable(true);
    m_languageItems->addAction(item);
    m_popupMenu->addAction(item);
    m_ui->MenuLanguage->addAction(item);
    connect(item, &QAction::triggered, this, &TFormMain::ToolButtonLingueClick);
  }
  // The scroll box keeps a margin of 20 below its last button.
  contents->resize(stripWidth, bottom + 20);
  scroll->setWidget(contents);
  const int viewportHeight = height() - menuBar()->sizeHint().height() - statusBar()->sizeHint().height();
  if (contents->height() > viewportHeight) {
    // A vertical scroll bar takes part of the strip: move the buttons left.
    for (QToolButton *button : m_languageButtons)
      button->move((stripWidth - LanguageButtonSize) / 3, button->y());
  }
}

void TFormMain::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  if (m_shownOnce)
    return;
  m_shownOnce = true;
  if (m_splash) {
    m_splash->FadeIn();
    m_splash->close();
    delete m_splash;
  }
  RestoreStartCursor();
  ApplyLanguageAndLayout();
}

void TFormMain::RestoreStartCursor() {
  if (!m_startCursor)
    return;
  m_startCursor = false;
  QGuiApplication::restoreOverrideCursor();
}

void TFormMain::closeEvent(QCloseEvent *event) {
  QMainWindow::closeEvent(event);
  if (event->isAccepted())
    m_resources.Free();
}

void TFormMain::ApplyTexts() {
  TTranslator &translator = *m_module.Translator;
  auto text = [&translator](int id) { return translator.GetText(id); };
  setWindowTitle(text(160));
  m_ui->LabelMenu->setText(text(3));
  m_ui->LabelConfVettura->setText(text(4));
  m_ui->LabelConfSoft->setText(text(109));
  m_ui->LabelLoadFile->setText(text(5));
  m_ui->LabelDownLoadFile->setText(text(6));
  m_ui->LabelUscita->setText(text(7));
  m_ui->MenuFile->setTitle(text(12));
  m_ui->MenuComunicazione->setTitle(text(13));
  m_ui->MenuAiuto->setTitle(text(8));
  m_ui->MenuLanguage->setTitle(text(204));
  m_ui->ActionCompareBeforeLoad->setText(text(203));
  m_ui->ActionWriteEveryValue->setText(text(TEXT_WRITE_EVERY_VALUE));
  m_ui->ActionEsci->setText(text(14));
  m_historyAction->setText(text(TEXT_HISTORY));
  m_ui->ActionConnect->setText(text(15));
  m_ui->ActionDisconnect->setText(text(16));
  m_ui->ActionAbout->setText(text(9));
  m_keysAction->setText(text(TEXT_KEYS));
}

void TFormMain::FillProcessWideTexts() {
  m_module.ApplyProcessTexts();
}

void TFormMain::ApplyLanguageAndLayout() {
  const int language = NoxRegistryData->GetIntegerValue(QStringLiteral("Language"));
  m_module.Translator->SetLanguage(language);
  const int current = m_module.Translator->CurrentLanguage();
  if (current >= 0 && current < m_languageButtons.size())
    m_languageButtons[current]->setChecked(true);
  if (current >= 0 && current < m_languageItems->actions().size())
    m_languageItems->actions().at(current)->setChecked(true);
  QtTranslation::Select(QtTranslation::LocaleOf(m_module.Translator->GetLanguageName(current)),
                        m_executableFolder);
  FillProcessWideTexts();
  ApplyTexts();
  Q_EMIT TextsApplied();
  m_module.NotifyAllItems();
  // Every text on show follows the switch, not only the connection state.
  SetStatusDetail(m_statusDetailWords);
  ShowTranslatedStatusWarning(m_statusWarningWords);
  if (m_module.NoxConnection->Loaded()) {
    m_statusPanel0->SetFullText(m_module.TranslatedText(ConnectionOpen() ? TEXT_CONNECTED : TEXT_NOT_CONNECTED));
    Q_EMIT StatusChanged();
  }
  LayoutLabels();
}

void TFormMain::LayoutLabels() {
  const QList<QLabel *> labels = m_ui->PanelComandi->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
  int widest = 0;
  for (QLabel *label : labels) {
    label->adjustSize();
    widest = qMax(widest, label->width());
  }
  const int left = (width() + m_ui->BitBtnConfig->width() - widest - m_ui->ScrollLingue->width()) / 2;
  for (QLabel *label : labels)
    label->move(left, label->y());
}

void TFormMain::SelectLanguage(int languageIndex) {
  NoxRegistryData->SetIntegerValue(QStringLiteral("Language"), languageIndex);
  ApplyLanguageAndLayout();
  m_statusPanel0->SetFullText(m_module.TranslatedText(ConnectionOpen() ? TEXT_CONNECTED : TEXT_NOT_CONNECTED));
  Q_EMIT StatusChanged();
}

void TFormMain::ToolButtonLingueClick() {
  if (const QObject *origin = sender())
    SelectLanguage(origin->property("Tag").toInt());
}

bool TFormMain::ConnectionOpen() const {
  const TNoxConnection *connection = m_module.NoxConnection;
  return connection->Loaded() && connection->ProtocolObject()->IsConnected();
}

QString TFormMain::StatusText(int panel) const {
  return panel == 0 ? m_statusPanel0->FullText() : m_statusPanel1->FullText();
}

QColor TFormMain::StatusColor() const {
  return m_statusPanel0->palette().color(QPalette::WindowText);
}

void TFormMain::SetStatus(const QString &text, const QColor &color) {
  QPalette palette = m_statusPanel0->palette();
  palette.setColor(QPalette::WindowText, color);
  m_statusPanel0->setPalette(palette);
  m_statusPanel0->SetFullText(text);
  qCDebug(StatusLog).noquote() << "state:" << text;
}

void TFormMain::SayInStatusBar(const QString &text) {
  SetStatusDetail([text] { return text; });
  Q_EMIT StatusChanged();
}

QString TFormMain::ConnectNote() const {
  if (m_overRevFound < 0)
    return QString();
  return m_module.Text(TEXT_OVER_REV_CORRECTED).arg(m_overRevFound).arg(m_overRevSet);
}

bool TFormMain::event(QEvent *event) {
  const auto *message = dynamic_cast<const NoxMessageEvent *>(event);
  if (!message || message->Message() != MSG_CONNECTION_STATE)
    return QMainWindow::event(event);
  ConnectionStateMessage(message->LParam());
  return true;
}

void TFormMain::ConnectionStateMessage(qintptr lParam) {
  if (lParam == 0) {
    m_ui->ActionConnect->setEnabled(true);
    m_ui->ActionDisconnect->setEnabled(false);
    SetStatus(m_module.TranslatedText(TEXT_NOT_CONNECTED), NotConnectedColor);
    SetStatusDetail({});
  } else if (lParam == 1) {
    m_ui->ActionConnect->setEnabled(false);
    m_ui->ActionDisconnect->setEnabled(true);
    SetStatus(m_module.TranslatedText(TEXT_CONNECTED), ConnectedColor);
    SetStatusDetail([this] {
      QStringList notes{m_module.FirmwareStatusText(), ConnectNote()};
      notes.removeAll(QString());
      return notes.join(QStringLiteral("; "));
    });
  }
  m_ui->LMDStatusBarMain->repaint();
  Q_EMIT StatusChanged();
  Q_EMIT ConnectionStateReceived(lParam);
  repaint();
}
