#include "windows/TFormLiveChart.h"

#include "dataitems/LiveCsvWriter.h"
#include "dataitems/LiveRecorder.h"
#include "dataitems/LiveTraces.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/UserInterface.h"
#include "windows/LastFolders.h"
#include "windows/StripChart.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Text ids of this window.
enum : int {
  TEXT_CAPTION = 170,
  TEXT_TRACE_FIRST = 171, // speed, lambda, TPS, actuator
  TEXT_WINDOW = 175,
  TEXT_WINDOW_FIRST = 176, // 30 s, 60 s, 5 min
  TEXT_RECORD = 179,
  TEXT_STOP = 180,
  TEXT_RECORDING = 181,
  TEXT_ROWS = 182,
  TEXT_WRITE_FAILED = 183,
  TEXT_CREATE_FAILED = 184,
  TEXT_BAND = 195,
  TEXT_FILE_DIALOG = 196,
};

const std::array<QColor, 4> TRACE_COLOURS{QColor(0x1f, 0x5f, 0xbf), QColor(0xd0, 0x30, 0x20),
                                          QColor(0x20, 0x90, 0x30), QColor(0x80, 0x40, 0xb0)};
// The scale each trace starts with: idle speed, a 0-1 V probe, throttle
// volts, actuator steps. A trace going higher gets a larger round scale.
const std::array<double, 4> MINIMUM_TOPS{1000, 1, 1, 100};
} // namespace

TFormLiveChart::TFormLiveChart(TSerialDataModule &module, QWidget *parent)
    : QWidget(parent, Qt::Window), m_module(module) {
  setObjectName(QStringLiteral("FormLiveChart"));
  m_traces = new LiveTraces({module.VAL_GIRI, module.VALORE_LAMBDA, module.VALOR_TPS,
                             module.POSIZIONE_ATTUATORE, module.FASCIA_LAMBDA},
                            WINDOWS_MS[1], this);
  m_recorder = new LiveRecorder(LiveCsvWriter::LiveItems(module.DataItems()), this);
  m_chart = new StripChart(m_traces, this);
  for (int i = 0; i < 4; ++i)
    m_chart->SetLine(i, TRACE_COLOURS[static_cast<std::size_t>(i)], QString(),
                     MINIMUM_TOPS[static_cast<std::size_t>(i)]);
  // Band 0 lean, 1 around stoichiometric, 2 rich.
  m_chart->SetBand(4, {QColor(0x9c, 0xc8, 0xf0), QColor(0xa8, 0xe0, 0xa0), QColor(0xf4, 0xb0, 0x90)},
                   QString());

  auto *controls = new QHBoxLayout;
  for (int i = 0; i < 4; ++i) {
    auto *box = new QCheckBox(this);
    box->setChecked(true);
    QPalette colours = box->palette();
    colours.setColor(QPalette::WindowText, TRACE_COLOURS[static_cast<std::size_t>(i)]);
    box->setPalette(colours);
    connect(box, &QCheckBox::toggled, this, [this, i](bool on) { m_chart->SetTraceVisible(i, on); });
    m_show[static_cast<std::size_t>(i)] = box;
    controls->addWidget(box);
  }
  controls->addStretch(1);
  m_windowLabel = new QLabel(this);
  m_window = new QComboBox(this);
  m_windowLabel->setBuddy(m_window);
  connect(m_window, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0 && index < static_cast<int>(WINDOWS_MS.size())) {
      m_traces->SetWindowMs(WINDOWS_MS[static_cast<std::size_t>(index)]);
      m_chart->update();
    }
  });
  controls->addWidget(m_windowLabel);
  controls->addWidget(m_window);

  auto *recording = new QHBoxLayout;
  m_record = new QPushButton(this);
  m_record->setCheckable(true);
  m_status = new QLabel(this);
  m_status->setMinimumWidth(260);
  recording->addWidget(m_record);
  recording->addWidget(m_status, 1);
  connect(m_record, &QPushButton::clicked, this, [this] { ToggleRecording(); });
  m_recordAction = new QAction(this);
  m_recordAction->setShortcut(Qt::Key_F9);
  m_recordAction->setShortcutContext(Qt::WindowShortcut);
  connect(m_recordAction, &QAction::triggered, this, [this] { ToggleRecording(); });
  addAction(m_recordAction);
  // Esc closes the chart as any window with nothing to confirm, but never
  // ends a recording by the way: F9 stops that.
  auto *closeAction = new QAction(this);
  closeAction->setObjectName(QStringLiteral("ActionCloseChart"));
  closeAction->setShortcut(Qt::Key_Escape);
  closeAction->setShortcutContext(Qt::WindowShortcut);
  connect(closeAction, &QAction::triggered, this, [this] {
    if (!Recording())
      close();
  });
  addAction(closeAction);
  // F8 opened the chart from the configuration window and goes back there;
  // the chart stays open beside it.
  auto *backAction = new QAction(this);
  backAction->setObjectName(QStringLiteral("ActionBackFromChart"));
  backAction->setShortcut(Qt::Key_F8);
  backAction->setShortcutContext(Qt::WindowShortcut);
  connect(backAction, &QAction::triggered, this, [this] {
    if (QWidget *owner = parentWidget()) {
      owner->window()->raise();
      owner->window()->activateWindow();
    }
  });
  addAction(backAction);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(controls);
  layout->addWidget(m_chart, 1);
  layout->addLayout(recording);

  m_clock = new QTimer(this);
  m_clock->setInterval(1000);
  connect(m_clock, &QTimer::timeout, this, [this] { ShowRecordingStatus(); });
  connect(m_recorder, &LiveRecorder::RowWritten, this, [this] { ShowRecordingStatus(); });
  connect(m_recorder, &LiveRecorder::Failed, this,
          [this](const QString &reason) { RecordingFailed(reason); });
  ChooseRecordingFile = [this] { return AskForFile(); };
  ApplyTexts();
  m_window->setCurrentIndex(1);
  // The keyboard starts on the time window: Up and Down change it at once.
  m_window->setFocus();
  resize(820, 480);
}

TFormLiveChart::~TFormLiveChart() = default;

void TFormLiveChart::ApplyTexts() {
  setWindowTitle(m_module.Text(TEXT_CAPTION));
  for (int i = 0; i < 4; ++i) {
    const QString text = m_module.Text(TEXT_TRACE_FIRST + i);
    m_show[static_cast<std::size_t>(i)]->setText(text);
    m_chart->SetLegend(i, text);
  }
  m_chart->SetLegend(4, m_module.Text(TEXT_BAND));
  m_windowLabel->setText(m_module.Text(TEXT_WINDOW));
  const int index = m_window->currentIndex();
  {
    const QSignalBlocker quiet(m_window);
    m_window->clear();
    for (int i = 0; i < static_cast<int>(WINDOWS_MS.size()); ++i)
      m_window->addItem(m_module.Text(TEXT_WINDOW_FIRST + i));
    m_window->setCurrentIndex(index);
  }
  ShowRecordingStatus();
}

bool TFormLiveChart::Recording() const {
  return m_recorder->Recording();
}

bool TFormLiveChart::StartRecording(const QString &fileName) {
  if (!m_recorder->Start(fileName)) {
    UserInterface::Current().ShowMessage(m_module.Text(TEXT_CREATE_FAILED) + QStringLiteral("\n") + fileName +
                                             QStringLiteral(": ") + m_recorder->ErrorText(),
                                         windowTitle(), MessageIcon::Error);
    ShowRecordingStatus();
    return false;
  }
  m_fileName = fileName;
  m_clock->start();
  ShowRecordingStatus();
  return true;
}

void TFormLiveChart::StopRecording() {
  m_recorder->Stop();
  m_clock->stop();
  ShowRecordingStatus();
}

void TFormLiveChart::ToggleRecording() {
  if (Recording()) {
    StopRecording();
    return;
  }
  const QString fileName = ChooseRecordingFile ? ChooseRecordingFile() : QString();
  if (fileName.isEmpty())
    ShowRecordingStatus();
  else
    StartRecording(fileName);
}

QString TFormLiveChart::AskForFile() {
  const QString folder = Folders ? Folders->For(LastFolders::Kind::Recordings) : QString();
  QString fileName = QFileDialog::getSaveFileName(this, m_module.Text(TEXT_FILE_DIALOG), folder,
                                                  QStringLiteral("CSV (*.csv)"));
  if (!fileName.isEmpty() && !fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
    fileName += QStringLiteral(".csv");
  if (Folders)
    Folders->Remember(LastFolders::Kind::Recordings, fileName);
  return fileName;
}

void TFormLiveChart::ShowRecordingStatus() {
  const bool recording = Recording();
  m_record->setChecked(recording);
  m_record->setText(m_module.Text(recording ? TEXT_STOP : TEXT_RECORD));
  if (!recording) {
    m_status->setText(m_fileName.isEmpty() ? QString()
                                           : QStringLiteral("%1 (%2 %3)")
                                                 .arg(m_fileName)
                                                 .arg(m_recorder->Rows())
                                                 .arg(m_module.Text(TEXT_ROWS)));
    return;
  }
  const qint64 seconds = m_recorder->ElapsedMs() / 1000;
  m_status->setText(QStringLiteral("%1 %2:%3 - %4 %5")
                        .arg(m_module.Text(TEXT_RECORDING))
                        .arg(seconds / 60)
                        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                        .arg(m_recorder->Rows())
                        .arg(m_module.Text(TEXT_ROWS)));
}

void TFormLiveChart::RecordingFailed(const QString &reason) {
  m_clock->stop();
  ShowRecordingStatus();
  UserInterface::Current().ShowMessage(m_module.Text(TEXT_WRITE_FAILED) + QStringLiteral("\n") + m_fileName +
                                           QStringLiteral(": ") + reason,
                                       windowTitle(), MessageIcon::Error);
}

void TFormLiveChart::closeEvent(QCloseEvent *event) {
  // A recording nobody can see or stop is not left running.
  StopRecording();
  event->accept();
}
