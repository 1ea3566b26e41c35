#pragma once
#include "windows/LastFolders.h"
#include "windows/TResourceLibrary.h"

#include <QColor>
#include <QDialog>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

namespace Ui {
class TFormMain;
}
class QAction;
class QActionGroup;
class ElidedLabel;
class QLabel;
class QMenu;
class QToolButton;
class RecordingActions;
class ReportActions;
class ConnectionJournal;
class WorkshopHistory;
class TFormSplash;
class TNoxNumber;
class TNoxRegistryData;
class TSerialDataModule;
class UndoStack;

struct TFormMainOptions {
  // Where the language and resource libraries are looked for and the file
  // dialogs start; empty for the executable's own folder.
  QString ExecutableFolder;
  bool ShowSplash = true;
  // Shown by the about box; empty for "not available".
  QString Version;
  // The load command shows what the file will change before writing it,
  // unless the fitter ticked "Do not show again"; --no-compare turns it off.
  bool CompareBeforeLoad = true;
  // The workshop history's folder; empty for WorkshopHistory::DefaultFolder().
  QString HistoryFolder;
};

// The main window: the fitter's commands (F1 configuration, F2 save, F3 load,
// F5 exit, Ctrl+C connect, Ctrl+D disconnect, about), the language strip on
// the right and the connection state in the status bar, which follows the
// protocol library's connection-state message.
class TFormMain : public QMainWindow {
  Q_OBJECT
public:
  TFormMain(TSerialDataModule &module, const TFormMainOptions &options = {}, QWidget *parent = nullptr);
  ~TFormMain() override;

  enum class FileDialog { Save, Open, SaveReport };
  // Asks for a configuration file (or the report's PDF); empty when the
  // fitter cancels. Tests answer it themselves.
  std::function<QString(FileDialog kind, const QString &folder, const QString &presetName)> ChooseFile;

  // The caption of the field that shows a parameter, in the current
  // language, for the lists of values the unit did not give; the
  // configuration window provides it. Without it, or for an empty answer,
  // the file key is shown.
  std::function<QString(const TNoxNumber *item)> FieldCaption;

  // ---- Hooks for the vehicle configuration window
  // F1 shows this window modally with the live-value refresh running; without
  // one F1 does nothing. The caller keeps ownership.
  void SetConfigurationWindow(QDialog *window);
  QDialog *ConfigurationWindow() const;
  // Status panels as the main window shows them, for the configuration
  // window's mirror (StatusChanged says when to read them again).
  QString StatusText(int panel) const;
  QColor StatusColor() const;
  // The program's one undo stack: it records the main window's loads as well
  // as the configuration window's edits, which undoes them.
  UndoStack &Undo() const { return *m_undo; }

  // The main window's own texts (caption, labels, menus, action captions).
  void ApplyTexts();
  // Current language from the settings, every window's texts, the status
  // text and the label layout: at the first show and after each switch.
  void ApplyLanguageAndLayout();
  void LayoutLabels();
  // The language switch itself, as a language button or menu item does it.
  void SelectLanguage(int languageIndex);

  // The workshop history and the journal of the open connection: the
  // program's one pair, for the windows that show or extend it.
  WorkshopHistory &History() const { return *m_history; }
  ConnectionJournal *Journal() const { return m_journal; }
  // A warning in the status bar that needs no answer (the desktop user
  // interface's status warning); cleared when the connection closes.
  Q_INVOKABLE void ShowStatusWarning(const QString &text);
  // The same, put into words again after each language switch.
  void ShowTranslatedStatusWarning(const std::function<QString()> &words);
  QString StatusWarning() const;
  // What a command did, in the status bar's second panel (and the
  // configuration window's mirror): a load's counts, where a file went.
  void SayInStatusBar(const QString &text);

  TNoxRegistryData *NoxRegistryData = nullptr;
  // File menu: the report for the customer.
  ReportActions *Reports() const { return m_reports; }
  RecordingActions *Recordings() const { return m_recordings; }
  const TResourceLibrary &ResourceLibrary() const { return m_resources; }
  QString ExecutableFolder() const { return m_executableFolder; }
  QString InitialFileFolder() const;
  // Where each kind of file dialog opens: the folder last used for its kind.
  LastFolders &Folders() { return *m_folders; }

  static bool StartsMaximised(const QSize &workArea);
  // Gap between language buttons on a screen of that width.
  static int LanguageGap(int screenWidth);
  static QString HintOf(const QString &languageName);
  static constexpr int LanguageButtonSize = 55;

Q_SIGNALS:
  // After the main window's own texts: other windows apply theirs here.
  void TextsApplied();
  // The status panels changed (connection message or language switch).
  void StatusChanged();
  // MSG_CONNECTION_STATE arrived with this LParam, after the main status was set.
  void ConnectionStateReceived(qintptr lParam);

public Q_SLOTS:
  void ToolButtonLingueClick();
  void ActionConfVettExecute();
  void ActionConnectExecute();
  void ActionDisconnectExecute();
  void ActionSalvaFileExecute();
  void ActionCaricaFileExecute();
  void ActionAboutExecute();
  // Help > Keys: the list of keys.
  void ActionKeysExecute();
  // File menu "History..." (and F7 in the configuration window): the
  // workshop history over the owner window (null for this one).
  void ActionHistoryExecute(QWidget *owner = nullptr);
  // After a connect: a load into this unit that was cut short is offered to
  // be finished, put back or left.
  void OfferLoadRecovery();
  // A configuration file opened from the desktop (noxconfig FILE, or handed
  // over by a second start): a file that cannot be read or deciphered is
  // said; otherwise the unit is connected if it is not, and the file goes
  // through the comparison, always shown: nothing is written without the
  // fitter's Enter.
  void OpenFromDesktop(const QString &fileName);

public:
  // The load command after its file dialog: the comparison (over the owner,
  // null for this window), then the load. True when the file was loaded.
  bool LoadConfigurationFile(const QString &fileName, QWidget *owner = nullptr);

protected:
  bool event(QEvent *event) override;
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void BuildStatusBar();
  void BindCommands();
  void BuildLanguageStrip();
  void BindCompareBeforeLoad();
  void BindWriteEveryValue();
  void OpenPopupMenu(const QPoint &globalPosition);
  void ConnectionStateMessage(qintptr lParam);
  void SetStatus(const QString &text, const QColor &color);
  // The second panel (a load's summary, the unit's firmware state), kept as
  // words that a language switch says again.
  void SetStatusDetail(const std::function<QString()> &words);
  void ClearStatusWarning();
  void FillProcessWideTexts();
  bool ConnectionOpen() const;
  // The captions of the parameters whose last read failed (the file key
  // where no field shows one), in component order.
  QStringList UnreadCaptions() const;
  // Reads those parameters once more while connected; what still fails.
  QStringList ReadUnreadAgain();
  // Says "not connected" over the owner (null for this window) when the
  // line is down; true when it did.
  bool SayNotConnected(QWidget *owner = nullptr);
  // The configuration file dialog, in the folder last used for them.
  QString AskForFile(FileDialog kind);
  QString AskForFileIn(FileDialog kind, const QString &folder);
  void RestoreStartCursor();

  TSerialDataModule &m_module;
  std::unique_ptr<Ui::TFormMain> m_ui;
  QString m_executableFolder;
  bool m_alwaysCompare = false; // the load under way came from the desktop
  QString m_version;
  TResourceLibrary m_resources;
  QPointer<TFormSplash> m_splash;
  QPointer<QDialog> m_configurationWindow;
  UndoStack *m_undo = nullptr;
  ElidedLabel *m_statusPanel0 = nullptr;
  ElidedLabel *m_statusPanel1 = nullptr;
  ElidedLabel *m_statusWarning = nullptr;
  std::function<QString()> m_statusDetailWords;
  std::function<QString()> m_statusWarningWords;
  std::unique_ptr<WorkshopHistory> m_history;
  ConnectionJournal *m_journal = nullptr;
  QMenu *m_popupMenu = nullptr;
  QAction *m_historyAction = nullptr;
  QAction *m_keysAction = nullptr;
  ReportActions *m_reports = nullptr;
  RecordingActions *m_recordings = nullptr;
  QActionGroup *m_languageItems = nullptr;
  QList<QToolButton *> m_languageButtons;
  // What the last connect changed by itself, said beside the firmware note.
  // The over-rev threshold the connect found and the one it wrote; -1: none.
  int m_overRevFound = -1;
  int m_overRevSet = -1;
  QString ConnectNote() const;
  std::unique_ptr<LastFolders> m_folders;
  bool m_compareBeforeLoad = true;
  bool m_shownOnce = false;
  bool m_startCursor = false;
};

// The process's main window; set while one exists.
extern TFormMain *FormMain;
