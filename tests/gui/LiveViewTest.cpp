// The live half of the window: indicators, axis texts, polling and a lost
// board, the curve panel and its chart, and calibration.
#include "Gui.h"
#include "sim/AxisMath.h"

namespace torvex::test {
namespace {

const QColor kRed(255, 0, 0), kBlack(0, 0, 0), kDarkGrey(64, 64, 64), kGreen(0, 255, 0),
    kBlue(0, 0, 255);

// In "Throttle and Brake" the reported axes are the paddles themselves.
gui::MainWindow& Connect(Rig& rig, const QLocale& locale = kEnglish) {
  rig.platform.firmware(rig.addBoard()).setSetting(0x45, 1);
  return rig.loadConnected(locale);
}

std::vector<int> Fills(const gui::Controls& ui) {
  std::vector<int> out;
  for (auto* s : ui.buttonIndicators) out.push_back(s->fillUpdates());
  return out;
}

void ExpectShown(const gui::Controls& ui, int k, bool pressed) {
  const auto* shape = ui.buttonIndicators[k];
  EXPECT_EQ(shape->fillColor(), pressed ? kRed : shape->palette().color(QPalette::Button)) << k;
  EXPECT_EQ(ui.buttonNumberLabels[k]->palette().color(QPalette::WindowText),
            pressed ? kBlack : kDarkGrey)
      << k;
}

TEST(LiveView, FirstReportDrawsEveryIndicatorThenOnlyThoseOfAChangedByte) {
  Rig rig;
  const auto& ui = Connect(rig).controls();
  auto& fw = rig.platform.firmware(0);
  auto before = Fills(ui);
  fw.setButton(3, true);
  rig.tick();
  const auto reported = fw.reportedButtons();  // the rotaries press their own too
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(Fills(ui)[k], before[k] + 1);
    ExpectShown(ui, k, (reported[k / 8] >> (k % 8)) & 1);
  }
  for (auto [button, pressed] :
       {std::pair{9, true}, {63, true}, {9, false}, {3, false}, {-1, false}}) {
    SCOPED_TRACE(button);
    before = Fills(ui);
    button < 0 ? fw.setPaddle(0, 1000) : fw.setButton(button, pressed);
    rig.tick();
    for (int k = 0; k < 64; ++k)
      EXPECT_EQ(Fills(ui)[k] - before[k], button >= 0 && k / 8 == button / 8) << k;
    if (button >= 0) ExpectShown(ui, button, pressed);
  }
}

TEST(LiveView, AxesShowTheNewestQueuedReportInTheLocale) {
  for (const QLocale& locale : {kEnglish, kGerman}) {
    Rig rig;
    const auto& ui = Connect(rig, locale).controls();
    for (std::uint16_t x : {1000, 2000, 65535}) rig.platform.firmware(0).setPaddle(0, x);
    rig.platform.firmware(0).setPaddle(1, 6520);
    rig.tick();
    const bool de = locale == kGerman;
    EXPECT_EQ(ui.xAxisBar->value(), 65535);
    EXPECT_EQ(ui.yAxisBar->value(), 6520);
    for (auto* l : {ui.xAxisValueLabel, ui.xAxisPercentLabel})
      EXPECT_EQ(l->text(), de ? "100,0 %" : "100.0 %");
    for (auto* l : {ui.yAxisValueLabel, ui.yAxisPercentLabel})
      EXPECT_EQ(l->text(), de ? "9,9 %" : "9.9 %");
  }
}

// Polls every 100 ms until a board answers, then every 50 ms; a lost board
// is looked for every 250 ms and read back when it returns.
TEST(LiveView, LostBoardIsLookedForAndTakenBack) {
  Rig rig;
  gui::MainWindow& w = Connect(rig);
  const auto& ui = w.controls();
  auto& fw = rig.platform.firmware(0);
  EXPECT_EQ(w.pollTimer()->interval(), 100);
  fw.setButton(12, true);
  fw.setPaddle(0, 40000);
  rig.ticks(3);  // a quiet board is not a lost one
  EXPECT_EQ(w.pollTimer()->interval(), 50);
  const auto fills = Fills(ui);
  const int scans = rig.platform.enumerateCount();
  rig.platform.unplug(0);
  rig.tick();
  EXPECT_EQ(w.pollTimer()->interval(), 250);
  EXPECT_EQ(rig.platform.openHandleCount(), 0);
  EXPECT_GT(rig.platform.enumerateCount(), scans);
  EXPECT_EQ(ui.xAxisBar->value(), 0);
  EXPECT_EQ(ui.xAxisPercentLabel->text(), "0 %");
  EXPECT_EQ(ui.xAxisValueLabel->text(), "61.0 %");
  ExpectShown(ui, 12, true);
  const std::int64_t t0 = rig.nowMs();
  const int lostScans = rig.platform.enumerateCount();
  rig.ticks(2);
  EXPECT_EQ(rig.nowMs() - t0, 500);
  EXPECT_GE(rig.platform.enumerateCount(), lostScans + 2);

  rig.platform.plug(0);
  rig.tick();
  EXPECT_TRUE(w.board().isLoaded());
  EXPECT_TRUE(ui.xAxisFrame->isEnabled());
  EXPECT_EQ(w.pollTimer()->interval(), 250);  // nothing read yet on the new handles
  fw.setPaddle(0, 50000);
  rig.tick();
  EXPECT_EQ(w.pollTimer()->interval(), 50);
  EXPECT_EQ(ui.xAxisBar->value(), 50000);
  EXPECT_EQ(Fills(ui), fills);  // the same buttons: nothing redrawn

  rig.platform.device(0).failNext[sim::Op::ReadInput] = 1;
  rig.tick();
  EXPECT_EQ(w.pollTimer()->interval(), 250);  // lost, then found again at once
  EXPECT_TRUE(w.board().isLoaded());
  EXPECT_EQ(rig.platform.openHandleCount(), 2);
  EXPECT_EQ(rig.platform.badCloseCount(), 0);
}

TEST(CurvePanel, OpensForOneAxisAndEitherButtonCloses) {
  const struct {
    int show, hide;
    const char* axis;
    const char* sent;
  } cases[] = {{0, 1, "X", "4/0A:01 4/0A:00"}, {1, 0, "Y", "4/0A:02 4/0A:00"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.axis);
    Rig rig;
    gui::MainWindow& w = Connect(rig);
    const auto& ui = w.controls();
    const int base = w.width();
    ui.showCurveButtons[c.show]->click();
    EXPECT_EQ(w.width(), base + gui::Twips(6500));
    for (auto* b : ui.showCurveButtons) EXPECT_EQ(b->text(), "Hide Curve <<");
    EXPECT_EQ(ui.curveAxisLabel->text(), c.axis);
    EXPECT_EQ(ui.xAxisBar->isVisibleTo(&w), c.show == 0);
    EXPECT_EQ(ui.yAxisBar->isVisibleTo(&w), c.show == 1);
    ui.showCurveButtons[c.hide]->click();
    EXPECT_EQ(w.width(), base);
    for (auto* b : ui.showCurveButtons) EXPECT_EQ(b->text(), "Show Curve >>");
    EXPECT_TRUE(ui.xAxisBar->isVisibleTo(&w) && ui.yAxisBar->isVisibleTo(&w));
    EXPECT_EQ(rig.sent(), c.sent);
  }
}

// A board opened while the panel is shown is told the axis; one left behind
// by a pick in the serial number list, or by closing, leaves monitor mode.
TEST(CurvePanel, MonitorModeFollowsTheOpenBoard) {
  Rig rig;
  gui::MainWindow& w = Connect(rig);
  w.controls().showCurveButtons[1]->click();
  rig.platform.unplug(0);
  rig.tick();
  rig.platform.plug(0);
  rig.tick();
  EXPECT_TRUE(rig.sent().ends_with("4/0A:02"));
  EXPECT_EQ(rig.platform.firmware(0).monitorMode(), 2);
  w.close();
  EXPECT_TRUE(rig.sent().ends_with("4/0A:00"));
  EXPECT_EQ(rig.platform.openHandleCount(), 0);

  Rig two;
  const int a = two.addBoard(u"A"), b = two.addBoard(u"B");
  gui::MainWindow& picked = two.load();
  picked.controls().showCurveButtons[0]->click();
  picked.controls().serialNumberList->setCurrentIndex(0);
  EXPECT_TRUE(two.sent(b).ends_with("4/0A:01 4/0A:00"));
  EXPECT_EQ(two.sent(a), "4/0A:01");
  EXPECT_EQ(two.platform.openHandleCount(a), 2);
  EXPECT_EQ(picked.pollTimer()->interval(), 250);
}

// Each tick plots the newest point, joined to the previous one when that is
// not (0, 0)-like; these actions start the chart afresh.
TEST(CurveChart, PointsJoinedAndChartStartedAfresh) {
  for (auto [name, index] : {std::pair{"showCurveYButton", 0},
                             {"clearChartButton", 0},
                             {"xCurveTypeList", 1},
                             {"yCurveNumberSlider", 0}}) {
    SCOPED_TRACE(name);
    Rig rig;
    gui::MainWindow& w = Connect(rig);
    const QImage& image = w.controls().curveChart->image();
    auto& fw = rig.platform.firmware(0);
    auto plot = [&](std::uint16_t x, std::uint16_t y) {
      fw.setPaddle(0, x);
      fw.setPaddle(1, y);
      rig.tick();
    };
    plot(0, 20000);
    EXPECT_EQ(image.pixelColor(w.controls().curveChart->toPixels(0, 45535)), kBlack);
    plot(50000, 60000);
    EXPECT_EQ(CountPixels(image, kBlue), 0);  // a point with h = 0 stands alone
    plot(10000, 20000);
    EXPECT_GT(CountPixels(image, kBlue), 0);
    Act(w, name, index);
    EXPECT_EQ(CountPixels(image, Qt::white), image.width() * image.height());
    plot(30000, 30000);
    EXPECT_EQ(CountPixels(image, kBlue), 0);
    EXPECT_EQ(CountPixels(image, kBlack), 1);
  }
}

TEST(CurveChart, TracesTheBoardsCurveOnTheMonitoredAxis) {
  for (auto [axis, type, number] : {std::tuple{0, 1, 8}, {1, 2, 10}, {1, 2, 1}}) {
    Rig rig;
    auto& fw = rig.platform.firmware(rig.addBoard());
    fw.setSetting(0x45, 1);
    fw.setSetting(0x5C + axis, type);
    fw.setSetting(0x5E + axis, number);
    gui::MainWindow& w = rig.loadConnected();
    w.controls().showCurveButtons[axis]->click();
    for (int raw = 1000; raw <= 65535; raw += 2731) {
      fw.setPaddle(axis, raw);
      w.controls().clearChartButton->click();
      rig.tick();
      const int out = sim::ApplyCurve(type, number, raw);
      EXPECT_EQ(w.controls().curveChart->image().pixelColor(
                    w.controls().curveChart->toPixels(raw, 65535 - out)),
                kBlack)
          << axis << " at " << raw;
    }
  }
}

// The colour as drawn, clear of the text: styles may shade the palette away.
QColor DrawnFace(QPushButton* b) {
  return b->grab().toImage().pixelColor(6, b->height() / 2);
}

// Arm, take the low end, take the high end; only Y pauses after each click.
TEST(Calibration, ThreeClicksSendLowThenHigh) {
  const struct {
    bool y;
    int mode;
    const char* low;
    const char* high;
    int pauseMs;
  } cases[] = {{true, 0, "5/0B:01", "5/0B:02", 100},
               {true, 1, "5/0B:01", "5/0B:02", 100},
               {false, 1, "5/0B:03", "5/0B:04", 0}};
  const char* const captions[] = {"Set Low", "Set High", "Calibrate"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.low);
    Rig rig;
    gui::MainWindow& w = Connect(rig);
    Act(w, "analogInputModeList", c.mode);
    rig.platform.clearLog();
    QPushButton* button = c.y ? w.controls().calibrateYButton : w.controls().calibrateXButton;
    QPushButton* other = c.y ? w.controls().calibrateXButton : w.controls().calibrateYButton;
    const std::int64_t t0 = rig.nowMs();
    for (int i = 0; i < 3; ++i) {
      button->click();
      EXPECT_EQ(button->text(), captions[i]);
      EXPECT_EQ(button->palette().color(QPalette::Button) == kGreen, i < 2) << i;
      EXPECT_EQ(DrawnFace(button) == kGreen, i < 2) << i;
    }
    EXPECT_EQ(button->palette().color(QPalette::Button), other->palette().color(QPalette::Button));
    const auto at = [&](int n) { return "@" + std::to_string(t0 + n * c.pauseMs); };
    EXPECT_EQ(rig.sent(0, true), c.low + at(1) + " " + c.high + at(2));
    EXPECT_EQ(rig.nowMs() - t0, 3 * c.pauseMs);
  }
}

// In dual clutch mode X is refused in a box, cancelling its sequence; no
// poll may run inside the box's event loop.
TEST(Calibration, DualClutchRefusesXWithTheTimerHeld) {
  Rig rig;
  gui::MainWindow& w = Connect(rig);
  const auto& ui = w.controls();
  for (auto* b : {ui.calibrateXButton, ui.calibrateYButton, ui.calibrateYButton}) b->click();
  Act(w, "analogInputModeList", 0);
  rig.platform.clearLog();
  w.pollTimer()->start();
  QString text;
  bool tickingInside = true, enabledInside = true;
  WhenModalOpens([&](QMessageBox* box) {
    text = box->text();
    tickingInside = w.pollTimer()->isActive();
    enabledInside = ui.calibrateXButton->isEnabled();
  });
  ui.calibrateXButton->click();
  EXPECT_EQ(text, "Unable to calibrate in Dual clutch mode, switch to 'Brake and Throttle' mode");
  EXPECT_FALSE(tickingInside);
  EXPECT_FALSE(enabledInside);
  EXPECT_TRUE(w.pollTimer()->isActive());
  w.pollTimer()->stop();
  EXPECT_TRUE(ui.calibrateXButton->isEnabled());
  EXPECT_EQ(ui.calibrateXButton->text(), "Calibrate");
  EXPECT_NE(DrawnFace(ui.calibrateXButton), kGreen);
  EXPECT_EQ(ui.calibrateYButton->text(), "Set High");
  EXPECT_EQ(rig.sent(), "");
  Act(w, "analogInputModeList", 1);
  rig.platform.clearLog();
  for (int i = 0; i < 2; ++i) ui.calibrateXButton->click();
  EXPECT_EQ(rig.sent(), "5/0B:03");
}

}  // namespace
}  // namespace torvex::test
