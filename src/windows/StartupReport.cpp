#include "windows/StartupReport.h"

#include "dataitems/ConnectionStateRelay.h"
#include "ecuconfig/TSerialDataModule.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <cstdio>

StartupReport::StartupReport(QWidget &mainWindow, TSerialDataModule &module) : QObject(&mainWindow) {
  if (!Wanted())
    return;
  mainWindow.winId(); // the native window exists from here on
  mainWindow.windowHandle()->installEventFilter(this);
  connect(module.ConnectionRelay(), &ConnectionStateRelay::ConnectionStateChanged, this, [](bool connected) {
    if (connected)
      Say("connected");
  });
}

bool StartupReport::Wanted() {
  return qEnvironmentVariableIsSet("NOX_REPORT_STARTUP");
}

bool StartupReport::eventFilter(QObject *watched, QEvent *event) {
  if (!m_shown && event->type() == QEvent::Expose) {
    const auto *window = qobject_cast<QWindow *>(watched);
    if (window && window->isExposed()) {
      m_shown = true;
      Say("shown");
    }
  }
  return QObject::eventFilter(watched, event);
}

void StartupReport::Say(const char *line) {
  std::fprintf(stdout, "%s\n", line);
  std::fflush(stdout);
}
