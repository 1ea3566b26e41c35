#pragma once
#include <QString>

class QEvent;
class QObject;

// For measuring the running program from outside (bench/window_wait_bench):
// with the environment variable NOX_REPORT_TIMING set, writes to standard
// output, each with the monotonic clock's nanoseconds,
//   "echo <ns> <text>"  once a focused text field's new text is on screen
//                       (its window's repaint and flush are done),
//   "delivery <ns>"     when a refresh cycle's values reach the GUI thread.
// Without the variable it costs one flag test per event.
class TimingReport {
public:
  static bool Wanted();
  // Called by the application object after each event was handled.
  static void AfterEvent(QObject *receiver, const QEvent *event);

private:
  static QString s_pending;
  static QString s_shown;
  static bool s_hasPending;
};
