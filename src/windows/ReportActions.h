#pragma once
#include "history/ChangeRecord.h"
#include "history/ConfigurationReport.h"

#include <QList>
#include <QObject>
#include <functional>

class QAction;
class QPagedPaintDevice;
class TFormMain;
class TSerialDataModule;

// The File menu's report for the customer: "Print report…" (Ctrl+P) in
// Qt's print preview and "Save report as PDF…", both from the core's report
// model in the current language.
class ReportActions : public QObject {
  Q_OBJECT
public:
  ReportActions(TFormMain &main, TSerialDataModule &module);

  // This connection's change log; without it the report lists no changes.
  std::function<QList<ChangeRecord>()> Changes;

  ConfigurationReport Report() const;
  // False, with the file and the reason said, when the file could not be
  // written; an earlier file of that name then stays as it was.
  bool SavePdf(const QString &fileName);

  void PrintReport();
  void SaveReportAsPdf();

private:
  void ApplyTexts();
  static void Render(const ConfigurationReport &report, QPagedPaintDevice &device);

  TFormMain &m_main;
  TSerialDataModule &m_module;
  QAction *m_print = nullptr;
  QAction *m_savePdf = nullptr;
};
