#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class LastFolders;
class LiveRecorder;
class LiveTraces;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
class StripChart;
class TSerialDataModule;

// The live chart: engine speed, lambda, TPS and actuator position over the
// last 30 s, 60 s or 5 min, with the lambda band as a coloured strip, and a
// recorder of every live value to CSV (F9). It is fed by the values the
// refresher already delivers and adds no exchange with the unit; when the
// refresher stops, the traces stop. A non-modal window that can stay open
// beside the vehicle configuration window.
class TFormLiveChart : public QWidget {
  Q_OBJECT
public:
  explicit TFormLiveChart(TSerialDataModule &module, QWidget *parent = nullptr);
  ~TFormLiveChart() override;

  // Window lengths offered, in the order of the combo box.
  static constexpr std::array<qint64, 3> WINDOWS_MS{30000, 60000, 300000};

  void ApplyTexts();

  // Starts recording to a file (false, with the message shown, when it
  // cannot be created) or stops.
  bool StartRecording(const QString &fileName);
  void StopRecording();
  bool Recording() const;
  // F9 and the Record/Stop button: asks for a file, then records; or stops.
  void ToggleRecording();
  // Asks the fitter for the file to record to; empty when cancelled.
  std::function<QString()> ChooseRecordingFile;
  // Where the file dialog opens, and remembers the folder; null: the
  // dialog's own choice.
  LastFolders *Folders = nullptr;

  LiveTraces *Traces() const { return m_traces; }
  StripChart *Chart() const { return m_chart; }
  LiveRecorder *Recorder() const { return m_recorder; }
  QCheckBox *TraceCheckBox(int trace) const { return m_show.at(static_cast<std::size_t>(trace)); }
  QComboBox *WindowCombo() const { return m_window; }
  QPushButton *RecordButton() const { return m_record; }
  QLabel *RecordingStatus() const { return m_status; }

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  QString AskForFile();
  void ShowRecordingStatus();
  void RecordingFailed(const QString &reason);

  TSerialDataModule &m_module;
  LiveTraces *m_traces = nullptr;
  LiveRecorder *m_recorder = nullptr;
  StripChart *m_chart = nullptr;
  std::array<QCheckBox *, 4> m_show{};
  QLabel *m_windowLabel = nullptr;
  QComboBox *m_window = nullptr;
  QPushButton *m_record = nullptr;
  QLabel *m_status = nullptr;
  QAction *m_recordAction = nullptr;
  QTimer *m_clock = nullptr;
  QString m_fileName;
};
