// The curve monitor panel and chart on the real window: window width,
// captions, bars, the monitor reports on the wire, and the chart's pixels.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QProgressBar>
#include <QTest>

#include "LiveRig.h"
#include "app/Twips.h"

namespace torvex::test {
namespace {

sim::Bytes MonitorFrame(std::uint8_t mode) {
  return Frame({0, 4, 0x0A, mode});
}

void Click(QPushButton* b) {
  QTest::mouseClick(b, Qt::LeftButton);
}

// Opening the same button again is covered by the sweep of the emulated wheel.
TEST(CurvePanel, OpensForOneAxisAndTheOtherButtonCloses) {
  struct Case {
    int show, hide;
    bool withBoard;
    const char* axis;
    std::vector<sim::Bytes> frames;
  };
  const Case cases[] = {
      {0, 1, true, "X", {MonitorFrame(1), MonitorFrame(0)}},
      {1, 0, true, "Y", {MonitorFrame(2), MonitorFrame(0)}},
      {1, 1, false, "Y", {}},  // the one button usable without a board
  };
  const int base = app::Twips(frmMain::kBaseWidthTwips);
  const int wide = base + app::Twips(frmMain::kCurvePanelTwips);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.show * 10 + c.hide);
    LiveRig live(1, kEnglish, c.withBoard);
    frmMain& f = *live.form;
    ASSERT_EQ(f.width(), base);
    Click(f.checkCurves[c.show]);
    EXPECT_EQ(f.width(), wide);
    for (auto* b : f.checkCurves) EXPECT_EQ(b->text(), "Hide Curve <<");
    EXPECT_EQ(f.curveMonitorAxisLabel->text(), c.axis);
    EXPECT_EQ(f.CurveMonitorOnX, c.show == 0);
    EXPECT_EQ(f.xAxisBar->isVisibleTo(&f), c.show == 0);
    EXPECT_EQ(f.yAxisBar->isVisibleTo(&f), c.show == 1);

    Click(f.checkCurves[c.hide]);
    EXPECT_EQ(f.width(), base);
    for (auto* b : f.checkCurves) EXPECT_EQ(b->text(), "Show Curve >>");
    EXPECT_EQ(f.CurveMonitorOnX, c.show == 0);  // hiding keeps the mapping
    EXPECT_TRUE(f.xAxisBar->isVisibleTo(&f) && f.yAxisBar->isVisibleTo(&f));
    const auto log = live.rig.platform.featureLog();
    ASSERT_EQ(log.size(), c.frames.size());
    for (std::size_t i = 0; i < log.size(); ++i) EXPECT_EQ(log[i].bytes, c.frames[i]);
  }
}

TEST(CurvePanel, ClosingTheWindowTurnsTheMonitorOff) {
  LiveRig live;
  Click(live.form->checkCurves[0]);
  live.form->close();
  EXPECT_EQ(live.rig.sent(live.board).back(), MonitorFrame(0));
  EXPECT_EQ(live.rig.platform.openHandleCount(), 0);
}

// A board opened while the panel is shown starts out of monitor mode: it is
// told the axis again. A board left by a pick in SerNo leaves monitor mode.
TEST(CurvePanel, MonitorModeFollowsTheOpenBoard) {
  {
    SCOPED_TRACE("re-plugged");
    LiveRig live;
    Click(live.form->checkCurves[1]);
    live.rig.platform.unplug(live.board);
    live.rig.tick();
    live.rig.platform.plug(live.board);
    EXPECT_EQ(live.firmware().monitorMode(), 0);
    live.rig.tick();
    ASSERT_TRUE(live.form->DeviceDetected);
    EXPECT_EQ(live.rig.sent(live.board).back(), MonitorFrame(2));
    EXPECT_EQ(live.firmware().monitorMode(), 2);
  }
  {
    SCOPED_TRACE("picked another");
    Rig rig;
    const int first = rig.addBoard(u"A");
    const int second = rig.addBoard(u"B");
    frmMain& f = rig.load();
    Click(f.checkCurves[0]);
    ASSERT_EQ(rig.platform.firmware(second).monitorMode(), 1);
    f.SerNo->setCurrentIndex(0);
    EXPECT_EQ(rig.sent(second).back(), MonitorFrame(0));
    EXPECT_EQ(rig.platform.firmware(second).monitorMode(), 0);
    EXPECT_EQ(rig.sent(first).back(), MonitorFrame(1));
    EXPECT_EQ(rig.platform.firmware(first).monitorMode(), 1);
    EXPECT_EQ(rig.platform.openHandleCount(first), 2);
  }
}

// The line passes within a pixel of `at` (rasterising may round either way).
bool Near(const QImage& image, QPoint at, const QColor& color) {
  return CountPixels(image.copy(QRect(at - QPoint(1, 1), QSize(3, 3))), color) > 0;
}

TEST(CurveChart, PointsJoinedByLinesAndClearedByEitherButton) {
  LiveRig live;
  frmMain& f = *live.form;
  const QImage& image = f.curveChart->image();
  const int area = image.width() * image.height();
  auto blank = [&] { return CountPixels(image, Qt::white) == area; };
  ASSERT_TRUE(blank());

  // Plotted although the panel is hidden: the first point stands alone, the
  // next is joined to it.
  live.paddles(10000, 20000);
  live.rig.tick();
  EXPECT_EQ(CountPixels(image, kBlack), 1);
  EXPECT_EQ(image.pixelColor(f.curveChart->toPixels(10000, 65535 - 20000)), kBlack);
  EXPECT_EQ(CountPixels(image, kBlue), 0);
  live.paddles(50000, 60000);
  live.rig.tick();
  EXPECT_TRUE(Near(image, f.curveChart->toPixels(30000, 65535 - 40000), kBlue));
  EXPECT_NE(image.pixelColor(f.curveChart->toPixels(50000, 65535 - 60000)), QColor(Qt::white));
  EXPECT_GT(CountPixels(f.curveChart->grab().toImage(), kBlue), 0);  // survives a repaint

  // Opening the panel and "Clear Chart" each start afresh.
  std::uint16_t at = 20000;
  for (QPushButton* clear : {f.checkCurves[1], f.Command1}) {
    Click(clear);
    EXPECT_TRUE(blank());
    EXPECT_EQ(std::pair(f.ChartPrevX, f.ChartPrevY), std::pair(0, 0));
    live.paddles(at, at);
    at += 5000;  // a new report
    live.rig.tick();
    EXPECT_EQ(CountPixels(image, kBlue), 0);
    EXPECT_EQ(CountPixels(image, kBlack), 1);
  }
}

}  // namespace
}  // namespace torvex::test
