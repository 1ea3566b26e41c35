// The windows when the unit misbehaves: values it did not give, a refused or
// missing connection, long texts. Keys are pressed as the fitter presses
// them; what reached the unit is read from its memory.
#include "SimulatedUnitWindowFixture.h"

#include "controls/TNoxCheckBox.h"
#include "controls/TNoxComboBox.h"
#include "controls/TValueEditEx.h"
#include "controls/UnreadLook.h"
#include "dataitems/TDataRefresher.h"
#include "support/CaseName.h"
#include "support/WaitFor.h"
#include "windows/DesktopUserInterface.h"
#include "windows/TFormConfig.h"
#include "windows/TFormMain.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using window_test::ChildOf;

constexpr int kChangeOverSpeedByte = 223;
constexpr int TEXT_NOT_READ_AT_CONNECT = 330;
constexpr int TEXT_NOT_SAVED_UNREAD = 331;

class UnitFaultWindow : public window_test::SimulatedUnitWindowFixture {
protected:
  // The windows as the program builds them, before any connection.
  void Open(const QByteArray &unit) {
    UseUnit("default_acquired_after_ms = 0\n" + unit);
    TFormMainOptions options;
    options.ShowSplash = false;
    Main = std::make_unique<TFormMain>(Module, options);
    Form = std::make_unique<TFormConfig>(Module, Main.get());
    Form->AttachTo(*Main);
    Main->ChooseFile = [this](TFormMain::FileDialog, const QString &, const QString &) { return SavedFile; };
    window_test::ShowActive(Main.get());
  }
  void TearDown() override {
    Module.DataRefresher->SetRunning(false);
    Form.reset();
    Main.reset();
    SimulatedUnitWindowFixture::TearDown();
  }
  // F1's window in front, as the window manager puts it.
  void ShowConfig() {
    window_test::ShowActive(Form.get());
    QApplication::setActiveWindow(Form.get());
  }
  void PressOnMain(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QApplication::setActiveWindow(Main.get());
    QTest::keyClick(Main.get(), key, modifiers);
  }
  QString SavedText() {
    QByteArray block;
    return Module.DecryptFile(SavedFile, block) ? QString::fromLatin1(block) : QString();
  }

  QTemporaryDir Folder;
  QString SavedFile = Folder.filePath(QStringLiteral("car.kfg"));
  std::unique_ptr<TFormMain> Main;
  std::unique_ptr<TFormConfig> Form;
};

struct UnreadField {
  const char *name;
  QByteArray Unit;
  const char *Field;
  TNoxNumber *TSerialDataModule::*Item;
};

class UnreadFieldTest : public UnitFaultWindow, public ::testing::WithParamInterface<UnreadField> {};

// Shows no value and the unread look.
bool ShowsNoValue(QWidget *field) {
  if (auto *edit = qobject_cast<TValueEditEx *>(field); edit && !edit->text().isEmpty())
    return false;
  if (auto *combo = qobject_cast<TNoxComboBox *>(field); combo && combo->currentIndex() != -1)
    return false;
  if (auto *box = qobject_cast<TNoxCheckBox *>(field); box && box->checkState() != Qt::PartiallyChecked)
    return false;
  return UnreadLook::IsShown(field) && field->palette().color(QPalette::Base) == UnreadLook::Colour();
}

TEST_P(UnreadFieldTest, IsNamedAfterTheConnectShownAsUnreadAndNeverSaved) {
  Open(GetParam().Unit);
  auto *field = ChildOf<QWidget>(Form.get(), GetParam().Field);
  ASSERT_FALSE(UnreadLook::IsShown(field));
  PressOnMain(Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(Module.NoxConnection->ProtocolObject()->IsConnected());
  const QString caption = Form->FieldCaption(Module.*GetParam().Item);
  ASSERT_FALSE(caption.isEmpty());

  ASSERT_EQ(Ui.Messages.size(), 1);
  const QStringList lines = Ui.Messages[0].Text.split(QLatin1Char('\n'));
  EXPECT_EQ(lines[0], Module.Text(TEXT_NOT_READ_AT_CONNECT));
  EXPECT_TRUE(lines.contains(caption)) << Ui.Messages[0].Text.toStdString();
  EXPECT_TRUE(ShowsNoValue(field));
  ShowConfig();
  EXPECT_TRUE(ShowsNoValue(field)) << "still, once the window is open";
  Form->hide();

  PressOnMain(Qt::Key_F2);
  ASSERT_EQ(Ui.Messages.size(), 2);
  EXPECT_TRUE(Ui.Messages[1].Text.startsWith(Module.Text(TEXT_NOT_SAVED_UNREAD) + QLatin1Char('\n')));
  EXPECT_TRUE(Ui.Messages[1].Text.split(QLatin1Char('\n')).contains(caption));
  EXPECT_FALSE(QFile::exists(SavedFile)) << "no file holds a value the unit did not give";
}

INSTANTIATE_TEST_SUITE_P(Fields, UnreadFieldTest,
                         ::testing::Values(UnreadField{"value", "read_fail = 223\n", "NoxValEditNGiriCambio",
                                                       &TSerialDataModule::GiriPerCambio},
                                           UnreadField{"choice", "read_fail = 165\n", "NoxComboTipoSonda",
                                                       &TSerialDataModule::TIPO_SONDA_LAMBDA},
                                           UnreadField{"flag", "read_fail = 162\n", "NoxCheckBoxCutOff",
                                                       &TSerialDataModule::FLAG_GONFIGURAZIONE}),
                         CaseName<UnreadField>);

TEST_F(UnitFaultWindow, AValueTypedIntoAnUnreadFieldIsTheUnitsAndTheFileSaves) {
  // The unit keeps its memory in a file: what reached it is read there, past
  // the read that fails.
  const QString memory = Folder.filePath(QStringLiteral("unit.bin"));
  Open("read_fail = 223\npersist = true\nmemory_image = " + memory.toLocal8Bit() + "\n");
  PressOnMain(Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(Module.NoxConnection->ProtocolObject()->IsConnected());
  SetUnitByte(kChangeOverSpeedByte, 38); // what the unit really holds: about 3100 RPM
  ShowConfig();
  auto *speed = ChildOf<TValueEditEx>(Form.get(), "NoxValEditNGiriCambio");
  for (int i = 0; i < 4; ++i)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  ASSERT_EQ(QApplication::focusWidget(), speed);
  QTest::keyClicks(speed, QStringLiteral("3000"));
  QTest::keyClick(speed, Qt::Key_Return);
  QFile image(memory);
  ASSERT_TRUE(image.open(QIODevice::ReadOnly));
  // 120000 / 3000 RPM with the ignition type the unit holds.
  EXPECT_EQ(static_cast<std::uint8_t>(image.readAll().at(kChangeOverSpeedByte)), 40);
  EXPECT_EQ(speed->text(), QStringLiteral("3000"));
  EXPECT_FALSE(UnreadLook::IsShown(speed));
  EXPECT_NE(speed->palette().color(QPalette::Base), UnreadLook::Colour());
  Form->hide();

  const qsizetype said = Ui.Messages.size();
  PressOnMain(Qt::Key_F2);
  EXPECT_EQ(Ui.Messages.size(), said);
  EXPECT_TRUE(SavedText().contains(QStringLiteral("RIFERIMENTO GIRI CAMBIO=3000")))
      << SavedText().toStdString();
}

TEST_F(UnitFaultWindow, CtrlCInTheConfigurationWindowConnectsThere) {
  Open({});
  ShowConfig();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(Module.NoxConnection->ProtocolObject()->IsConnected());
  QLabel *status = Form->StatusPanel(0);
  ASSERT_TRUE(WaitFor([&] { return status->text() == Module.Text(10); }));
  EXPECT_TRUE(ChildOf<QPushButton>(Form.get(), "ButtonReset")->isEnabled()) << "the erase works at once";
  EXPECT_TRUE(Ui.Messages.isEmpty());
}

TEST_F(UnitFaultWindow, LongStatusTextsNeverWidenTheWindowAndAStaleWarningGoesWithTheNextConnect) {
  Open({});
  const QRect screen = Main->screen()->availableGeometry();
  const QString warning = QStringLiteral("The history is not recorded: %1 cannot be written.")
                              .arg(QStringLiteral("/home/fitter/very/deep/folder").repeated(12));
  Main->ShowStatusWarning(warning);
  QTest::qWait(50); // the layouts settle
  EXPECT_LE(Main->frameGeometry().width(), screen.width());
  EXPECT_LE(Main->frameGeometry().right(), screen.right());
  auto *label = ChildOf<QLabel>(Main.get(), "StatusWarning");
  EXPECT_EQ(label->toolTip(), warning) << "the whole text";
  EXPECT_LE(label->geometry().right(), Main->width());

  PressOnMain(Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(WaitFor([&] { return Main->StatusText(0) == Module.Text(10); }));
  EXPECT_TRUE(Main->StatusWarning().isEmpty());
}

// A line lost under the configuration window says what to do, and what the
// status bar says then follows a language switch like every other text.
// The desktop's own boxes and status bar, as the fitter sees them.
TEST_F(UnitFaultWindow, ALostLineSaysToConnectAgainInTheLanguageOfTheMoment) {
  // The connect's reads, the edit and a refresh cycle, then the line drops.
  Open("lose_connection_after = 75\n");
  Main->SelectLanguage(0);
  PressOnMain(Qt::Key_C, Qt::ControlModifier);
  ASSERT_TRUE(Module.NoxConnection->ProtocolObject()->IsConnected());
  DesktopUserInterface desktop;
  desktop.SetOwner(Main.get());
  ShowConfig();
  // One edit, so that there is something the lost line takes from Ctrl+Z.
  for (int i = 0; i < 3; ++i)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("30"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QString box;
  auto *answer = new QTimer(Form.get());
  QObject::connect(answer, &QTimer::timeout, [&box] {
    if (auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
      box = shown->text();
      QTest::keyClick(shown, Qt::Key_Return);
    }
  });
  answer->start(20);
  Module.DataRefresher->SetRunning(true);
  ASSERT_TRUE(WaitFor([&] { return !box.isEmpty() && !Main->StatusWarning().isEmpty(); }))
      << "the line drops";
  Module.DataRefresher->SetRunning(false);
  answer->stop();
  EXPECT_TRUE(box.endsWith(QLatin1Char('\n') + Module.Text(400))) << box.toStdString();
  const auto warning = [this] { return Module.Text(248) + QLatin1Char(' ') + Module.Text(400); };
  EXPECT_EQ(Main->StatusWarning(), warning());

  const QString italian = Main->StatusWarning();
  Main->SelectLanguage(1);
  EXPECT_EQ(Main->StatusWarning(), warning());
  EXPECT_NE(Main->StatusWarning(), italian);
  EXPECT_EQ(ChildOf<QLabel>(Main.get(), "StatusWarning")->toolTip(), warning());
}

// The desktop's own message box, found while it is open.
template <typename Check> void WhenModalShows(Check check) {
  QTimer::singleShot(0, [check] {
    QWidget *box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    check(box);
    QTest::keyClick(box, Qt::Key_Return);
  });
}

TEST(DesktopMessages, ALongListScrollsInsideTheScreenAndAShortTextStaysAPlainBox) {
  DesktopUserInterface ui;
  QStringList keys;
  for (int i = 0; i < 70; ++i)
    keys << QStringLiteral("PARAMETER NUMBER %1").arg(i);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  bool seen = false;
  WhenModalShows([&](QWidget *box) {
    seen = true;
    EXPECT_LE(box->frameGeometry().height(), screen.height());
    auto *list = box->findChild<QScrollArea *>();
    ASSERT_NE(list, nullptr);
    auto *text = qobject_cast<QLabel *>(list->widget());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), keys.join(QLatin1Char('\n')));
    EXPECT_EQ(box->findChild<QLabel *>(QStringLiteral("Headline"))->text(), QStringLiteral("Not loaded:"));
  });
  ui.ShowMessage(QStringLiteral("Not loaded:\n") + keys.join(QLatin1Char('\n')), QStringLiteral("Load"),
                 MessageIcon::Error);
  EXPECT_TRUE(seen);

  seen = false;
  WhenModalShows([&](QWidget *box) {
    seen = true;
    auto *plain = qobject_cast<QMessageBox *>(box);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->text(), QStringLiteral("Not connected"));
  });
  ui.ShowMessage(QStringLiteral("Not connected"), QStringLiteral("Load"), MessageIcon::Warning);
  EXPECT_TRUE(seen);
}

} // namespace
