#pragma once
#include "ecuconfig/VehicleConfigView.h"
#include "platform/UserAction.h"

#include "windows/FieldDialog.h"
#include <QPointer>
#include <memory>

class ElidedLabel;
class QLabel;
class QStatusBar;
class QTimer;
class TFormLiveChart;
class TFormMain;
class TNoxNumber;
class TSerialDataModule;
class TValueEditEx;
namespace Ui {
class TFormConfig;
}

// The vehicle configuration window, where the fitter spends the day: three
// pages of bound controls (each confirmed value reaches the unit at once),
// the live values with their band lamps, and the EEPROM erase. Created once
// at start-up, shown modally by the main window's F1 and hidden in between.
// It is the core's VehicleConfigView while it exists.
class TFormConfig : public FieldDialog, public VehicleConfigView {
  Q_OBJECT
public:
  explicit TFormConfig(TSerialDataModule &module, QWidget *parent = nullptr);
  ~TFormConfig() override;

  // Becomes the main window's F1 window: its texts follow the main window's
  // language, its status bar the main one's.
  void AttachTo(TFormMain &main);

  // Every caption, page title and combo list in the current language.
  void ApplyTexts();
  // The status bar follows the main window's.
  void MirrorStatus(const QColor &color, const QString &panel0, const QString &panel1);
  QLabel *StatusPanel(int index) const;
  // A note in the status bar (the main window's, which this one mirrors).
  void SayInStatusBar(const QString &text);
  // The window's own keys, named in the status bar from the first showing.
  QLabel *KeysHint() const;
  // The caption of the field that shows a parameter, in the current
  // language; empty when no field shows it.
  QString FieldCaption(const TNoxNumber *item) const;

  // Steps shared by the handlers and the core.
  void ShowOptionFields();
  void ShowCambioFields();

  // ---- VehicleConfigView
  void ShowOptionFieldsOfFlags() override;
  void SyncCommutatore() override;
  void SetDefaultLabelColor(std::uint32_t color) override;
  void SetTimerEnabled(bool enabled) override;
  void SetTpsBandPosition(int indicator, int position) override;
  void SetLambdaBandPosition(int indicator, int position) override;

  QTimer *Timer() const { return m_timer; }
  // F8 and the chart button: the live chart beside this window, created at
  // the first call. It closes with this window.
  void ShowLiveChart();
  TFormLiveChart *LiveChart() const;

protected:
  bool event(QEvent *event) override;
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void FormShow();
  bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
  void SelectPage(int step);
  void NoxValEditNGiriCambioEnter(TValueEditEx *edit);
  void NoxValEditNGiriCambioExit();
  void NoxCheckBoxFuoriGiriClick();
  void NoxComboTipoEmulChange();
  void NoxComboCommutatoreChange();
  void ButtonOndaCostruitaClick();
  void ButtonResetClick();
  void TimerTimer();
  void BuildStatusBar();
  void ConnectHandlers();
  void SetVisibleByName(const char *name, bool visible);
  // The line to the unit (TFormConfigLine.cpp).
  void WatchTheLine();
  void WatchTheLineWhileShown(bool shown);
  bool LineIsUp() const;
  void LineStateChanged(bool connected);
  void SetLiveValuesAvailable(bool available);
  void WriteFailed(int code);

  TSerialDataModule &m_module;
  std::unique_ptr<Ui::TFormConfig> m_ui;
  QPointer<TFormLiveChart> m_liveChart;
  QPointer<TFormMain> m_main;
  QStatusBar *m_statusBar = nullptr;
  QLabel *m_statusPanel0 = nullptr;
  ElidedLabel *m_statusPanel1 = nullptr;
  ElidedLabel *m_keysHint = nullptr;
  QTimer *m_timer = nullptr;
  bool m_keyPreview = false;
  bool m_showingCambioFields = false;
  bool m_lineUp = false;
  bool m_lineLost = false; // dropped while shown, and said so
  OncePerUserAction m_writeFailureSaid;
};

// The process's vehicle configuration window; set while one exists.
extern TFormConfig *FormConfig;
