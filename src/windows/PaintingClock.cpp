#include "windows/PaintingClock.h"

#include "windows/NoxApplication.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <QThread>
#include <QTimer>

bool PaintingClock::InputHold::eventFilter(QObject *watched, QEvent *event) {
  if (NoxApplication::IsUserInput(event->type()))
    return true;
  // The window manager's close, not the program's own.
  if (event->type() == QEvent::Close)
    return event->spontaneous();
  return QObject::eventFilter(watched, event);
}

void PaintingClock::Sleep(std::uint32_t milliseconds) {
  QCoreApplication *app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread() || milliseconds == 0 ||
      QCoreApplication::closingDown()) {
    m_system.Sleep(milliseconds);
    return;
  }
  // Window managers differ in where the focus goes when a list popped up
  // from a combo box closes during the wait, and some put it nowhere.
  const QPointer<QWidget> window = QApplication::activeWindow();
  const QPointer<QWidget> focus = window ? window->focusWidget() : nullptr;
  InputHold hold;
  app->installEventFilter(&hold);
  const bool gui = qobject_cast<QGuiApplication *>(app) != nullptr;
  if (gui)
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
  ++m_depth;
  QElapsedTimer elapsed;
  elapsed.start();
  // The unit's wait is a minimum: a timer that fires early is waited out.
  for (qint64 left = milliseconds; left > 0; left = qint64(milliseconds) - elapsed.elapsed()) {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(left), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  --m_depth;
  if (gui)
    QGuiApplication::restoreOverrideCursor();
  app->removeEventFilter(&hold);
  if (window && window->isVisible() && focus && focus->isVisible() && focus->isEnabled() &&
      QApplication::focusWidget() != focus) {
    window->activateWindow();
    focus->setFocus(Qt::ActiveWindowFocusReason);
  }
}
