#include "WindowsFixture.h"
#include "dataitems/TNoxConnection.h"
#include "ecuconfig/TSerialDataModule.h"
#include "support/CaseName.h"
#include "support/WaitFor.h"
#include "translator/TTranslator.h"
#include "windows/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

namespace {
const QColor Red(0xFF, 0, 0);
const QColor Green(0, 0x80, 0);

class MainWindowTest : public WindowsFixture {
protected:
  std::unique_ptr<TFormMain> Open(const QString &folder = {}) {
    TFormMainOptions options;
    options.ExecutableFolder = folder;
    options.ShowSplash = false;
    auto window = std::make_unique<TFormMain>(m_module, options);
    window->show();
    return window;
  }
  QAction *Action(TFormMain &window, const char *name) {
    return window.findChild<QAction *>(QLatin1String(name));
  }

  TSerialDataModule m_module;
};

TEST_F(MainWindowTest, StatusFollowsTheConnectionStateMessageOnly) {
  auto window = Open();
  window->findChild<QAction *>(QStringLiteral("ActionConnect"))->trigger();
  // Connected in the unit, but the window waits for the library's message.
  ASSERT_TRUE(m_module.NoxConnection->ProtocolObject()->IsConnected());
  EXPECT_EQ(window->StatusText(0), m_module.Text(11));
  EXPECT_EQ(window->StatusColor(), Red);
  EXPECT_FALSE(Action(*window, "ActionDisconnect")->isEnabled());

  ASSERT_TRUE(WaitFor([&] { return window->StatusColor() == Green; }));
  EXPECT_EQ(window->StatusText(0), m_module.Text(10));
  // A new unit holds the over-rev threshold as 12000 (off): the connect
  // rewrites it as 20000 and says so beside the firmware's note.
  EXPECT_EQ(m_module.FirmwareStatusText(), QString());
  EXPECT_EQ(window->StatusText(1), m_module.Text(343).arg(12000).arg(20000));
  EXPECT_FALSE(Action(*window, "ActionConnect")->isEnabled());
  EXPECT_TRUE(Action(*window, "ActionDisconnect")->isEnabled());
  EXPECT_TRUE(m_ui.Messages.isEmpty());

  Action(*window, "ActionDisconnect")->trigger();
  ASSERT_TRUE(WaitFor([&] { return window->StatusColor() == Red; }));
  EXPECT_EQ(window->StatusText(0), m_module.Text(11));
  EXPECT_TRUE(window->StatusText(1).isEmpty());
  EXPECT_TRUE(Action(*window, "ActionConnect")->isEnabled());
  EXPECT_TRUE(m_module.NoxConnection->Loaded()); // the library stays loaded
}

struct ConnectFailure {
  const char *name;
  QByteArray Unit;
  QList<int> TextIds;
  QString Tail;
};

class ConnectFailureTest : public MainWindowTest, public ::testing::WithParamInterface<ConnectFailure> {};

TEST_P(ConnectFailureTest, ShowsItsMessageUnderTheWindowCaption) {
  UseUnit(GetParam().Unit);
  auto window = Open();
  Action(*window, "ActionConnect")->trigger();
  QStringList lines;
  for (int id : GetParam().TextIds)
    lines << m_module.Text(id);
  ASSERT_EQ(m_ui.Messages.size(), 1);
  EXPECT_EQ(m_ui.Messages[0].Text, lines.join(QLatin1Char('\n')) + GetParam().Tail);
  EXPECT_EQ(m_ui.Messages[0].Title, window->windowTitle());
  EXPECT_EQ(m_ui.Messages[0].Icon, MessageIcon::Error);
  EXPECT_FALSE(m_ui.Messages[0].Text.startsWith(QLatin1Char('\n'))) << "texts were not filled";
}

INSTANTIATE_TEST_SUITE_P(
    Results, ConnectFailureTest,
    ::testing::Values(ConnectFailure{"no_identification",
                                     "no_identification = true\n",
                                     {17, 18},
                                     QStringLiteral("\n(ERR.CODE: C01)")},
                      ConnectFailure{"unknown_unit", "identification = 1 99 99 0 0 0 0 0\n", {106}, {}},
                      ConnectFailure{"refused", "refuse_connect = true\n", {332}, {}}),
    CaseName<ConnectFailure>);

TEST_F(MainWindowTest, LanguageStripFollowsTheScreenWidth) {
  auto window = Open();
  const int count = m_module.Translator->LanguageCount();
  ASSERT_GE(count, 3);
  ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().width(), 800);
  for (int i = 0; i < count; ++i) {
    auto *button = window->findChild<QToolButton *>(QStringLiteral("ButtonLingua%1").arg(i));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->y(), 20 + 75 * i); // 20, 95, 170...
    EXPECT_EQ(button->size(), QSize(55, 55));
    const QString name = m_module.Translator->GetLanguageName(i);
    EXPECT_EQ(button->toolTip(), TFormMain::HintOf(name));
    EXPECT_FALSE(button->toolTip().contains(QLatin1Char('&')));
    EXPECT_FALSE(button->icon().isNull());
    auto *item = window->findChild<QAction *>(QStringLiteral("MenuLingua%1").arg(i));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), name); // the menu keeps its accelerator
  }
}

TEST(MainWindowRules, HintsScreensAndGaps) {
  EXPECT_EQ(TFormMain::HintOf(QStringLiteral("&English")), QStringLiteral("English"));
  EXPECT_EQ(TFormMain::HintOf(QStringLiteral("Fran&çais")), QStringLiteral("Français"));
  EXPECT_EQ(TFormMain::HintOf(QStringLiteral("A&&B")), QStringLiteral("A&B"));
  EXPECT_EQ(TFormMain::HintOf(QStringLiteral("Polski")), QStringLiteral("Polski"));
  EXPECT_TRUE(TFormMain::StartsMaximised(QSize(1024, 768)));
  EXPECT_FALSE(TFormMain::StartsMaximised(QSize(1280, 746)));
  EXPECT_TRUE(TFormMain::StartsMaximised(QSize(1280, 745)));
  EXPECT_EQ(TFormMain::LanguageGap(800), 20);
  EXPECT_EQ(TFormMain::LanguageGap(1366), 34);
}

TEST_F(MainWindowTest, LanguageSwitchIsKeptForTheNextStart) {
  {
    auto window = Open();
    window->findChild<QToolButton *>(QStringLiteral("ButtonLingua1"))->click();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("QMD652 Gas ECU Configuration"));
    // Never connected: both status texts say "not connected" in the new language.
    EXPECT_EQ(window->StatusText(0), QStringLiteral("ECU not connected"));
    // The labels share one left edge, placed after the new texts.
    const auto labels = window->findChild<QWidget *>(QStringLiteral("PanelComandi"))
                            ->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    int widest = 0;
    for (const QLabel *label : labels)
      widest = qMax(widest, label->sizeHint().width());
    for (const QLabel *label : labels)
      EXPECT_EQ(label->x(), (window->width() + 120 - widest - 68) / 2) << label->objectName().toStdString();
  }
  m_module.Translator->SetLanguage(0);
  auto again = Open();
  EXPECT_EQ(m_module.Translator->CurrentLanguage(), 1);
  EXPECT_EQ(again->windowTitle(), QStringLiteral("QMD652 Gas ECU Configuration"));
  EXPECT_TRUE(again->findChild<QToolButton *>(QStringLiteral("ButtonLingua1"))->isChecked());
}

struct KeyCase {
  const char *name;
  Qt::Key Key;
  QList<TFormMain::FileDialog> Asked;
  QList<int> Said; // the texts of the messages, never connected
};

class CommandKeyTest : public MainWindowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(CommandKeyTest, OnlyTheBoundKeysAct) {
  auto window = Open();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QList<TFormMain::FileDialog> asked;
  window->ChooseFile = [&](TFormMain::FileDialog kind, const QString &, const QString &) {
    asked << kind;
    return QString();
  };
  const int windows = QApplication::topLevelWidgets().size();
  QTest::keyClick(window.get(), GetParam().Key);
  EXPECT_EQ(asked, GetParam().Asked);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
  QList<int> said;
  for (const auto &message : m_ui.Messages)
    said << (message.Text == m_module.Text(333) ? 333 : -1);
  EXPECT_EQ(said, GetParam().Said);
  EXPECT_FALSE(m_module.NoxConnection->Loaded());
}

INSTANTIATE_TEST_SUITE_P(Keys, CommandKeyTest,
                         ::testing::Values(KeyCase{"F2_saves", Qt::Key_F2, {TFormMain::FileDialog::Save}, {}},
                                           // No unit to compare with or load into: no dialog at all.
                                           KeyCase{"F3_asks_to_connect", Qt::Key_F3, {}, {333}},
                                           KeyCase{"F4_nothing", Qt::Key_F4, {}, {}},
                                           KeyCase{"F6_nothing", Qt::Key_F6, {}, {}}),
                         CaseName<KeyCase>);

} // namespace
