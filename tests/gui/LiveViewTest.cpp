// SPDX-License-Identifier: MIT
// The live half of the window: indicators, axis texts, polling and a lost
// board, the curve panel and its chart, and calibration.
#include <unistd.h>

#include "Gui.h"

namespace torvex::test {
namespace {

const QColor kRed(255, 0, 0), kBlack(0, 0, 0), kGrey(64, 64, 64), kBlue(0, 0, 255);

// "Throttle and Brake": the reported axes are the paddles themselves.
const char* const kPaddleAxes = "45:01";

// How often each indicator was filled, a digit each. Pressed buttons are red
// with a black number, the others grey-numbered.
std::string Drawn(const gui::Controls& ui, sim::BoardFirmware& fw) {
  std::string fills;
  for (int k = 0; k < 64; ++k) {
    const bool on = (fw.reportedButtons()[k / 8] >> (k % 8)) & 1;  // rotaries press too
    const auto* shape = ui.buttonIndicators.at(k);
    EXPECT_EQ(shape->fillColor(), on ? kRed : shape->palette().color(QPalette::Button)) << k;
    EXPECT_EQ(shape->textColor(), on ? kBlack : kGrey) << k;
    fills += std::to_string(shape->fillUpdates());
  }
  return fills;
}

// With the watch in use but its events missed, the window sleeps and walks the
// bus only on a safety tick every 5 s, which finds a board plugged meanwhile;
// waking restores the poll: 100 ms before any board, 250 ms after a lost one.
TEST(LiveView, ASleepingWindowFindsABoardWhoseEventWasMissed) {
  int silent[2];  // a watch nothing is ever written to
  ASSERT_EQ(::pipe(silent), 0);
  Rig rig;
  rig.fault.watch = silent[0], rig.fault.changes = false;
  gui::MainWindow& w = rig.load();
  std::string seen;  // per tick: ms waited / walks of the bus (a rescan is a scan and an open)
  const auto poll = [&](int n) {
    for (int i = 0; i < n; ++i) {
      const int waited = w.pollTimer()->interval(), scans = rig.platform.enumerateCount();
      rig.tick();
      seen += std::to_string(waited) + "/" + std::to_string(rig.platform.enumerateCount() - scans) +
              " ";
    }
  };
  poll(3), rig.platform.addBoard({}), poll(2), rig.platform.unplug(0), poll(2);
  rig.platform.plug(0), poll(2);
  EXPECT_EQ(seen, "100/0 5000/2 5000/2 5000/2 100/0 50/2 5000/2 5000/2 250/0 ");
  EXPECT_TRUE(w.board().isLoaded());
  ::close(silent[0]), ::close(silent[1]);
}

// Either button hides the panel. A board opened while it is shown is told
// the axis; one left by a pick in the serial list or by closing is told off.
TEST(CurvePanel, WidensForOneAxisAndMonitorModeFollowsTheOpenBoard) {
  Rig rig;
  gui::MainWindow& w = LoadHolding(rig, kPaddleAxes);
  const auto& ui = w.controls();
  const auto panel = [&] {
    return std::to_string(w.width()) + (ui.xAxisBar->isVisibleTo(&w) ? " x" : "") +
           (ui.yAxisBar->isVisibleTo(&w) ? " y " : " ") +
           ShownAll(w, "showCurveXButton showCurveYButton curveAxisLabel");
  };
  Act(w, "showCurveYButton");
  EXPECT_EQ(panel(), "1025 y Hide Curve << Hide Curve << Y");
  rig.platform.unplug(0), rig.tick(), rig.platform.plug(0), rig.tick();
  Act(w, "showCurveXButton");
  EXPECT_EQ(panel(), "592 x y Show Curve >> Show Curve >> Y");
  Act(w, "showCurveYButton");
  w.close();
  EXPECT_EQ(rig.sent() + std::to_string(rig.platform.openHandleCount()),
            "4/0A:02 4/0A:02 4/0A:00 4/0A:02 4/0A:000");
  // The X axis on the first of two boards, left for the second.
  Rig two;
  two.platform.addBoard({.serialNumber = u"A"}), two.platform.addBoard({.serialNumber = u"B"});
  Act(two.load(), "showCurveXButton serialNumberList=0");
  EXPECT_EQ(two.sent(0) + " | " + two.sent(1) + std::to_string(two.form().pollTimer()->interval()),
            "4/0A:01 | 4/0A:01 4/0A:00250");
}

// Axes are shown in the locale (their texts are the board's rules); the first
// report draws every indicator, later ones only those of a button byte that
// changed. Every report of a poll is a chart point, joined by a line ("1") to
// the previous one unless that has a 0 (the second pair of paddles arrives in
// two reports); each action leaves the chart white and starts it afresh. A
// lost board's bars drop, its values kept (the end-to-end test replugs it).
TEST(LiveView, AxesIndicatorsAndChartPointsThenALostBoard) {
  Rig rig;
  gui::MainWindow& w = LoadHolding(rig, kPaddleAxes, kGerman);
  auto& fw = rig.platform.firmware(0);
  const auto shown = [&] {
    return ShownAll(w, "xAxisBar xAxisValueLabel yAxisPercentLabel productLabel");
  };
  for (int x : {1000, 2000, 40000}) fw.setPaddle(0, x);
  fw.setPaddle(1, 6520), fw.setButton(12, true);
  rig.tick(3);
  EXPECT_EQ(shown(), "40000 61,0 % 9,9 %  Torvex Wheel");  // one report, then quiet: not lost
  EXPECT_EQ(Drawn(w.controls(), fw), std::string(64, '1'));
  fw.setButton(63, true), rig.tick();
  EXPECT_EQ(Drawn(w.controls(), fw), std::string(56, '1') + "22222222");  // buttons 57..64 only
  const QImage& image = w.controls().curveChart->image();
  const auto plot = [&](int x, int y) {
    fw.setPaddle(0, x), fw.setPaddle(1, y), rig.tick();
    return std::to_string(CountPixels(image, kBlue) > 0);
  };
  Act(w, "clearChartButton");
  std::string seen;
  for (auto [x, y] : {std::pair{0, 20000}, {50000, 60000}, {10000, 20000}})
    seen += plot(x, y) + " ";
  for (const char* action :
       {"clearChartButton", "xCurveTypeList=1", "yCurveNumberSlider", "showCurveYButton"}) {
    Act(w, action);
    seen += "| " + std::to_string(CountPixels(image, Qt::white)) + " ";
    for (int v : {30000, 40000}) seen += plot(v, v) + " ";
  }
  const std::string afresh = "| " + std::to_string(image.width() * image.height()) + " 0 1 ";
  EXPECT_EQ(seen, "0 1 1 " + afresh + afresh + afresh + afresh);
  rig.platform.unplug(0), rig.fault.changes = false;
  rig.tick(3);
  EXPECT_EQ(shown(), "0- 61,0 %- 0 %- ");
}

// Arm, take the low end, take the high end; Y pauses 100 ms after a click.
// In dual clutch mode X is refused in a box, cancelling its sequence, with
// no poll inside the box's event loop; Y still calibrates.
TEST(Calibration, ThreeClicksSendLowThenHighAndDualClutchRefusesX) {
  Rig rig;
  gui::MainWindow& w = LoadHolding(rig, kPaddleAxes);
  QPushButton* x = w.controls().calibrateXButton;
  const auto sequence = [&](QPushButton* b, int pause, const char* low, const char* high) {
    rig.platform.clearLog();
    const std::int64_t t0 = rig.platform.nowUs() / 1000;
    QString seen;
    for (int i = 0; i < 3; ++i) b->click(), seen += b->text() + " ";
    EXPECT_EQ(seen, "Set Low Set High Calibrate ");
    // Disarmed, it looks as before: the window's font, not the application's.
    EXPECT_EQ(b->fontInfo().pixelSize(), w.controls().showCurveButtons[0]->fontInfo().pixelSize());
    EXPECT_EQ(rig.sent(0, true),
              low + std::to_string(t0 + pause) + high + std::to_string(t0 + 2 * pause));
  };
  sequence(x, 0, "5/0B:03@", " 5/0B:04@");
  Act(w, "calibrateXButton analogInputModeList=0");
  rig.platform.clearLog();
  w.pollTimer()->start();
  const auto ticking = [&](QDialog&) { return w.pollTimer()->isActive() ? " ticking" : ""; };
  EXPECT_EQ(ClickAnswering(x, QMessageBox::Ok, ticking),
            "calibrationRefusal: Unable to calibrate in Dual clutch mode, switch to 'Brake and "
            "Throttle' mode");
  EXPECT_TRUE(w.pollTimer()->isActive());
  w.pollTimer()->stop();
  EXPECT_EQ(x->text() + rig.sent().c_str(), "Calibrate");
  sequence(w.controls().calibrateYButton, 100, "5/0B:01@", " 5/0B:02@");
  Act(w, "analogInputModeList=1");  // the refusal left X disarmed
  sequence(x, 0, "5/0B:03@", " 5/0B:04@");
}

}  // namespace
}  // namespace torvex::test
