#include "windows/ReportActions.h"

#include "ecuconfig/TSerialDataModule.h"
#include "history/ConnectionJournal.h"
#include "platform/SafeFileWriter.h"
#include "platform/UserInterface.h"
#include "windows/QtTranslation.h"
#include "windows/TFormMain.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextDocument>

namespace {
constexpr int TEXT_PRINT_REPORT = 260;
constexpr int TEXT_SAVE_REPORT_PDF = 261;
constexpr int TEXT_PDF_FILTER = 278;
constexpr int TEXT_FILE_ERROR_TITLE = 99;
constexpr int TEXT_SAVE_FAILED = 202;
constexpr int TEXT_REPORT_SAVED = 345;
constexpr int TEXT_PDF_NAME = 421;
} // namespace

ReportActions::ReportActions(TFormMain &main, TSerialDataModule &module)
    : QObject(&main), m_main(main), m_module(module) {
  setObjectName(QStringLiteral("ReportActions"));
  m_print = new QAction(&main);
  m_print->setObjectName(QStringLiteral("ActionPrintReport"));
  m_print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  m_savePdf = new QAction(&main);
  m_savePdf->setObjectName(QStringLiteral("ActionSaveReportPdf"));
  connect(m_print, &QAction::triggered, this, &ReportActions::PrintReport);
  connect(m_savePdf, &QAction::triggered, this, &ReportActions::SaveReportAsPdf);
  // Between the file settings and Exit, a group of their own.
  auto *file = main.findChild<QMenu *>(QStringLiteral("MenuFile"));
  auto *exit = main.findChild<QAction *>(QStringLiteral("ActionEsci"));
  if (file && exit) {
    file->insertActions(exit, {m_print, m_savePdf});
    file->insertSeparator(exit);
  }
  main.addAction(m_print); // the shortcut works while the menu is closed
  connect(&main, &TFormMain::TextsApplied, this, &ReportActions::ApplyTexts);
  ApplyTexts();
}

void ReportActions::ApplyTexts() {
  m_print->setText(m_module.Text(TEXT_PRINT_REPORT));
  m_savePdf->setText(m_module.Text(TEXT_SAVE_REPORT_PDF));
}

ConfigurationReport ReportActions::Report() const {
  ConfigurationReport report =
      ConfigurationReport::Build(m_module, Changes ? Changes() : QList<ChangeRecord>{});
  report.DateLocale = QtTranslation::LanguageLocale();
  if (const ConnectionJournal *journal = m_main.Journal())
    report.Note = journal->VisitNote();
  return report;
}

void ReportActions::Render(const ConfigurationReport &report, QPagedPaintDevice &device) {
  QTextDocument document;
  document.setHtml(report.Html());
  document.print(&device);
}

bool ReportActions::SavePdf(const QString &fileName) {
  const ConfigurationReport report = Report();
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(report.Title);
    writer.setCreator(QStringLiteral("noxconfig " NOX_VERSION_STRING));
    writer.setPageSize(QPageSize(QPageSize::A4));
    Render(report, writer);
  }
  QString reason;
  if (SafeFileWriter::Write(fileName, buffer.data(), &reason))
    return true;
  UserInterface::Current().ShowMessage(
      m_module.Text(TEXT_SAVE_FAILED).arg(QDir::toNativeSeparators(fileName), reason),
      m_module.Text(TEXT_FILE_ERROR_TITLE), MessageIcon::Error);
  return false;
}

void ReportActions::PrintReport() {
  const ConfigurationReport report = Report();
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(report.Title);
  QPrintPreviewDialog preview(&printer, &m_main);
  preview.setObjectName(QStringLiteral("PrintPreviewReport"));
  connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
          [&report](QPrinter *target) { Render(report, *target); });
  preview.exec();
}

void ReportActions::SaveReportAsPdf() {
  const QString folder = m_main.Folders().For(LastFolders::Kind::Reports);
  // A name in the fitter's language; a text that is no file name gives way
  // to the plain one.
  QString name = m_module.Text(TEXT_PDF_NAME).trimmed();
  static const QRegularExpression notInAName(QStringLiteral("[/\\\\:*?\"<>|]"));
  if (name.isEmpty() || name.contains(notInAName))
    name = QStringLiteral("report");
  const QString preset = name + QStringLiteral(".pdf");
  QString fileName;
  if (m_main.ChooseFile) {
    fileName = m_main.ChooseFile(TFormMain::FileDialog::SaveReport, folder, preset);
  } else {
    QFileDialog dialog(&m_main);
    dialog.setObjectName(QStringLiteral("SaveDialogReport"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(m_module.Text(TEXT_PDF_FILTER));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setDirectory(folder);
    dialog.selectFile(preset);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      fileName = dialog.selectedFiles().constFirst();
  }
  if (fileName.isEmpty())
    return;
  m_main.Folders().Remember(LastFolders::Kind::Reports, fileName);
  if (SavePdf(fileName))
    m_main.SayInStatusBar(m_module.Text(TEXT_REPORT_SAVED).arg(QDir::toNativeSeparators(fileName)));
}
