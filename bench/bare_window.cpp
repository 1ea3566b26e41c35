// The yardstick of startup_bench: a bare Qt Widgets window with what the
// program's main window has at first sight (a menu, four buttons, a status
// bar), started the same way. It writes "shown" to standard output when the
// window is first exposed, as noxconfig does with NOX_REPORT_STARTUP.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>

namespace {
class ExposeWatch : public QObject {
public:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (!m_shown && event->type() == QEvent::Expose) {
      const auto *window = qobject_cast<QWindow *>(watched);
      if (window && window->isExposed()) {
        m_shown = true;
        std::fputs("shown\n", stdout);
        std::fflush(stdout);
      }
    }
    return false;
  }

private:
  bool m_shown = false;
};
} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("bare window"));
  window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"), &app,
                                                                  &QApplication::quit);
  auto *central = new QWidget(&window);
  auto *layout = new QVBoxLayout(central);
  for (const char *text : {"F1", "F2", "F3", "F5"})
    layout->addWidget(new QPushButton(QString::fromLatin1(text), central));
  window.setCentralWidget(central);
  window.statusBar()->showMessage(QStringLiteral("ready"));
  ExposeWatch watch;
  window.show();
  window.windowHandle()->installEventFilter(&watch);
  return app.exec();
}
