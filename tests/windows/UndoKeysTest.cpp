// Ctrl+Z and Ctrl+Y in the configuration window, pressed on whichever field
// has the focus, checked in the simulated unit's memory.
#include "SimulatedUnitWindowFixture.h"

#include "controls/TNoxComboBox.h"
#include "controls/TValueEditEx.h"
#include "dataitems/TDataRefresher.h"
#include "history/UndoStack.h"
#include "platform/UserAction.h"
#include "support/FakeClock.h"
#include "support/SimulatedUnit.h"
#include "windows/TFormConfig.h"
#include "windows/TFormMain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTabWidget>
#include <QTest>

namespace {

class UndoKeysTest : public window_test::SimulatedUnitWindowFixture {
protected:
  void SetUp() override {
    SimulatedUnitWindowFixture::SetUp();
    UseUnit("default_acquired_after_ms = 0\n");
    TFormMainOptions options;
    options.ShowSplash = false;
    Main = std::make_unique<TFormMain>(Module, options);
    Form = std::make_unique<TFormConfig>(Module, Main.get());
    Form->AttachTo(*Main);
    Connect();
  }
  void TearDown() override {
    Module.DataRefresher->SetRunning(false);
    Form.reset();
    Main.reset();
    SimulatedUnitWindowFixture::TearDown();
  }
  std::string Memory() { return SimulatedUnitSettings::MemoryText(Module.NoxConnection->LibraryObject()); }
  static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  }

  FakeClock Time; // the ignition handler's wait costs nothing
  std::unique_ptr<TFormMain> Main;
  std::unique_ptr<TFormConfig> Form;
};

TEST_F(UndoKeysTest, UndoAndRedoReachTheUnitFromATextField) {
  const std::string start = Memory();
  window_test::ShowActive(Form.get());
  // The window opens on the ignition type: a choice from its list.
  auto *ignition = window_test::ChildOf<TNoxComboBox>(Form.get(), "NoxComboTipoAcc");
  ASSERT_EQ(QApplication::focusWidget(), ignition);
  QTest::keyClick(ignition, Qt::Key_Return);
  QTest::keyClick(ignition->view(), Qt::Key_Down);
  QTest::keyClick(ignition->view(), Qt::Key_Return);
  const std::string ignitionChanged = Memory();
  ASSERT_NE(ignitionChanged, start);
  // Then a value typed and confirmed.
  auto *temperature = window_test::ChildOf<TValueEditEx>(Form.get(), "NoxValEditTempCambio");
  const QString shown = temperature->text();
  for (int i = 0; i < 3; ++i)
    Press(Qt::Key_Down, Qt::NoModifier);
  ASSERT_EQ(QApplication::focusWidget(), temperature)
      << QApplication::focusWidget()->objectName().toStdString();
  QTest::keyClicks(temperature, QStringLiteral("33"));
  QTest::keyClick(temperature, Qt::Key_Return);
  const std::string edited = Memory();
  ASSERT_NE(edited, ignitionChanged);

  // Ctrl+Z on the next text field is the window's, not the field's own undo.
  auto *next = qobject_cast<TValueEditEx *>(QApplication::focusWidget());
  ASSERT_NE(next, nullptr);
  ASSERT_NE(next, temperature);
  const QString nextShown = next->text();
  Press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Memory(), ignitionChanged);
  EXPECT_EQ(next->text(), nextShown) << "nothing typed into the focused field";
  EXPECT_EQ(temperature->text(), shown) << "the field shows the value put back";
  Press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Memory(), start) << "the ignition type and the speeds it rewrote";
  Press(Qt::Key_Z, Qt::ControlModifier); // nothing left: a beep, nothing written
  EXPECT_EQ(Memory(), start);

  Press(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Memory(), ignitionChanged);
  Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Memory(), edited);
  EXPECT_EQ(temperature->text(), QStringLiteral("33"));
  EXPECT_TRUE(m_ui.Messages.isEmpty() && Ui.Messages.isEmpty());
}

// A change put back on a page out of sight brings that page up, with the
// focus on the field it changed.
TEST_F(UndoKeysTest, UndoAndRedoShowThePageAndTheFieldTheyChanged) {
  const std::string start = Memory();
  window_test::ShowActive(Form.get());
  auto *temperature = window_test::ChildOf<TValueEditEx>(Form.get(), "NoxValEditTempCambio");
  auto *pages = window_test::ChildOf<QTabWidget>(Form.get(), "PageControl1");
  for (int i = 0; i < 3; ++i)
    Press(Qt::Key_Down, Qt::NoModifier);
  ASSERT_EQ(QApplication::focusWidget(), temperature);
  QTest::keyClicks(temperature, QStringLiteral("33"));
  QTest::keyClick(temperature, Qt::Key_Return);
  const std::string edited = Memory();
  ASSERT_NE(edited, start);
  const struct {
    const char *Name;
    Qt::KeyboardModifiers Modifiers;
    Qt::Key Key;
    const std::string &Unit;
  } steps[] = {
      {"undo", Qt::ControlModifier, Qt::Key_Z, start},
      {"redo", Qt::ControlModifier, Qt::Key_Y, edited},
  };
  for (const auto &step : steps) {
    SCOPED_TRACE(step.Name);
    Press(Qt::Key_PageDown, Qt::NoModifier);
    ASSERT_NE(pages->currentIndex(), 0);
    Press(step.Key, step.Modifiers);
    EXPECT_EQ(Memory(), step.Unit);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), temperature);
  }
}

// The stack dies with the connection either way; only a line the fitter did
// not take down is worth a warning.
TEST_F(UndoKeysTest, ADisconnectEmptiesTheStackAndOnlyALostLineWarns) {
  for (const bool byTheFitter : {true, false}) {
    SCOPED_TRACE(byTheFitter ? "Ctrl+D" : "line lost");
    if (!Module.NoxConnection->ProtocolObject()->IsConnected())
      Connect();
    {
      const UserAction edit; // the fitter's, as a confirmed field is
      ASSERT_TRUE(Module.GiriPerCambio->SetValue(byTheFitter ? 2600 : 2700));
    }
    ASSERT_EQ(Main->Undo().UndoCount(), 1);
    const qsizetype warnings = Ui.StatusWarnings.size();
    if (byTheFitter) {
      window_test::ShowActive(Main.get());
      QTest::keyClick(Main.get(), Qt::Key_D, Qt::ControlModifier);
    } else {
      Module.NoxConnection->ProtocolObject()->Disconnect();
    }
    QCoreApplication::processEvents(); // the library's message about the line
    EXPECT_FALSE(Module.NoxConnection->ProtocolObject()->IsConnected());
    EXPECT_EQ(Main->Undo().UndoCount(), 0);
    EXPECT_EQ(Ui.StatusWarnings.size() - warnings, byTheFitter ? 0 : 1);
  }
}

} // namespace
