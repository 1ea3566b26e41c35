#include "windows/NoxApplication.h"

#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// An object whose event handler throws what it is given.
class ThrowingObject : public QObject {
public:
  explicit ThrowingObject(std::function<void()> thrower) : m_thrower(std::move(thrower)) {}
  bool event(QEvent *event) override {
    if (event->type() == QEvent::User)
      m_thrower();
    return QObject::event(event);
  }

private:
  std::function<void()> m_thrower;
};

struct EscapeCase {
  const char *name;
  std::function<void()> thrower;
  QString shown;
};

class ApplicationTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(ApplicationTest, ExceptionFromAnEventHandlerIsShownAndTheProgramGoesOn) {
  ASSERT_NE(qobject_cast<NoxApplication *>(QCoreApplication::instance()), nullptr);
  QString shown = QStringLiteral("<no box>");
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer::singleShot(0, [&] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown = box->text();
    icon = box->icon();
    box->accept();
  });
  ThrowingObject object(GetParam().thrower);
  QEvent event(QEvent::User);
  EXPECT_NO_THROW(QCoreApplication::sendEvent(&object, &event));
  EXPECT_EQ(shown, GetParam().shown);
  EXPECT_EQ(icon, QMessageBox::Critical);
}

INSTANTIATE_TEST_SUITE_P(Escapes, ApplicationTest,
                         ::testing::Values(EscapeCase{"exception",
                                                      [] { throw std::runtime_error("the unit went away"); },
                                                      QStringLiteral("the unit went away")},
                                           EscapeCase{"not_an_exception", [] { throw 42; }, QString()}),
                         [](const auto &testInfo) { return std::string(testInfo.param.name); });

} // namespace
