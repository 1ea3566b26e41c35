#pragma once
#include <QObject>

class QWidget;
class TSerialDataModule;

// For measuring the program from outside (bench/startup_bench): with the
// environment variable NOX_REPORT_STARTUP set, writes "shown" to standard
// output when the main window is first exposed and "connected" when the
// unit's connection opens. Without it, it does nothing.
class StartupReport : public QObject {
  Q_OBJECT
public:
  StartupReport(QWidget &mainWindow, TSerialDataModule &module);

  static bool Wanted();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  static void Say(const char *line);
  bool m_shown = false;
};
