#include "windows/PaintingClock.h"

#include "platform/UserInterface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

void PaintingClock::Sleep(std::uint32_t milliseconds) {
  QCoreApplication *app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread() || milliseconds == 0 ||
      QCoreApplication::closingDown()) {
    m_system.Sleep(milliseconds);
    return;
  }
  m_ui.SetBusyCursor(true);
  ++m_depth;
  QElapsedTimer elapsed;
  elapsed.start();
  // The unit's wait is a minimum: a timer that fires early is waited out.
  for (qint64 left = milliseconds; left > 0; left = qint64(milliseconds) - elapsed.elapsed()) {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(left), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
  }
  --m_depth;
  m_ui.SetBusyCursor(false);
}
