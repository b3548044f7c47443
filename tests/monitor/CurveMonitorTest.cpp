// The curve monitor panel and chart on the real window: window width,
// captions, bars, the monitor reports on the wire, and the chart's pixels.

#include <gtest/gtest.h>

#include <QProgressBar>
#include <QTest>

#include "LiveRig.h"
#include "app/Twips.h"

namespace torvex::test {
namespace {

using app::Twips;

const int kBaseWidth = Twips(frmMain::kBaseWidthTwips);
const int kWideWidth = Twips(frmMain::kBaseWidthTwips) + Twips(frmMain::kCurvePanelTwips);

sim::Bytes MonitorFrame(std::uint8_t mode) {
  return Frame({0, 4, 0x0A, mode});
}

void Click(QPushButton* b) {
  QTest::mouseClick(b, Qt::LeftButton);
}

struct PanelCase {
  const char* name;
  int show;  // index of the button that opens the panel
  int hide;  // index of the button clicked next
  std::uint8_t mode;
  const char* axis;
  bool xBar, yBar;
};

class CurvePanel : public ::testing::TestWithParam<PanelCase> {};

TEST_P(CurvePanel, OpensForOneAxisAndAnyButtonCloses) {
  const auto& c = GetParam();
  LiveRig live;
  frmMain& f = *live.form;
  ASSERT_EQ(f.width(), kBaseWidth);

  Click(f.checkCurves[c.show]);
  EXPECT_EQ(f.width(), kWideWidth);
  EXPECT_TRUE(f.CurvePanelShown);
  EXPECT_EQ(f.checkCurves[0]->text(), "Hide Curve <<");
  EXPECT_EQ(f.checkCurves[1]->text(), "Hide Curve <<");
  EXPECT_EQ(f.curveMonitorAxisLabel->text(), QString::fromLatin1(c.axis));
  EXPECT_EQ(f.CurveMonitorOnX, c.show == 0);
  EXPECT_EQ(f.xAxisBar->isVisibleTo(&f), c.xBar);
  EXPECT_EQ(f.yAxisBar->isVisibleTo(&f), c.yBar);
  EXPECT_EQ(live.rig.sent(live.board), std::vector<sim::Bytes>{MonitorFrame(c.mode)});
  EXPECT_EQ(live.firmware().monitorMode(), c.mode);
  EXPECT_TRUE(f.curveChart->visibleRegion().isEmpty() == false);

  // Never switches axes: a click on either button hides the panel.
  Click(f.checkCurves[c.hide]);
  EXPECT_EQ(f.width(), kBaseWidth);
  EXPECT_FALSE(f.CurvePanelShown);
  EXPECT_EQ(f.checkCurves[0]->text(), "Show Curve >>");
  EXPECT_EQ(f.checkCurves[1]->text(), "Show Curve >>");
  EXPECT_EQ(f.CurveMonitorOnX, c.show == 0);  // hiding keeps the mapping
  EXPECT_TRUE(f.xAxisBar->isVisibleTo(&f));
  EXPECT_TRUE(f.yAxisBar->isVisibleTo(&f));
  EXPECT_EQ(live.rig.sent(live.board),
            (std::vector<sim::Bytes>{MonitorFrame(c.mode), MonitorFrame(0)}));
  EXPECT_EQ(live.firmware().monitorMode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Clicks, CurvePanel,
                         ::testing::Values(PanelCase{"XThenY", 0, 1, 1, "X", true, false},
                                           PanelCase{"XThenX", 0, 0, 1, "X", true, false},
                                           PanelCase{"YThenX", 1, 0, 2, "Y", false, true},
                                           PanelCase{"YThenY", 1, 1, 2, "Y", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CurvePanelNoBoard, WidensAndSendsNothing) {
  LiveRig live(1, kEnglish, /*withBoard=*/false);
  frmMain& f = *live.form;
  ASSERT_FALSE(f.checkCurves[0]->isEnabled());
  Click(f.checkCurves[1]);  // the one usable without a board
  EXPECT_EQ(f.width(), kWideWidth);
  EXPECT_EQ(f.checkCurves[1]->text(), "Hide Curve <<");
  EXPECT_EQ(f.curveMonitorAxisLabel->text(), "Y");
  Click(f.checkCurves[1]);
  EXPECT_EQ(f.width(), kBaseWidth);
  EXPECT_TRUE(live.rig.platform.featureLog().empty());
}

TEST(CurvePanelClose, ClosingTheWindowTurnsTheMonitorOff) {
  LiveRig live;
  Click(live.form->checkCurves[0]);
  ASSERT_EQ(live.firmware().monitorMode(), 1);
  live.form->close();
  EXPECT_EQ(live.rig.sent(live.board).back(), MonitorFrame(0));
  EXPECT_EQ(live.firmware().monitorMode(), 0);
  EXPECT_EQ(live.rig.platform.openHandleCount(), 0);
}

// ---- The chart ----

int White(const QImage& image) {
  return CountPixels(image, Qt::white);
}

// The line passes within a pixel of `at` (rasterising may round either way).
bool Near(const QImage& image, QPoint at, const QColor& color) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const QPoint p = at + QPoint(dx, dy);
      if (image.valid(p) && image.pixelColor(p) == color) return true;
    }
  return false;
}
int Area(const QImage& image) {
  return image.width() * image.height();
}

TEST(CurveChartPlot, PointsLinesAndClearing) {
  LiveRig live;
  frmMain& f = *live.form;
  const QImage& image = f.curveChart->image();
  ASSERT_EQ(White(image), Area(image));

  // One point, no line yet; plotted although the panel is hidden.
  live.paddles(10000, 20000);
  live.rig.tick();
  EXPECT_EQ(CountPixels(image, kBlack), 1);
  EXPECT_EQ(image.pixelColor(f.curveChart->toPixels(10000, 65535 - 20000)), kBlack);
  EXPECT_EQ(CountPixels(image, kBlue), 0);
  EXPECT_EQ(f.ChartPrevX, 10000);
  EXPECT_EQ(f.ChartPrevY, 45535);

  // The next point is joined to it.
  live.paddles(50000, 60000);
  live.rig.tick();
  EXPECT_GT(CountPixels(image, kBlue), 0);
  EXPECT_TRUE(Near(image, f.curveChart->toPixels(30000, 65535 - 40000), kBlue));
  EXPECT_NE(image.pixelColor(f.curveChart->toPixels(50000, 65535 - 60000)), QColor(Qt::white));

  // What was drawn survives a repaint.
  EXPECT_GT(CountPixels(f.curveChart->grab().toImage(), kBlue), 0);

  // Cleared: the next point stands alone.
  f.Command1_Click();
  EXPECT_EQ(White(image), Area(image));
  EXPECT_EQ(f.ChartPrevX, 0);
  EXPECT_EQ(f.ChartPrevY, 0);
  live.paddles(20000, 20000);
  live.rig.tick();
  EXPECT_EQ(CountPixels(image, kBlue), 0);
  EXPECT_EQ(CountPixels(image, kBlack), 1);
}

struct ZeroCase {
  const char* name;
  std::uint16_t x, y;  // the point after which no line is drawn
};

class CurveChartZero : public ::testing::TestWithParam<ZeroCase> {};

TEST_P(CurveChartZero, NoLineFromAPointWithAZeroCoordinate) {
  const auto& c = GetParam();
  LiveRig live;
  live.paddles(c.x, c.y);
  live.rig.tick();
  live.paddles(30000, 30000);
  live.rig.tick();
  EXPECT_EQ(CountPixels(live.form->curveChart->image(), kBlue), 0);
  // From a point with both coordinates set, the line comes.
  live.paddles(40000, 40000);
  live.rig.tick();
  EXPECT_GT(CountPixels(live.form->curveChart->image(), kBlue), 0);
}

INSTANTIATE_TEST_SUITE_P(Points, CurveChartZero,
                         ::testing::Values(ZeroCase{"InputZero", 0, 30000},
                                           ZeroCase{"OutputFull", 30000, 65535},
                                           ZeroCase{"Both", 0, 65535}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CurveChartPlot, OpeningThePanelClearsWhatWasPlottedWhileHidden) {
  LiveRig live;
  live.paddles(10000, 20000);
  live.rig.tick();
  live.paddles(20000, 30000);
  live.rig.tick();
  ASSERT_GT(CountPixels(live.form->curveChart->image(), kBlue), 0);
  Click(live.form->checkCurves[1]);
  const QImage& image = live.form->curveChart->image();
  EXPECT_EQ(White(image), Area(image));
  EXPECT_EQ(live.form->ChartPrevX, 0);
  // "Clear Chart" on the open panel too.
  live.paddles(30000, 30000);
  live.rig.tick();
  ASSERT_EQ(CountPixels(image, kBlack), 1);
  Click(live.form->Command1);
  EXPECT_EQ(White(image), Area(image));
}

struct MappingCase {
  const char* name;
  int button;  // 0 monitors X, 1 monitors Y
  std::uint8_t curveTypeCode, curveNumberCode;
};

class CurveChartMapping : public ::testing::TestWithParam<MappingCase> {};

// With a curve that bends, input and output differ, so a swapped mapping shows.
TEST_P(CurveChartMapping, InputAcrossOutputUp) {
  const auto& c = GetParam();
  const int axis = c.button;
  LiveRig live;
  live.firmware().setSetting(c.curveTypeCode, 2);     // progressive
  live.firmware().setSetting(c.curveNumberCode, 10);  // the strongest
  Click(live.form->checkCurves[c.button]);
  live.paddles(8000, 8000);
  live.rig.tick();
  for (std::uint16_t raw : {16000, 30000, 52000}) {
    live.firmware().setPaddle(axis, raw);
    live.rig.tick();
    const auto t = live.firmware().trace(axis);
    ASSERT_NE(t.input, t.output);
    EXPECT_EQ(live.form->ChartPrevX, t.input) << raw;
    EXPECT_EQ(live.form->ChartPrevY, 65535 - t.output) << raw;
    const QImage& image = live.form->curveChart->image();
    EXPECT_NE(image.pixelColor(live.form->curveChart->toPixels(t.input, 65535 - t.output)),
              QColor(Qt::white));
    EXPECT_TRUE(Near(image, live.form->curveChart->toPixels(t.input, 65535 - t.output), kBlue));
  }
}

INSTANTIATE_TEST_SUITE_P(Axes, CurveChartMapping,
                         ::testing::Values(MappingCase{"X", 0, 0x5C, 0x5E},
                                           MappingCase{"Y", 1, 0x5D, 0x5F}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace torvex::test
