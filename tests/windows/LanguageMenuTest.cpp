// The languages as the keyboard reaches them: the Language menu and the
// pop-up menu, their mnemonics in every language, and Qt's own dialogs in
// the chosen language.
#include "WindowsFixture.h"
#include "ecuconfig/TSerialDataModule.h"
#include "history/ConfigurationReport.h"
#include "storage/TNoxRegistryData.h"
#include "support/CaseName.h"
#include "support/WaitFor.h"
#include "translator/TTranslator.h"
#include "windows/QtTranslation.h"
#include "windows/ReportActions.h"
#include "windows/TFormMain.h"
#include "windows/TFormOndaCostruita.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {

class LanguageWindowTest : public WindowsFixture {
protected:
  void TearDown() override {
    QtTranslation::Select(QString(), QString()); // the next tests see Qt's English
    WindowsFixture::TearDown();
  }
  std::unique_ptr<TFormMain> Open() {
    TFormMainOptions options;
    options.ShowSplash = false;
    auto window = std::make_unique<TFormMain>(m_module, options);
    window->show();
    return window;
  }

  TSerialDataModule m_module;
};

// Every item of a menu (the menu bar too) must be reachable by its own
// letter; returns a line per clash or missing mnemonic.
QStringList MnemonicProblems(const QString &where, const QList<QAction *> &actions) {
  QStringList problems;
  QHash<QKeySequence, QString> taken;
  for (const QAction *action : actions) {
    if (action->isSeparator() || !action->isVisible())
      continue;
    const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
    if (mnemonic.isEmpty())
      problems << where + QStringLiteral(": no mnemonic in \"") + action->text() + QLatin1Char('"');
    else if (taken.contains(mnemonic))
      problems << where + QStringLiteral(": \"") + action->text() + QStringLiteral("\" and \"") +
                      taken[mnemonic] + QStringLiteral("\" share ") + mnemonic.toString();
    else
      taken.insert(mnemonic, action->text());
  }
  return problems;
}

struct LanguageCase {
  const char *name;
  int Index;
  QString Locale;
  QString Yes;
  QString No;
  QString ReportName; // proposed for the report's PDF
  QString ConnectKey; // Ctrl+C as the language's keyboard names it
};

// Help > Keys opened with the keyboard alone; the rows it lists, read while
// it is open, before Esc closes it.
QStringList KeysFromTheHelpMenu(TFormMain &window, QString *title) {
  QStringList rows;
  QApplication::setActiveWindow(&window);
  EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  auto *help = window.findChild<QMenu *>(QStringLiteral("MenuAiuto"));
  auto *keys = window.findChild<QAction *>(QStringLiteral("ActionKeys"));
  EXPECT_TRUE(help && keys && help->actions().contains(keys));
  if (!help || !keys)
    return rows;
  bool closed = false;
  QTimer::singleShot(0, [&] {
    QWidget *shown = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (shown = QApplication::activeModalWidget()) != nullptr; }));
    if (!shown)
      return;
    *title = shown->windowTitle();
    auto *table = shown->findChild<QTableWidget *>(QStringLiteral("KeyTable"));
    for (int row = 0; table && row < table->rowCount(); ++row) {
      QStringList cells;
      for (int column = 0; column < table->columnCount(); ++column)
        cells << (table->item(row, column) ? table->item(row, column)->text() : QString());
      rows << cells.join(QLatin1Char('|'));
    }
    QTest::keyClick(shown, Qt::Key_Escape);
    closed = !shown->isVisible();
  });
  const QKeyCombination altLetter = QKeySequence::mnemonic(help->title())[0];
  QTest::keyClick(&window, altLetter.key(), altLetter.keyboardModifiers());
  EXPECT_TRUE(QTest::qWaitFor([&] { return help->isVisible(); }));
  // In an open menu the letter alone: with Alt it could be another menu's.
  QTest::keyClick(help, QKeySequence::mnemonic(keys->text())[0].key());
  EXPECT_TRUE(closed) << "Esc closes the list of keys";
  return rows;
}

class EveryLanguageTest : public LanguageWindowTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(EveryLanguageTest, ItsItemSwitchesItAndEveryMenuKeepsItsLettersApart) {
  const LanguageCase &c = GetParam();
  auto window = Open();
  ASSERT_GT(m_module.Translator->LanguageCount(), c.Index);
  EXPECT_EQ(QtTranslation::LocaleOf(m_module.Translator->GetLanguageName(c.Index)), c.Locale);

  auto *item = window->findChild<QAction *>(QStringLiteral("MenuLingua%1").arg(c.Index));
  ASSERT_NE(item, nullptr);
  auto *languageMenu = window->findChild<QMenu *>(QStringLiteral("MenuLanguage"));
  auto *popup = window->findChild<QMenu *>(QStringLiteral("PopupMenu"));
  ASSERT_TRUE(languageMenu && popup);
  EXPECT_TRUE(languageMenu->actions().contains(item));
  EXPECT_TRUE(popup->actions().contains(item));
  item->trigger();
  EXPECT_EQ(m_module.Translator->CurrentLanguage(), c.Index);
  EXPECT_EQ(window->NoxRegistryData->GetIntegerValue(QStringLiteral("Language")), c.Index);
  for (QAction *language : languageMenu->actions())
    EXPECT_EQ(language->isChecked(), language == item) << language->text().toStdString();

  QStringList problems = MnemonicProblems(QStringLiteral("menu bar"), window->menuBar()->actions());
  for (const QAction *title : window->menuBar()->actions())
    problems << MnemonicProblems(title->text(), title->menu()->actions());
  problems << MnemonicProblems(QStringLiteral("pop-up menu"), popup->actions());
  EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();

  // Qt's own buttons speak the language too.
  QMessageBox box(QMessageBox::Question, QStringLiteral("?"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), c.Yes);
  EXPECT_EQ(box.button(QMessageBox::No)->text(), c.No);

  TFormOndaCostruita wave(m_module, window.get());
  EXPECT_EQ(wave.windowTitle(), m_module.Text(200));
  EXPECT_FALSE(wave.windowTitle().isEmpty());

  // The report: its file name and its date in the language.
  QString proposed;
  window->ChooseFile = [&](TFormMain::FileDialog, const QString &, const QString &preset) {
    proposed = preset;
    return QString();
  };
  window->findChild<QAction *>(QStringLiteral("ActionSaveReportPdf"))->trigger();
  EXPECT_EQ(proposed, c.ReportName);
  const ConfigurationReport report = window->Reports()->Report();
  EXPECT_EQ(report.DateText(), QLocale(c.Locale).toString(report.Date.toLocalTime(), QLocale::ShortFormat));

  // Help > Keys: every key with what it does, in the language.
  QString title;
  const QStringList rows = KeysFromTheHelpMenu(*window, &title);
  EXPECT_EQ(title, m_module.Text(402));
  EXPECT_TRUE(rows.contains(c.ConnectKey + QLatin1Char('|') + m_module.Text(405)))
      << rows.join(QLatin1Char('\n')).toStdString();
  for (const QKeySequence &key : {QKeySequence(Qt::ALT | Qt::Key_Q), QKeySequence(Qt::Key_F8),
                                  QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::Key_F7)})
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const QString &row) {
      return row.startsWith(key.toString(QKeySequence::NativeText) + QLatin1Char('|'));
    })) << key.toString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Languages, EveryLanguageTest,
    ::testing::Values(LanguageCase{"Italian", 0, "it", QStringLiteral("&Sì"), "&No", "rapporto.pdf",
                                   "Ctrl+C"},
                      LanguageCase{"English", 1, "en", "&Yes", "&No", "report.pdf", "Ctrl+C"},
                      LanguageCase{"German", 2, "de", "&Ja", "&Nein", "Bericht.pdf", "Strg+C"},
                      LanguageCase{"French", 3, "fr", "&Oui", "&Non", "rapport.pdf", "Ctrl+C"},
                      LanguageCase{"Polish", 4, "pl", "&Tak", "&Nie", "raport.pdf", "Ctrl+C"}),
    CaseName<LanguageCase>);

TEST_F(LanguageWindowTest, TheSaveDialogSpeaksTheLanguageChosenWithTheFlag) {
  auto window = Open();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("ButtonLingua2")), Qt::LeftButton);
  ASSERT_EQ(m_module.Translator->CurrentLanguage(), 2);
  QString lookIn, fileName;
  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(WaitFor([] { return qobject_cast<QFileDialog *>(QApplication::activeModalWidget()); }));
    auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    lookIn = dialog->findChild<QLabel *>(QStringLiteral("lookInLabel"))->text();
    fileName = dialog->findChild<QLabel *>(QStringLiteral("fileNameLabel"))->text();
    dialog->reject();
  });
  QTest::keyClick(window.get(), Qt::Key_F2);
  EXPECT_EQ(lookIn, QStringLiteral("Suchen in:"));
  EXPECT_EQ(fileName, QStringLiteral("Datei&name:"));
}

struct PopupKey {
  const char *name;
  Qt::Key Key;
  Qt::KeyboardModifiers Modifiers;
};

class PopupKeyTest : public LanguageWindowTest, public ::testing::WithParamInterface<PopupKey> {};

TEST_P(PopupKeyTest, OpensThePopupMenuWhoseLetterSwitchesTheLanguage) {
  auto window = Open();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), GetParam().Key, GetParam().Modifiers);
  auto *popup = window->findChild<QMenu *>(QStringLiteral("PopupMenu"));
  ASSERT_TRUE(WaitFor([&] { return popup->isVisible(); }));
  EXPECT_EQ(QApplication::activePopupWidget(), popup);
  QTest::keyClick(popup, Qt::Key_P); // "&Polski"
  ASSERT_TRUE(WaitFor([&] { return !popup->isVisible(); }));
  EXPECT_EQ(m_module.Translator->CurrentLanguage(), 4);
}

INSTANTIATE_TEST_SUITE_P(Keys, PopupKeyTest,
                         ::testing::Values(PopupKey{"Shift_F10", Qt::Key_F10, Qt::ShiftModifier},
                                           PopupKey{"Menu", Qt::Key_Menu, Qt::NoModifier}),
                         CaseName<PopupKey>);

} // namespace
