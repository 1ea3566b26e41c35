#pragma once
#include <QApplication>
#include <exception>

// The desktop program's application object. An exception that escapes an
// event handler is shown in a message box, and the program goes on. Every
// key, click and wheel turn is delivered as a user action of its own.
class NoxApplication : public QApplication {
  Q_OBJECT
public:
  NoxApplication(int &argc, char **argv);

  bool notify(QObject *receiver, QEvent *event) override;
  // The events that start something the fitter asked for.
  static bool IsUserInput(QEvent::Type type);

  // The standard exception message box. Call from a catch block: anything
  // that is not a std::exception is shown with an empty message.
  static void ShowCurrentException();
  static QString MessageOf(std::exception_ptr exception);
};
