// The live chart as the configuration window opens it: F8, fed by the
// refresher while the window is open, its texts switched with the window's,
// closed with it.
#include "SimulatedUnitWindowFixture.h"

#include "dataitems/LiveTraces.h"
#include "dataitems/TDataRefresher.h"
#include "support/WaitFor.h"
#include "windows/TFormConfig.h"
#include "windows/TFormLiveChart.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

using window_test::SimulatedUnitWindowFixture;

class ConfigLiveChart : public SimulatedUnitWindowFixture {
protected:
  void SetUp() override {
    SimulatedUnitWindowFixture::SetUp();
    Module.Translator->SetLanguage(1);
    Form = std::make_unique<TFormConfig>(Module);
    Connect();
    Form->ApplyTexts();
    window_test::ShowActive(Form.get());
  }
  void TearDown() override {
    Module.DataRefresher->SetRunning(false);
    Form.reset();
    SimulatedUnitWindowFixture::TearDown();
  }
  std::unique_ptr<TFormConfig> Form;
};

TEST_F(ConfigLiveChart, F8OpensTheChartThatFollowsTheRefresherAndClosesWithTheWindow) {
  EXPECT_EQ(window_test::ChildOf<QPushButton>(Form.get(), "ButtonGrafico")->text(), QStringLiteral("Chart (F8)"));
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : Form.get(), Qt::Key_F8);
  TFormLiveChart *chart = Form->LiveChart();
  ASSERT_NE(chart, nullptr);
  EXPECT_TRUE(chart->isVisible());
  EXPECT_EQ(chart->windowTitle(), QStringLiteral("Live Chart"));

  // Nothing moves until the refresher runs, as it does while F1's window is open.
  QTest::qWait(300);
  EXPECT_TRUE(chart->Traces()->Trace(0).IsEmpty());
  Module.DataRefresher->SetRunning(true);
  ASSERT_TRUE(WaitFor([&] { return chart->Traces()->Trace(0).Points().size() >= 3; }));
  EXPECT_GT(chart->Traces()->Trace(0).Points().back().Value, 500); // an idling engine, in RPM
  Module.DataRefresher->SetRunning(false);

  Module.Translator->SetLanguage(2);
  Form->ApplyTexts();
  EXPECT_EQ(chart->windowTitle(), QStringLiteral("Live-Diagramm"));
  EXPECT_EQ(window_test::ChildOf<QPushButton>(Form.get(), "ButtonGrafico")->text(), QStringLiteral("Diagramm (F8)"));

  // A second F8 brings the same window back; closing the configuration
  // window closes it.
  Form->ShowLiveChart();
  EXPECT_EQ(Form->LiveChart(), chart);
  Form->close();
  EXPECT_FALSE(chart->isVisible());
}

// F8 goes from the configuration window to the chart and back, the chart
// staying open; Esc closes the chart, unless it is recording.
TEST_F(ConfigLiveChart, F8GoesBackAndForthAndEscClosesTheChartButNeverARecording) {
  // A key to the window the program made the active one, where its focus
  // is. Offscreen, a window activated a second time does not get its focus
  // back by itself: that is the window manager's part, done here.
  const auto press = [](QWidget *window, Qt::Key key) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QApplication::setActiveWindow(window);
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == window ? focus : window, key);
  };
  press(Form.get(), Qt::Key_F8);
  TFormLiveChart *chart = Form->LiveChart();
  ASSERT_NE(chart, nullptr);
  press(chart, Qt::Key_F8);
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get())) << "F8 in the chart goes back";
  EXPECT_TRUE(chart->isVisible()) << "and leaves the chart open";
  press(Form.get(), Qt::Key_F8);
  ASSERT_TRUE(QTest::qWaitForWindowActive(chart));

  QTemporaryDir folder;
  const QString file = folder.filePath(QStringLiteral("drive.csv"));
  chart->ChooseRecordingFile = [file] { return file; };
  press(chart, Qt::Key_F9);
  ASSERT_TRUE(chart->Recording());
  press(chart, Qt::Key_Escape);
  EXPECT_TRUE(chart->isVisible());
  EXPECT_TRUE(chart->Recording()) << "Esc never ends a recording";
  press(chart, Qt::Key_F9);
  ASSERT_FALSE(chart->Recording());
  press(chart, Qt::Key_Escape);
  EXPECT_FALSE(chart->isVisible());
  EXPECT_TRUE(Form->isVisible()) << "only the chart closed";
}

} // namespace
