#include "WindowsFixture.h"

#include "ecuconfig/TSerialDataModule.h"
#include "recording/RecordingFile.h"
#include "windows/RecordingActions.h"
#include "windows/RecordingPlot.h"
#include "windows/TFormMain.h"
#include "windows/TFormRecording.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

const QStringList kKnown{QStringLiteral("VAL_GIRI"), QStringLiteral("VALORE_LAMBDA")};

// What a recording gives, from a file that is one or is damaged somewhere:
// the rows before a damaged one are kept, and the line is named.
TEST(RecordingFileTest, ReadsWhatTheProgramWritesAndNamesTheFirstBadLine) {
  const QByteArray header = "time,VAL_GIRI,VALORE_LAMBDA\n";
  const QByteArray row1 = "2026-12-09T10:00:00.000,850,0.45\n";
  const QByteArray row2 = "2026-12-09T10:00:00.100,900,\n"; // a value that did not convert
  const QByteArray row3 = "2026-12-09T10:00:00.200,950,0.8\n";
  QByteArray crlf = header + row1 + row3;
  crlf.replace("\n", "\r\n");
  struct Case {
    const char *Name;
    QByteArray Text;
    RecordingFile::Problem Trouble;
    int Line;
    qsizetype Rows;
  };
  using P = RecordingFile::Problem;
  const Case cases[] = {
      {"whole", header + row1 + row2 + row3, P::None, 0, 3},
      {"CRLF and a last blank line", crlf + "\r\n", P::None, 0, 2},
      {"empty", "", P::Empty, 1, 0},
      {"another program's CSV", "Date,Speed\n2026-12-09,50\n", P::NotARecording, 1, 0},
      {"a value name we do not know", "time,VAL_GIRI,SPEED\n", P::NotARecording, 1, 0},
      {"a row with a value too few", header + row1 + row2 + "2026-12-09T10:00:00.300,1000\n" + row3, P::DamagedRow, 4, 2},
      {"a row with a value too many", header + row1 + "2026-12-09T10:00:00.300,1,2,3\n", P::DamagedRow, 3, 1},
      {"a row cut in its time", header + row1 + "2026-12-09T10:0\n" + row3, P::DamagedRow, 3, 1},
      {"time running backwards", header + row3 + row1, P::DamagedRow, 3, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.Name);
    const RecordingFile::Result result = RecordingFile::Parse(c.Text, kKnown);
    EXPECT_EQ(result.Trouble, c.Trouble);
    EXPECT_EQ(result.Line, c.Line);
    ASSERT_EQ(result.Data.Rows(), c.Rows);
    if (c.Rows == 0)
      continue;
    EXPECT_EQ(result.Data.Names, kKnown);
    if (c.Trouble == P::None && c.Rows == 3) {
      EXPECT_EQ(result.Data.Times[1] - result.Data.Times[0], 100);
      EXPECT_TRUE(std::isnan(result.Data.Columns[1][1])) << "an empty cell is a gap, not a zero";
      EXPECT_DOUBLE_EQ(result.Data.Columns[1][2], 0.8);
    }
  }
}

class RecordingReview : public WindowsFixture {
protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    ASSERT_TRUE(m_module.LoadLanguageLibrary());
  }
  // A recording of n rows, ten a second; the speed counts the rows.
  QString Write(int rows, const QByteArray &tail = {}) {
    QByteArray text = "time,VAL_GIRI,VALORE_LAMBDA\n";
    for (int i = 0; i < rows; ++i)
      text += QStringLiteral("2026-12-09T10:%1:%2.%3,%4,0.5\n")
                  .arg(i / 600, 2, 10, QLatin1Char('0'))
                  .arg(i / 10 % 60, 2, 10, QLatin1Char('0'))
                  .arg(i % 10 * 100, 3, 10, QLatin1Char('0'))
                  .arg(1000 + i)
                  .toLatin1();
    text += tail;
    const QString name = m_folder.filePath(QStringLiteral("drive.csv"));
    QFile file(name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    return name;
  }

  TSerialDataModule m_module;
  QTemporaryDir m_folder;
};

// The keys of the review, with real key events on the plot: the cursor, the
// zoom around it, the whole span again, and Esc.
TEST_F(RecordingReview, TheCursorAndTheZoomFollowTheKeysAndEscCloses) {
  QPointer<TFormRecording> review = new TFormRecording(m_module);
  ASSERT_TRUE(review->Open(Write(600)));
  review->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(review));
  RecordingPlot *plot = review->Plot();
  const qint64 whole = plot->ViewTo() - plot->ViewFrom();
  EXPECT_EQ(whole, 59900) << "the whole span at first";
  EXPECT_TRUE(review->Readout().contains(QStringLiteral("1000"))) << review->Readout().toStdString();

  struct Step {
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    qsizetype Cursor;
    qint64 Width;
  };
  const Step steps[] = {
      {Qt::Key_Right, Qt::NoModifier, 1, whole},  {Qt::Key_Right, Qt::NoModifier, 2, whole},
      {Qt::Key_End, Qt::NoModifier, 599, whole},  {Qt::Key_Plus, Qt::NoModifier, 599, whole / 2},
      {Qt::Key_Plus, Qt::NoModifier, 599, whole / 4},
      // A tenth of the 149 rows in view.
      {Qt::Key_Left, Qt::ControlModifier, 585, whole / 4},
      {Qt::Key_0, Qt::NoModifier, 585, whole},    {Qt::Key_Home, Qt::NoModifier, 0, whole},
  };
  for (const Step &step : steps) {
    SCOPED_TRACE(QKeySequence(step.Key | step.Modifiers).toString().toStdString());
    QTest::keyClick(plot, step.Key, step.Modifiers);
    EXPECT_EQ(plot->CursorRow(), step.Cursor);
    EXPECT_NEAR(static_cast<double>(plot->ViewTo() - plot->ViewFrom()), static_cast<double>(step.Width), 2);
    const qint64 time = review->Data().Times[static_cast<std::size_t>(plot->CursorRow())];
    EXPECT_TRUE(time >= plot->ViewFrom() && time <= plot->ViewTo()) << "the cursor stays in view";
    EXPECT_TRUE(review->Readout().contains(QString::number(1000 + plot->CursorRow())))
        << review->Readout().toStdString();
  }
  QTest::keyClick(plot, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return review.isNull(); }));
}

// A damaged row is said with its line; the rows before it are still shown.
// A file of another program shows nothing and says why.
TEST_F(RecordingReview, ADamagedFileIsSaidAndWhatCameBeforeIsShown) {
  TFormMainOptions options;
  options.ShowSplash = false;
  TFormMain main(m_module, options);
  const QString damaged = Write(50, "2026-12-09T10:00:05.000,12\n");
  EXPECT_TRUE(main.Recordings()->Open(damaged));
  ASSERT_EQ(m_ui.Messages.size(), 1);
  EXPECT_TRUE(m_ui.Messages[0].Text.contains(QStringLiteral("52"))) << m_ui.Messages[0].Text.toStdString();
  auto *review = main.findChild<TFormRecording *>();
  ASSERT_NE(review, nullptr);
  EXPECT_EQ(review->Data().Rows(), 50);
  review->close();

  QFile other(m_folder.filePath(QStringLiteral("bank.csv")));
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.write("Date,Amount\n2026-12-09,50\n");
  other.close();
  EXPECT_FALSE(main.Recordings()->Open(other.fileName()));
  ASSERT_EQ(m_ui.Messages.size(), 2);
  EXPECT_TRUE(m_ui.Messages[1].Text.contains(QStringLiteral("bank.csv")));
}

} // namespace
