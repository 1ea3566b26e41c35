#include "windows/NoxApplication.h"

#include <QMessageBox>

NoxApplication::NoxApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool NoxApplication::notify(QObject *receiver, QEvent *event) {
  try {
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
