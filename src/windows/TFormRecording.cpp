#include "windows/TFormRecording.h"

#include "dataitems/LiveCsvWriter.h"
#include "dataitems/NumberConversion.h"
#include "dataitems/TNoxPacketData.h"
#include "ecuconfig/TSerialDataModule.h"
#include "platform/UserInterface.h"
#include "windows/RecordingPlot.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QVBoxLayout>
#include <cmath>

// What the review says, for a look from outside the window (the end-to-end
// routines): each cursor position with its time and the values as the
// readout shows them, under the file's column names, and each problem with
// the file. QT_LOGGING_RULES="nox.recording.debug=true".
Q_LOGGING_CATEGORY(RecordingLog, "nox.recording", QtWarningMsg)

namespace {
// The live chart's captions where it has them, the review's own otherwise.
struct Caption {
  const char *Name;
  int TextId;
};
constexpr Caption kCaptions[] = {{"VAL_GIRI", 171},         {"VALORE_LAMBDA", 172},
                                 {"VALOR_TPS", 173},        {"POSIZIONE_ATTUATORE", 174},
                                 {"FASCIA_LAMBDA", 195},    {"VAL_TEMPERATURA", 508},
                                 {"VALORE_MINIMO_TPS", 509}, {"VALORE_POSIZIONE_DEFAULT", 510},
                                 {"FASCIA_TPS", 511}};
} // namespace

TFormRecording::TFormRecording(TSerialDataModule &module, QWidget *parent)
    : QWidget(parent, Qt::Window), m_module(module) {
  setObjectName(QStringLiteral("FormRecording"));
  setAttribute(Qt::WA_DeleteOnClose);
  m_plot = new RecordingPlot(this);
  m_plot->setObjectName(QStringLiteral("RecordingPlot"));
  m_readout = new QLabel(this);
  m_readout->setObjectName(QStringLiteral("LabelCursor"));
  m_readout->setTextFormat(Qt::RichText);
  m_readout->setWordWrap(true);
  m_keys = new QLabel(m_module.Text(TEXT_KEYS), this);
  m_keys->setWordWrap(true);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(m_plot, 1);
  layout->addWidget(m_readout);
  layout->addWidget(m_keys);
  connect(m_plot, &RecordingPlot::CursorMoved, this, &TFormRecording::ShowCursor);
  m_plot->setFocus();
}

QString TFormRecording::NameOf(const QString &column) const {
  for (const Caption &caption : kCaptions)
    if (column == QLatin1String(caption.Name)) {
      const QString text = m_module.Text(caption.TextId);
      if (!text.isEmpty())
        return text;
    }
  return column;
}

bool TFormRecording::Open(const QString &fileName) {
  QStringList known;
  for (TNoxPacketData *item : LiveCsvWriter::LiveItems(m_module.DataItems()))
    known << item->objectName();
  RecordingFile::Result result = RecordingFile::Read(fileName, known);
  const QString shownName = QDir::toNativeSeparators(fileName);
  QString problem;
  switch (result.Trouble) {
  case RecordingFile::Problem::None:
    break;
  case RecordingFile::Problem::Unreadable:
    problem = m_module.Text(TEXT_UNREADABLE).arg(shownName);
    break;
  case RecordingFile::Problem::Empty:
    problem = m_module.Text(TEXT_EMPTY).arg(shownName);
    break;
  case RecordingFile::Problem::NotARecording:
    problem = m_module.Text(TEXT_NOT_A_RECORDING).arg(shownName).arg(result.Line);
    break;
  case RecordingFile::Problem::DamagedRow:
    problem = m_module.Text(TEXT_DAMAGED_ROW).arg(shownName).arg(result.Line).arg(result.Data.Rows());
    break;
  }
  if (!problem.isEmpty()) {
    qCDebug(RecordingLog).noquote() << "problem:" << problem;
    UserInterface::Current().ShowMessage(problem, m_module.Text(TEXT_TITLE).arg(QFileInfo(fileName).fileName()),
                                         result.Data.Rows() > 0 ? MessageIcon::Warning : MessageIcon::Error);
  }
  if (result.Data.Rows() == 0)
    return false;
  m_data = std::move(result.Data);
  setWindowTitle(m_module.Text(TEXT_TITLE).arg(QFileInfo(fileName).fileName()));
  m_plot->SetRecording(&m_data);
  return true;
}

QString TFormRecording::Readout() const { return m_readout->text(); }

void TFormRecording::ShowCursor(qsizetype row) {
  if (row < 0 || row >= m_data.Rows()) {
    m_readout->clear();
    return;
  }
  const qint64 ms = m_data.Times[static_cast<std::size_t>(row)];
  const qint64 ofDay = ((ms % 86400000) + 86400000) % 86400000;
  const QString time = QStringLiteral("%1:%2:%3.%4")
                           .arg(ofDay / 3600000, 2, 10, QLatin1Char('0'))
                           .arg(ofDay / 60000 % 60, 2, 10, QLatin1Char('0'))
                           .arg(ofDay / 1000 % 60, 2, 10, QLatin1Char('0'))
                           .arg(ofDay % 1000, 3, 10, QLatin1Char('0'));
  QString text = QStringLiteral("<b>%1</b>").arg(time);
  QString logged = time;
  for (qsizetype i = 0; i < m_data.Names.size(); ++i) {
    const double value = m_data.Columns[static_cast<std::size_t>(i)][static_cast<std::size_t>(row)];
    const QString shown = std::isnan(value) ? QStringLiteral("-") : NumberConversion::FormatDataValue(value);
    // A caption and its value stay on one line: the readout wraps only
    // between them, never inside "Fascia lambda 3".
    QString caption = NameOf(m_data.Names[i]).toHtmlEscaped();
    caption.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
    text += QStringLiteral("&nbsp;&nbsp; <span style=\"color:%1\">%2</span>&nbsp;%3")
                .arg(RecordingPlot::TraceColor(i).name(), caption, shown);
    logged += QLatin1Char(' ') + m_data.Names[i] + QLatin1Char('=') + shown;
  }
  qCDebug(RecordingLog).noquote() << "cursor:" << logged;
  m_readout->setText(text);
}

void TFormRecording::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}
