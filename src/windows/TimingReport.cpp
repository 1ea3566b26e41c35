#include "windows/TimingReport.h"

#include "dataitems/TDataRefresher.h"

#include <QEvent>
#include <QLineEdit>
#include <chrono>
#include <cstdio>

QString TimingReport::s_pending;
QString TimingReport::s_shown;
bool TimingReport::s_hasPending = false;

namespace {
long long Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
} // namespace

bool TimingReport::Wanted() {
  static const bool wanted = qEnvironmentVariableIsSet("NOX_REPORT_TIMING");
  return wanted;
}

void TimingReport::AfterEvent(QObject *receiver, const QEvent *event) {
  if (!Wanted())
    return;
  if (event->type() >= QEvent::User && qobject_cast<const TDataRefresher *>(receiver)) {
    std::fprintf(stdout, "delivery %lld\n", Now());
    std::fflush(stdout);
  } else if (event->type() == QEvent::Paint) {
    // The field is painted into its window's back buffer here; the screen
    // has it once the window's update request is over.
    const auto *field = qobject_cast<const QLineEdit *>(receiver);
    if (field && field->hasFocus() && field->text() != s_shown) {
      s_pending = field->text();
      s_hasPending = true;
    }
  } else if (event->type() == QEvent::UpdateRequest && s_hasPending) {
    s_hasPending = false;
    s_shown = s_pending;
    std::fprintf(stdout, "echo %lld %s\n", Now(), qPrintable(s_shown));
    std::fflush(stdout);
  }
}
