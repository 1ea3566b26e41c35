#include "NoxProtocolObject.h"
#include "SimulatedUnitWindowFixture.h"
#include "controls/TNoxCheckBox.h"
#include "dataitems/NoxMessageEvent.h"
#include "dataitems/TDataRefresher.h"
#include "support/FakeClock.h"
#include "support/WaitFor.h"
#include "translator/TTranslator.h"
#include "windows/DesktopUserInterface.h"
#include "windows/PaintingClock.h"
#include "windows/TFormAttesa.h"
#include "windows/TFormConfig.h"
#include "windows/TFormMain.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <functional>
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

struct NestedAt {
  const char *Where;
  bool InsideBegin; // the inner operation runs from the outer one's first step
};

// An inner operation runs from an event that the outer one's progress lets
// through: the outer window, its texts and its progress must survive it.
TEST(DesktopUserInterfaceTest, AnOperationInsideAnotherLeavesTheOuterWaitAsItWas) {
  for (const NestedAt &at : {NestedAt{"inside BeginWait", true}, NestedAt{"inside SetProgress", false}}) {
    SCOPED_TRACE(at.Where);
    DesktopUserInterface ui;
    const WaitRequest outer{19, 20, QStringLiteral("Outer"), QStringLiteral("Connecting"),
                            QStringLiteral("done")};
    const WaitRequest inner{97, 95, QStringLiteral("Inner"), QStringLiteral("Saving"),
                            QStringLiteral("done")};
    bool innerRan = false;
    const auto innerOperation = [&] {
      ui.BeginWait(inner);
      innerRan = FormAttesa && FormAttesa->windowTitle() == QStringLiteral("Inner");
      ui.SetProgress(70, true);
      ui.EndWait();
    };
    if (at.InsideBegin)
      QTimer::singleShot(0, innerOperation);
    ui.BeginWait(outer);
    if (!at.InsideBegin) {
      ui.SetProgress(40, true);
      QTimer::singleShot(0, innerOperation);
      ui.SetProgress(41, true);
    }
    ASSERT_TRUE(innerRan);
    ASSERT_NE(FormAttesa, nullptr);
    EXPECT_TRUE(ui.WaitVisible());
    EXPECT_TRUE(ui.InputBlocked());
    EXPECT_EQ(FormAttesa->windowTitle(), QStringLiteral("Outer"));
    EXPECT_EQ(FormAttesa->Position(), at.InsideBegin ? 0 : 41);
    ui.EndWait();
    EXPECT_EQ(FormAttesa, nullptr);
    EXPECT_FALSE(ui.InputBlocked());
    ui.EndWait(); // one end too many changes nothing
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// The program's own user interface on the simulated unit, which answers
// slowly enough for the fitter to press keys while the wait window shows.
class WaitWindowOnTheUnit : public window_test::SimulatedUnitWindowFixture {
protected:
  void SetUp() override {
    SimulatedUnitWindowFixture::SetUp();
    UseUnit("latency_ms = 3\n");
  }
  void TearDown() override {
    Module.DataRefresher->SetRunning(false);
    SimulatedUnitWindowFixture::TearDown();
  }
  // Runs probe once, from the event loop of the operation, as soon as its
  // wait window shows.
  void WhenTheWaitWindowShows(std::function<void()> probe) {
    auto *timer = new QTimer(&m_timers);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, probe = std::move(probe)] {
      if (FormAttesa && FormAttesa->isVisible() && FormAttesa->Position() > 5) {
        timer->stop();
        probe();
      }
    });
    timer->start();
  }

  DesktopUserInterface Desktop; // real wait window and message boxes
  QObject m_timers;
};

TEST_F(WaitWindowOnTheUnit, TheMainWindowTakesNoCommandDuringTheReadAllYetHearsTheConnection) {
  TFormMainOptions options;
  options.ShowSplash = false;
  TFormMain main(Module, options);
  Desktop.SetOwner(&main);
  QTemporaryDir folder;
  int asked = 0;
  main.ChooseFile = [&](TFormMain::FileDialog, const QString &, const QString &) {
    ++asked;
    return folder.filePath(QStringLiteral("half-read.kfg"));
  };
  window_test::ShowActive(&main);
  const int language = Module.Translator->CurrentLanguage();
  QSignalSpy configuration(main.findChild<QAction *>(QStringLiteral("ActionConfVett")), &QAction::triggered);
  QSignalSpy save(main.findChild<QAction *>(QStringLiteral("ActionSalvaFile")), &QAction::triggered);
  auto *flag = window_test::ChildOf<QToolButton>(&main, "ButtonLingua1");
  ASSERT_NE(flag, nullptr);
  QSignalSpy flagClicks(flag, &QToolButton::clicked);

  bool probed = false;
  bool blocked = false;
  bool connectedDuringTheWait = false;
  WhenTheWaitWindowShows([&] {
    blocked = Desktop.InputBlocked();
    // Some window managers leave the focus on the main window, and the
    // fitter may click it: its shortcuts are then live.
    main.activateWindow();
    if (!WaitFor([&] { return QApplication::activeWindow() == &main; }))
      return;
    QTest::keyClick(&main, Qt::Key_F2);
    QTest::keyClick(&main, Qt::Key_F1);
    QTest::mouseClick(flag, Qt::LeftButton);
    // The protocol library posted its message at Connect; the read-all's
    // progress lets it through.
    connectedDuringTheWait =
        WaitFor([&] { return !FormAttesa || main.StatusText(0) == Module.Text(10); }) && FormAttesa;
    probed = true;
  });
  QTest::keyClick(&main, Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(Module.NoxConnection->ProtocolObject()->IsConnected());
  ASSERT_TRUE(probed) << "the read-all was over before the probe ended";
  EXPECT_TRUE(blocked);
  EXPECT_TRUE(connectedDuringTheWait);
  EXPECT_EQ(save.count(), 0);
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("half-read.kfg"))));
  EXPECT_EQ(configuration.count(), 0);
  EXPECT_EQ(flagClicks.count(), 0);
  EXPECT_EQ(Module.Translator->CurrentLanguage(), language);
  EXPECT_EQ(FormAttesa, nullptr);
  EXPECT_FALSE(Desktop.InputBlocked());

  // Nothing was kept for later; the window has the focus back and works again.
  ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &main; }));
  QTest::keyClick(&main, Qt::Key_F2);
  EXPECT_EQ(asked, 1);
}

TEST_F(WaitWindowOnTheUnit, EraseWaitBelongsToTheConfigurationWindowWhichGetsTheFocusBack) {
  FakeClock clock; // the erase's settling second passes at once
  TFormConfig form(Module);
  Connect();
  Module.DataRefresher->SetRunning(true);
  window_test::ShowActive(&form);
  const int flagsByte = 164; // economy drive: bit value 8
  const int flagsBefore = UnitByte(flagsByte);
  // The fitter goes to the last page and up from its first field to the
  // erase button.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  auto *reset = window_test::ChildOf<QPushButton>(&form, "ButtonReset");
  ASSERT_EQ(QApplication::focusWidget(), reset);
  auto *economy = window_test::ChildOf<TNoxCheckBox>(&form, "NoxCheckBoxGuidaEco");

  QTimer::singleShot(0, [] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    box->button(QMessageBox::Yes)->click();
  });
  bool probed = false;
  QWidget *owner = nullptr;
  WhenTheWaitWindowShows([&] {
    probed = true;
    owner = FormAttesa->parentWidget();
    QTest::keyClick(economy, Qt::Key_Space);
    QTest::mouseClick(economy, Qt::LeftButton);
    QTest::keyClick(&form, Qt::Key_Q, Qt::AltModifier);
  });
  QTest::keyClick(reset, Qt::Key_Space);
  ASSERT_TRUE(probed);
  EXPECT_EQ(owner, &form);
  EXPECT_EQ(UnitByte(flagsByte), flagsBefore) << "the box took a key or a click during the wait";
  EXPECT_TRUE(form.isVisible()) << "Alt+Q closed the window during the wait";
  EXPECT_EQ(FormAttesa, nullptr);
  EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &form; }));
  EXPECT_EQ(QApplication::focusWidget(), reset);
}

} // namespace

namespace {

// What the windows did while the unit's mandated wait ran.
struct DuringTheWait {
  int Ticks = 0;  // a 20 ms timer of the window's own
  int Paints = 0; // repaints asked for and done
  qint64 LongestWaitMs = 0;
};

class MandatedWaitTest : public WaitWindowOnTheUnit {
protected:
  void SetUp() override {
    WaitWindowOnTheUnit::SetUp();
    Clock::SetCurrent(&Painting);
  }
  void TearDown() override {
    Clock::SetCurrent(nullptr);
    WaitWindowOnTheUnit::TearDown();
  }

  // Runs the fitter's command with a probe that repaints the window and
  // presses keys on it whenever the wait is on.
  DuringTheWait Run(QWidget &window, QWidget *keyTarget, const std::function<void()> &command) {
    DuringTheWait seen;
    PaintCounter counter(window, Painting, seen.Paints);
    QElapsedTimer waitStarted;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
      if (!Painting.Waiting())
        return;
      if (!waitStarted.isValid())
        waitStarted.start();
      seen.LongestWaitMs = std::max(seen.LongestWaitMs, waitStarted.elapsed());
      ++seen.Ticks;
      window.update();
      QTest::keyClick(keyTarget, Qt::Key_Space);
      QTest::keyClick(&window, Qt::Key_Q, Qt::AltModifier);
    });
    probe.start();
    command();
    return seen;
  }

  class PaintCounter : public QObject {
  public:
    PaintCounter(QWidget &window, const PaintingClock &clock, int &paints)
        : m_window(window), m_clock(clock), m_paints(paints) {
      window.installEventFilter(this);
    }
    ~PaintCounter() override { m_window.removeEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override {
      if (event->type() == QEvent::Paint && m_clock.Waiting())
        ++m_paints;
      return QObject::eventFilter(watched, event);
    }

  private:
    QWidget &m_window;
    const PaintingClock &m_clock;
    int &m_paints;
  };

  PaintingClock Painting;
};

TEST_F(MandatedWaitTest, TheWindowRepaintsAndDropsInputWhileTheUnitSettles) {
  TFormConfig form(Module);
  Connect();
  Module.DataRefresher->SetRunning(true);
  window_test::ShowActive(&form);
  const int flagsByte = 164; // economy drive: bit value 8
  const int flagsBefore = UnitByte(flagsByte);
  auto *economy = window_test::ChildOf<TNoxCheckBox>(&form, "NoxCheckBoxGuidaEco");
  auto *ignition = window_test::ChildOf<QComboBox>(&form, "NoxComboTipoAcc");
  ASSERT_EQ(QApplication::focusWidget(), ignition);
  const int ignitionBefore = ignition->currentIndex();

  struct Case {
    const char *Name;
    std::function<void()> Command;
  };
  const Case cases[] = {
      {"an ignition-type change",
       [&] {
         QTest::keyClick(ignition, Qt::Key_Return);
         QTest::keyClick(ignition->view(), Qt::Key_Down);
         QTest::keyClick(ignition->view(), Qt::Key_Return);
         // The focus is given back once the window is active again.
         EXPECT_TRUE(WaitFor([&] { return QApplication::focusWidget() == ignition; }));
       }},
      {"the erase",
       [&] {
         // From the last page's first field up to the erase button.
         QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
         QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
         ASSERT_EQ(QApplication::focusWidget(), window_test::ChildOf<QPushButton>(&form, "ButtonReset"))
             << QApplication::focusWidget()->objectName().toStdString();
         QTimer::singleShot(0, [] {
           auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
           ASSERT_NE(box, nullptr);
           box->button(QMessageBox::Yes)->click();
         });
         QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    const DuringTheWait seen = Run(form, economy, c.Command);
    EXPECT_GE(seen.Ticks, 20) << "the window's timers stood still";
    EXPECT_GT(seen.Paints, 0) << "the window did not repaint";
    EXPECT_GE(seen.LongestWaitMs, 800) << "the wait was cut short";
    EXPECT_TRUE(form.isVisible()) << "Alt+Q closed the window during the wait";
    EXPECT_FALSE(Desktop.InputBlocked());
    if (c.Name == cases[0].Name) {
      EXPECT_EQ(UnitByte(flagsByte), flagsBefore) << "the box took a key during the wait";
      EXPECT_NE(ignition->currentIndex(), ignitionBefore);
    }
  }
}

} // namespace

#include "../ecuconfig/LoadBench.h"

namespace {

// A wait that keeps the windows painted lets messages through, a lost line's
// among them. What a load leaves in the unit and what it says must still be
// what the same load gives with a wait that froze everything, fault for fault.
using load_test::Bench;
using load_test::Outcome;

TEST(PaintingClockLoadTest, ALoadMeetsEachFaultAsWithAWaitThatFroze) {
  const QByteArray previous = qgetenv("NOX_SIMECU_CONFIG");
  QTemporaryDir dir;
  const QString fileName = dir.filePath(QStringLiteral("load.kfg"));
  Bench bench{4242};
  QByteArray factory;
  {
    FakeClock quick;
    bench.FileAfter({}, dir.path(), [](TSerialDataModule &) {}, &factory);
    const QByteArray file = bench.FileAfter({}, dir.path(), [](TSerialDataModule &m) {
      m.TIPO_ACCENSIONE->SetValue(3);
      m.GiriCutOff->SetValue(1800);
      m.TIPO_TPS->SetValue(1);
    });
    ASSERT_TRUE(ConfigurationEnvelope::WriteFile(fileName, file));
  }
  // The line lost in the middle of the load: the first exchange after the
  // connect at which it does not reach its end.
  QByteArray lost;
  for (int n = 40; n < 400 && lost.isEmpty(); ++n) {
    FakeClock quick;
    const QByteArray faults = "lose_connection_after = " + QByteArray::number(n) + "\n";
    const Outcome outcome = bench.Load(factory, dir.path(), fileName, true, faults, false);
    if (outcome.Connected && !outcome.Complete)
      lost = faults;
  }
  ASSERT_FALSE(lost.isEmpty());
  struct Case {
    QByteArray Faults;
    bool WriteAll;
  };
  const Case cases[] = {
      {"", false}, {"", true}, {"write_fail = 213\n", false}, {"undefined = 213\n", false}, {lost, false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.Faults.constData() << '"' << (c.WriteAll ? ", every value" : ""));
    Outcome frozen;
    {
      FakeClock quick;
      frozen = bench.Load(factory, dir.path(), fileName, true, c.Faults, c.WriteAll);
    }
    PaintingClock painting;
    Clock::SetCurrent(&painting);
    const Outcome painted = bench.Load(factory, dir.path(), fileName, true, c.Faults, c.WriteAll);
    Clock::SetCurrent(nullptr);
    ASSERT_TRUE(frozen.Connected) << frozen.Failures.toStdString();
    ASSERT_TRUE(painted.Connected) << painted.Failures.toStdString();
    EXPECT_EQ(painted.Memory.toHex(' ').toStdString(), frozen.Memory.toHex(' ').toStdString());
    EXPECT_EQ(painted.Complete, frozen.Complete);
    EXPECT_EQ(painted.Failures, frozen.Failures);
    EXPECT_EQ(painted.Valid, frozen.Valid) << "the values shown as the unit's";
  }
  qputenv("NOX_SIMECU_CONFIG", previous);
}

} // namespace
