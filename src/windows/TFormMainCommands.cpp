// The main window's commands: configuration window, connect, disconnect,
// save, load and about.
#include "windows/TFormMain.h"

#include "dataitems/TDataRefresher.h"
#include "dataitems/TNoxConnection.h"
#include "dataitems/TNoxNumber.h"
#include "dataitems/TNoxSerialData.h"
#include "ecuconfig/ConfigurationComparison.h"
#include "ecuconfig/ConfigurationFile.h"
#include "ecuconfig/LoadStatusText.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/LoadRecovery.h"
#include "history/UndoStack.h"
#include "platform/UserInterface.h"
#include "storage/TNoxRegistryData.h"
#include "translator/TTranslator.h"
#include "ui_TFormMain.h"
#include "windows/ConfigurationBackup.h"
#include "windows/ElidedLabel.h"
#include "windows/ConfigurationFolder.h"
#include "windows/TAboutBox.h"
#include "windows/TFormCompare.h"
#include "windows/TFormHistory.h"
#include "windows/TFormKeys.h"

#include <QApplication>
#include <QTimer>
#include <QDialog>
#include <QDir>
#include <QFileDialog>

namespace {
constexpr int TEXT_NOT_RECOGNISED = 106;
constexpr int TEXT_NO_ANSWER_1 = 17;
constexpr int TEXT_NO_ANSWER_2 = 18;
constexpr int TEXT_VERSION = 147;
constexpr int TEXT_ABOUT_COMMENT = 201;
constexpr int TEXT_NOT_READ_AT_CONNECT = 330;
constexpr int TEXT_NOT_SAVED_UNREAD = 331;
constexpr int TEXT_CONNECTION_REFUSED = 332;
constexpr int TEXT_PRESS_CTRL_C = 333;
constexpr int TEXT_CONFIGURATION_SAVED = 344;
constexpr int TEXT_FILE_ERROR_CAPTION = 99;
constexpr int TEXT_FILE_UNREADABLE = 100;

// The refresher is paused for a file operation and put back as it was.
class PausedRefresher {
public:
  explicit PausedRefresher(TSerialDataModule &module)
      : m_module(module), m_wasRunning(module.DataRefresher->IsRunning()),
        m_paused(module.SuspendRefresher()) {}
  ~PausedRefresher() {
    if (m_paused)
      m_module.DataRefresher->SetRunning(m_wasRunning);
  }
  PausedRefresher(const PausedRefresher &) = delete;
  PausedRefresher &operator=(const PausedRefresher &) = delete;
  // False when it could not be stopped: the message is shown already, and
  // the command is abandoned without touching the refresher again.
  bool Paused() const { return m_paused; }

private:
  TSerialDataModule &m_module;
  bool m_wasRunning;
  bool m_paused;
};
} // namespace

QString TFormMain::InitialFileFolder() const {
  return ConfigurationFolder::Initial(m_executableFolder);
}

QString TFormMain::AskForFile(FileDialog kind) {
  const QString fileName = AskForFileIn(kind, m_folders->For(LastFolders::Kind::Configurations));
  m_folders->Remember(LastFolders::Kind::Configurations, fileName);
  return fileName;
}

QString TFormMain::AskForFileIn(FileDialog kind, const QString &folder) {
  const QString preset = QStringLiteral("0");
  if (ChooseFile)
    return ChooseFile(kind, folder, preset);
  QFileDialog dialog(this);
  dialog.setObjectName(kind == FileDialog::Save ? QStringLiteral("SaveDialogFile")
                                                : QStringLiteral("OpenDialogFile"));
  dialog.setAcceptMode(kind == FileDialog::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(kind == FileDialog::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(kind == FileDialog::Save ? QStringLiteral("File : (*.kfg)")
                                                : QStringLiteral("File: (*.kfg)"));
  dialog.setDefaultSuffix(QStringLiteral("kfg"));
  // Saving over a file renames it to ".OLD" first: that copy is the safety,
  // so the fitter is not asked whether to replace it.
  if (kind == FileDialog::Save)
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setDirectory(folder);
  dialog.selectFile(preset);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().constFirst();
}

void TFormMain::SetConfigurationWindow(QDialog *window) {
  m_configurationWindow = window;
}

QDialog *TFormMain::ConfigurationWindow() const {
  return m_configurationWindow;
}

void TFormMain::ActionConfVettExecute() {
  if (!m_configurationWindow)
    return;
  m_module.DataRefresher->SetRunning(true);
  m_configurationWindow->exec();
  m_module.DataRefresher->SetRunning(false);
}

QStringList TFormMain::UnreadCaptions() const {
  QStringList captions;
  for (TNoxSerialData *each : m_module.DataItems()) {
    auto *item = qobject_cast<TNoxNumber *>(each);
    if (!item || !item->ReadFailed())
      continue;
    QString caption = FieldCaption ? FieldCaption(item) : QString();
    if (caption.isEmpty())
      caption = item->FileKeyName();
    if (!captions.contains(caption))
      captions << caption;
  }
  return captions;
}

QStringList TFormMain::ReadUnreadAgain() {
  // A value missed at the connect may answer now: asked once more before
  // anything is built from it.
  if (ConnectionOpen())
    for (TNoxSerialData *item : m_module.DataItems())
      if (item->ReadFailed())
        item->Reload();
  return UnreadCaptions();
}

void TFormMain::ActionConnectExecute() {
  TNoxConnection *connection = m_module.NoxConnection;
  if (!connection->Loaded() && !connection->LoadProtocolLibrary())
    return; // the connection has said why
  // A warning of the previous connection (its lost line) is no longer true.
  ClearStatusWarning();
  m_overRevFound = -1;
  // The over-rev threshold as found, before the connect's correction: a
  // write the fitter did not ask for is said.
  int overRevFound = -1;
  const QMetaObject::Connection found = connect(&m_module, &TSerialDataModule::ConfigurationFound, this,
                                                [&] { overRevFound = m_module.GiriFuoriGiri->GetIntValue(); });
  const int result = m_module.ConnectAndReadAll(4, 0);
  disconnect(found);
  if (ConnectionOpen() && overRevFound != -1 && overRevFound != m_module.GiriFuoriGiri->GetIntValue()) {
    // Said once, beside the firmware note, in whichever language is chosen.
    m_overRevFound = overRevFound;
    m_overRevSet = m_module.GiriFuoriGiri->GetIntValue();
    SetStatusDetail([this] {
      QStringList notes{m_module.FirmwareStatusText(), ConnectNote()};
      notes.removeAll(QString());
      return notes.join(QStringLiteral("; "));
    });
  }
  if (result == 0 && !connection->Loaded()) {
    // The library is there and the unit was identified, but it refused the
    // line: the connect closed everything again.
    UserInterface::Current().ShowMessage(m_module.Text(TEXT_CONNECTION_REFUSED), windowTitle(),
                                         MessageIcon::Error);
  } else if (result == 0 && ConnectionOpen()) {
    // The fitter must not take the default a field shows for the unit's value.
    const QStringList unread = UnreadCaptions();
    if (!unread.isEmpty())
      UserInterface::Current().ShowMessage(m_module.Text(TEXT_NOT_READ_AT_CONNECT) + QLatin1Char('\n') +
                                               unread.join(QLatin1Char('\n')),
                                           windowTitle(), MessageIcon::Warning);
  } else if (result == -2) {
    UserInterface::Current().ShowMessage(m_module.TranslatedText(TEXT_NOT_RECOGNISED), windowTitle(),
                                         MessageIcon::Error);
  } else if (result == -1) {
    UserInterface::Current().ShowMessage(m_module.TranslatedText(TEXT_NO_ANSWER_1) + QLatin1Char('\n') +
                                             m_module.TranslatedText(TEXT_NO_ANSWER_2) +
                                             QStringLiteral("\n(ERR.CODE: C01)"),
                                         windowTitle(), MessageIcon::Error);
  }
  // The connected state follows MSG_CONNECTION_STATE, not the result.
  if (result == 0 && ConnectionOpen())
    OfferLoadRecovery();
}

void TFormMain::OfferLoadRecovery() {
  LoadRecovery recovery(m_module, *m_history);
  const InterruptedLoads::Load load = recovery.Pending();
  if (load.Number == 0)
    return;
  const QString title = m_module.Text(LoadRecovery::TEXT_TITLE);
  const int answer = UserInterface::Current().AskChoice(
      recovery.Question(load), title, recovery.Choices(load));
  if (answer < 0 || answer > 2)
    return; // asked again at the next connect
  PausedRefresher refresher(m_module);
  if (!refresher.Paused())
    return;
  QString reason;
  if (!recovery.Carry(load, static_cast<LoadRecovery::Choice>(answer), &reason))
    UserInterface::Current().ShowMessage(reason, title, MessageIcon::Error);
}

void TFormMain::ActionDisconnectExecute() {
  TNoxConnection *connection = m_module.NoxConnection;
  if (!connection->Loaded() || !connection->ProtocolObject()->IsConnected())
    return;
  // The undo stack lives as long as the connection. Emptied first, the line
  // going down afterwards is the fitter's own doing, not a lost line to warn of.
  m_undo->Clear();
  connection->ProtocolObject()->Disconnect();
}

void TFormMain::ActionSalvaFileExecute() {
  const QString fileName = AskForFile(FileDialog::Save);
  if (fileName.isEmpty())
    return;
  PausedRefresher refresher(m_module);
  if (!refresher.Paused())
    return;
  // A file is loaded into other cars later: a default standing in for a
  // value the unit never gave would be written into them as if it were real.
  if (const QStringList unread = ReadUnreadAgain(); !unread.isEmpty()) {
    UserInterface::Current().ShowMessage(m_module.Text(TEXT_NOT_SAVED_UNREAD) + QLatin1Char('\n') +
                                             unread.join(QLatin1Char('\n')),
                                         windowTitle(), MessageIcon::Error);
    return;
  }
  ConfigurationBackup backup(fileName);
  backup.Make();
  // A failed save must not leave the fitter without the file they had.
  if (m_module.SaveConfiguration(fileName))
    SayInStatusBar(m_module.Text(TEXT_CONFIGURATION_SAVED).arg(QDir::toNativeSeparators(fileName)));
  else
    backup.Restore();
}

bool TFormMain::SayNotConnected(QWidget *owner) {
  if (ConnectionOpen())
    return false;
  // Off line there is no unit to compare with or to load into: no file
  // dialog, no comparison, no load.
  UserInterface::Current().ShowMessage(m_module.Text(TEXT_PRESS_CTRL_C),
                                       owner ? owner->window()->windowTitle() : windowTitle(),
                                       MessageIcon::Warning);
  return true;
}

void TFormMain::ActionCaricaFileExecute() {
  if (SayNotConnected())
    return;
  const QString fileName = AskForFile(FileDialog::Open);
  if (!fileName.isEmpty())
    LoadConfigurationFile(fileName);
}

bool TFormMain::LoadConfigurationFile(const QString &fileName, QWidget *owner) {
  if (SayNotConnected(owner))
    return false;
  // A customer's file loaded onto the wrong car overwrites the unit's whole
  // configuration: show what it will change before anything is written.
  // Empty: the whole file; else only the parameters the fitter left ticked.
  QList<const TNoxNumber *> chosen;
  if (m_alwaysCompare ||
      (m_compareBeforeLoad && NoxRegistryData->GetIntegerValue(QStringLiteral("NoCompare")) == 0)) {
    bool doNotShowAgain = false;
    const bool load =
        TFormCompare::ConfirmLoad(m_module, fileName, owner ? owner : this, doNotShowAgain, &chosen);
    if (doNotShowAgain)
      m_ui->ActionCompareBeforeLoad->setChecked(false); // and so the setting
    if (!load)
      return false;
  }
  PausedRefresher refresher(m_module);
  if (!refresher.Paused())
    return false;
  // Compared again around the load, so that the status line counts what the
  // comparison listed, shown or not.
  ConfigurationComparison before, after;
  before.Compare(m_module, fileName);
  LoadSummary summary;
  const bool writeEveryValue = m_ui->ActionWriteEveryValue->isChecked();
  const bool loaded = chosen.isEmpty() ? m_module.LoadConfiguration(fileName, writeEveryValue, &summary)
                                       : m_module.LoadChosenValues(fileName, chosen, writeEveryValue, &summary);
  after.Compare(m_module, fileName);
  // Worded again in the language of the moment after a switch.
  SetStatusDetail([this, summary, writeEveryValue, before, after] {
    return LoadStatusText::Of(m_module, summary, writeEveryValue, before, after);
  });
  Q_EMIT StatusChanged();
  return loaded;
}

void TFormMain::OpenFromDesktop(const QString &fileName) {
  // A file handed over while the fitter is in a dialog, or the unit is busy
  // (a wait window lets events through), waits until they are done.
  if (m_alwaysCompare || QApplication::activeModalWidget() || UserInterface::Current().WaitVisible()) {
    QTimer::singleShot(300, this, [this, fileName] { OpenFromDesktop(fileName); });
    return;
  }
  if (isMinimized())
    showNormal();
  raise();
  activateWindow();
  // Said before any connect: a file that is none of ours needs no unit.
  ConfigurationComparison check;
  if (!check.Compare(m_module, fileName) || !check.HoldsParameters()) {
    UserInterface::Current().ShowMessage(m_module.Text(TEXT_FILE_UNREADABLE) + QStringLiteral(" (") +
                                             QDir::toNativeSeparators(fileName) + QLatin1Char(')'),
                                         m_module.Text(TEXT_FILE_ERROR_CAPTION), MessageIcon::Error);
    return;
  }
  m_alwaysCompare = true;
  if (!ConnectionOpen())
    ActionConnectExecute();
  // Without a unit the connect has said why.
  if (ConnectionOpen())
    LoadConfigurationFile(fileName);
  m_alwaysCompare = false;
}

void TFormMain::ActionHistoryExecute(QWidget *owner) {
  TFormHistory window(
      m_module, *m_history,
      [this](const QString &fileName, QWidget *over) { return LoadConfigurationFile(fileName, over); },
      owner ? owner : this);
  window.ExportFolder = m_folders->For(LastFolders::Kind::Configurations);
  window.exec();
}

void TFormMain::ActionKeysExecute() {
  TFormKeys keys(m_module, this);
  keys.exec();
}

void TFormMain::ActionAboutExecute() {
  TAboutBox about(this, windowTitle(), m_module.Translator->GetText(TEXT_VERSION), m_version,
                  m_resources.Loaded() ? m_resources.AboutPicture() : QPixmap(),
                  m_module.Translator->GetText(TEXT_ABOUT_COMMENT));
  about.exec();
}
