#include "windows/NoxApplication.h"

#include "platform/UserAction.h"
#include "windows/TimingReport.h"

#include <QMessageBox>

bool NoxApplication::IsUserInput(QEvent::Type type) {
  switch (type) {
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
  case QEvent::ShortcutOverride:
  case QEvent::Shortcut:
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonRelease:
  case QEvent::MouseButtonDblClick:
  case QEvent::Wheel:
  case QEvent::ContextMenu:
    return true;
  default:
    return false;
  }
}

NoxApplication::NoxApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool NoxApplication::notify(QObject *receiver, QEvent *event) {
  try {
    if (!IsUserInput(event->type())) {
      const bool handled = QApplication::notify(receiver, event);
      TimingReport::AfterEvent(receiver, event);
      return handled;
    }
    const UserAction action; // until the event is handled, modal loops inside it included
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowCurrentException();
    return false;
  }
}

QString NoxApplication::MessageOf(std::exception_ptr exception) {
  try {
    if (exception)
      std::rethrow_exception(exception);
  } catch (const std::exception &error) {
    return QString::fromLocal8Bit(error.what());
  } catch (...) {
  }
  return {};
}

void NoxApplication::ShowCurrentException() {
  const QString text = MessageOf(std::current_exception());
  QMessageBox::critical(nullptr, QApplication::applicationName(), text);
}
