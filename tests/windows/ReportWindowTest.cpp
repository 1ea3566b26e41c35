// The report for the customer from the File menu, as the fitter gets it: a
// connected unit, one edit in the configuration window, the PDF read back
// as text.
#include "SimulatedUnitWindowFixture.h"

#include "controls/TNoxCheckBox.h"
#include "ecuconfig/ConfigurationPages.h"
#include "history/ConnectionJournal.h"
#include "support/WaitFor.h"
#include "windows/ReportActions.h"
#include "windows/TFormConfig.h"
#include "windows/TFormMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {

using window_test::ChildOf;
using window_test::SimulatedUnitWindowFixture;

constexpr int kFlagsByte = 162;

class ReportWindow : public SimulatedUnitWindowFixture {
protected:
  // Runs the File menu item the way the fitter does: Alt+F, then its letter.
  void ChooseFromFileMenu(TFormMain &main, const char *actionName) {
    auto *action = ChildOf<QAction>(&main, actionName);
    ASSERT_NE(action, nullptr);
    main.show();
    QApplication::setActiveWindow(&main);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_F, Qt::AltModifier);
    auto *menu = ChildOf<QMenu>(&main, "MenuFile");
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    QTest::keySequence(menu, QKeySequence::mnemonic(action->text()));
  }

  // The PDF's text, its layout kept so that a caption and its value share a line.
  static QString PdfText(const QString &file) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
      return QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    // Ligatures ("ﬁ") back to their letters.
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
  }

  // A line holding both, whatever spacing the PDF's layout left between
  // (and within) them.
  static bool HasLine(const QString &text, const QString &first, const QString &second) {
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QString wanted = QString(first + second).remove(space);
    const QStringList lines = text.split(QLatin1Char('\n'));
    return std::any_of(lines.begin(), lines.end(),
                       [&](const QString &line) { return QString(line).remove(space).contains(wanted); });
  }

  QTemporaryDir Folder;
};

TEST_F(ReportWindow, SavedAsPdfItHoldsTheUnitPageOneAndTheLoggedChange) {
  ASSERT_TRUE(Folder.isValid());
  TFormMainOptions options;
  options.ShowSplash = false;
  options.HistoryFolder = Folder.filePath(QStringLiteral("history"));
  TFormMain main(Module, options);
  TFormConfig config(Module, &main);
  config.AttachTo(main);
  main.SelectLanguage(1);
  Connect();

  // The fitter goes to page 2 and ticks its first box, "full throttle", with Space.
  window_test::ShowActive(&config);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  ASSERT_EQ(QApplication::focusWidget(), ChildOf<TNoxCheckBox>(&config, "NoxCheckBoxAff"));
  const int flags = UnitByte(kFlagsByte);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  ASSERT_EQ(UnitByte(kFlagsByte), flags | 1) << "the edit reached the unit";
  config.hide();

  QStringList asked;
  QString target = Folder.filePath(QStringLiteral("customer.pdf"));
  main.ChooseFile = [&](TFormMain::FileDialog kind, const QString &, const QString &) {
    asked << QString::number(static_cast<int>(kind));
    return target;
  };
  ChooseFromFileMenu(main, "ActionSaveReportPdf");
  EXPECT_EQ(asked, QStringList{QString::number(static_cast<int>(TFormMain::FileDialog::SaveReport))});
  const QString text = PdfText(target);
  EXPECT_TRUE(text.contains(Module.Text(262))) << text.toStdString();
  EXPECT_TRUE(text.contains(ConfigurationReport::IdentificationText(Module))) << text.toStdString();
  EXPECT_FALSE(ConfigurationReport::IdentificationText(Module).isEmpty());
  // Page 1 as the window shows it: every visible field with its value.
  for (const ShownField &field : ConfigurationPages::Shown(Module, ConfigurationPages::Pages().at(0)))
    EXPECT_TRUE(HasLine(text, field.Caption, field.Value)) << field.Caption.toStdString();
  EXPECT_TRUE(
      HasLine(text, Module.Text(80), Module.Text(273) + QStringLiteral(" \u2192 ") + Module.Text(272)))
      << "the logged change: " << text.toStdString();

  // A folder that does not exist: the file and the reason are said, as for a save.
  Ui.Messages.clear();
  target = Folder.filePath(QStringLiteral("missing/customer.pdf"));
  ChooseFromFileMenu(main, "ActionSaveReportPdf");
  ASSERT_EQ(Ui.Messages.size(), 1);
  EXPECT_TRUE(Ui.Messages[0].Text.contains(QDir::toNativeSeparators(target)))
      << Ui.Messages[0].Text.toStdString();
  EXPECT_EQ(Ui.Messages[0].Icon, MessageIcon::Error);

  // Ctrl+P shows the print preview of the same report.
  bool previewed = false;
  QTimer::singleShot(0, [&] {
    ASSERT_TRUE(
        WaitFor([] { return qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget()); }));
    previewed = true;
    QApplication::activeModalWidget()->close();
  });
  window_test::ShowActive(&main);
  QTest::keyClick(&main, Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(previewed);
}

// The fitter's note of the connection (the number plate) is on the report.
TEST_F(ReportWindow, HoldsTheNoteOfTheConnection) {
  ASSERT_TRUE(Folder.isValid());
  TFormMainOptions options;
  options.ShowSplash = false;
  options.HistoryFolder = Folder.filePath(QStringLiteral("history"));
  TFormMain main(Module, options);
  main.SelectLanguage(1);
  Connect();
  ASSERT_TRUE(main.Journal()->SetNote(QStringLiteral("AB 123 CD")));
  const ConfigurationReport report = main.Reports()->Report();
  EXPECT_TRUE(report.PlainText().contains(Module.Text(303) + QStringLiteral(": AB 123 CD")));
  EXPECT_TRUE(report.Html().contains(QStringLiteral("AB 123 CD")));
}

} // namespace
