#include "NoxProtocolObject.h"
#include "dataitems/NoxMessageEvent.h"
#include "windows/DesktopUserInterface.h"
#include "windows/TFormAttesa.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Step {
  std::uint8_t Amount;
  bool Absolute;
  int Position;
};

TEST(WaitWindowTest, ProgressWrapsModulo256AndShowsTheLine) {
  TFormAttesa window;
  auto *bar = window.findChild<QProgressBar *>(QStringLiteral("LMDProgressFill"));
  EXPECT_EQ(bar->value(), 70); // the stored design position
  window.SetCompletedText(QStringLiteral("completed"));
  for (const Step &step :
       {Step{0, true, 0}, Step{100, true, 100}, Step{200, false, 44}, Step{5, false, 49}}) {
    window.SetProgress(step.Amount, step.Absolute);
    EXPECT_EQ(window.Position(), step.Position);
    EXPECT_EQ(window.CompletedLine(), QStringLiteral("%1% completed").arg(step.Position));
  }
  window.SetProgress(0, true);
  EXPECT_EQ(bar->value(), 0);
}

TEST(WaitWindowTest, ProgressMessageIsRelativeWithNonZeroLParam) {
  TFormAttesa window;
  window.SetCompletedText(QStringLiteral("fatto"));
  window.SetProgress(30, true);
  NoxMessageEvent relative(MSG_PROGRESS, 10, 1);
  QCoreApplication::sendEvent(&window, &relative);
  EXPECT_EQ(window.Position(), 40);
  EXPECT_EQ(window.CompletedLine(), QStringLiteral("40% fatto"));
  NoxMessageEvent absolute(MSG_PROGRESS, 10, 0);
  QCoreApplication::sendEvent(&window, &absolute);
  EXPECT_EQ(window.Position(), 10);
  // Only the low byte of WParam counts.
  NoxMessageEvent wide(MSG_PROGRESS, 0x1FF, 1);
  QCoreApplication::sendEvent(&window, &wide);
  EXPECT_EQ(window.Position(), 9);
}

TEST(DesktopUserInterfaceTest, WaitWindowLivesFromBeginToEnd) {
  DesktopUserInterface ui;
  EXPECT_EQ(&UserInterface::Current(), &ui);
  ui.BeginWait(
      {19, 20, QStringLiteral("Please wait"), QStringLiteral("Connecting"), QStringLiteral("completed")});
  ASSERT_NE(FormAttesa, nullptr);
  QPointer<TFormAttesa> window = FormAttesa;
  EXPECT_TRUE(ui.WaitVisible());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Please wait"));
  EXPECT_EQ(window->CompletedLine(), QStringLiteral("0% completed"));
  EXPECT_FALSE(window->windowFlags() & Qt::WindowCloseButtonHint);
  ui.SetProgress(40, true);
  EXPECT_EQ(window->CompletedLine(), QStringLiteral("40% completed"));
  ui.EndWait();
  EXPECT_EQ(FormAttesa, nullptr);
  EXPECT_FALSE(ui.WaitVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST(DesktopUserInterfaceTest, BusyCursorAndQuestionDefaultingToNo) {
  DesktopUserInterface ui;
  ui.SetBusyCursor(true);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
  ui.SetBusyCursor(false);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  QString title;
  QTimer::singleShot(0, [&] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    EXPECT_EQ(box->standardButton(box->defaultButton()), QMessageBox::No);
    box->defaultButton()->click();
  });
  EXPECT_FALSE(ui.AskYesNo(QStringLiteral("Erase?"), QStringLiteral("Configuration")));
  EXPECT_EQ(title, QStringLiteral("Configuration"));
}

} // namespace
