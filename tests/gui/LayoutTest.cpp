// The window as designed: every control with its text and place in twips
// (pixels are twips / 15, rounded).
#include "Gui.h"

namespace torvex::test {
namespace {

// "name left top width height text" relative to the control's frame, after
// start-up with a board; a
// slider's text its range and steps, a bar's its range; "*": not checked.
// Button indicators lie in eight columns with nine equal gaps, rows 1.2
// heights apart, each number a quarter down its indicator.
// clang-format off
const char* const kControls = R"(
deviceFrame 120 120 3735 1935 Device Details | serialNumberList 1200 360 2175 315 *
serialNumberCaption 120 360 1080 255 Serial Number: | productCaption 120 1080 1035 255 Product:
manufacturerCaption 120 720 1080 255 Manufacturer: | versionCaption 120 1440 1035 255 Version:
manufacturerLabel 1200 720 1575 255  Corvane | productLabel 1200 1080 1575 255  Torvex Wheel
versionLabel 1200 1440 1575 255  1.0 | resetAllButton 2760 1400 855 375 Reset All
analogInputFrame 120 2160 3735 975 Analog Input Mode | analogInputModeList 240 360 3255 315 *
masterClutchFrame 120 3240 3735 975 Master Clutch | masterClutchList 240 360 3255 315 *
clutchBiteMinCaption 240 360 495 255 0% | clutchBiteMaxCaption 3000 360 495 255 100%
clutchBiteField 1560 1080 615 285 50.0 | clutchBitePercentSign 2270 1125 255 255 %
rotarySwitchFrame 120 6000 3735 1575 Rotary Switch Mode | rotaryLeftCaption 120 480 495 255 Left:
rotaryLeftList 720 480 2775 315 * | rotaryRightList 720 960 2775 315 *
rotaryRightCaption 120 960 495 255 Right: | pulseWidthList 240 360 3255 315 *
pulseWidthFrame 120 7680 3735 975 Encoder Pulse Width | ledFrame 120 8760 3735 1575 LED Intensity
ledMinCaption 240 360 495 255 0% | ledMaxCaption 3000 360 495 255 100%
ledSlider 240 600 3255 345 0 255 26 1 5 | ledField 1560 1080 615 285 100.0
ledPercentSign 2270 1125 255 255 % | clutchBiteSlider 240 600 3255 345 0 65535 6553 1 5
inputsFrame 3960 120 4815 4095 Inputs | xAxisFrame 3960 4320 4815 3015 X Axis
xLinearityCaption 240 400 1200 255 Linearity Mode: | xCurveTypeList 1440 360 3015 315 *
xCurveMinCaption 960 840 255 255 -5 | xCurveMidCaption 2410 840 255 255 0
xCurveMaxCaption 3845 840 255 255 5 | xCurveNumberSlider 840 1080 3255 345 -5 5 1 1 5
xAxisBar 120 1680 3855 255 0 65535 | xAxisPercentLabel 4080 1680 615 375 0 %
xAxisValueLabel 120 2160 1335 255 | showCurveXButton 120 2040 1455 375 Show Curve >>
xDeadHighCaption 1920 2170 1575 375 dead zone HIGH | xDeadHighField 3600 2160 615 285 0.0
xDeadLowCaption 1920 2530 1575 375 dead zone LOW | xDeadLowField 3600 2520 615 285 0.0
xDeadHighPercentSign 4305 2205 255 255 % | xDeadLowPercentSign 4305 2565 255 255 %
calibrateXButton 120 2520 1455 375 Calibrate | yAxisFrame 3960 7440 4815 2895 Y Axis
yLinearityCaption 240 405 1200 255 Linearity Mode: | yCurveTypeList 1440 360 3015 315 *
yCurveMinCaption 960 825 255 255 -5 | yCurveMidCaption 2410 825 255 255 0
yCurveMaxCaption 3845 825 255 255 5 | yCurveNumberSlider 840 1080 3255 345 -5 5 1 1 5
yAxisBar 120 1560 3855 255 0 65535 | yAxisPercentLabel 4080 1560 615 375 0 %
yAxisValueLabel 120 2040 1335 255 | calibrateYButton 120 2400 1455 375 Calibrate
yDeadHighCaption 1920 2050 1575 375 dead zone HIGH | yDeadHighField 3600 2040 615 285 0.0
yDeadLowCaption 1920 2410 1575 375 dead zone LOW | yDeadLowField 3600 2400 615 285 0.0
yDeadHighPercentSign 4305 2085 255 255 % | yDeadLowPercentSign 4305 2445 255 255 %
showCurveYButton 4080 9360 1455 375 Show Curve >> | curveAxisCaption 8880 4920 615 255 Axis:
curveAxisLabel 9360 4920 615 255 | clearChartButton 12240 4680 1695 495 Clear Chart
curveHintLabel 10200 4800 1815 495 Move slowly to generate correct curve.
curveChart 9720 5400 5175 4575 * | chartOutputMaxLabel 9240 5400 495 255 100%
chartOutputCaption 9000 7440 615 255 Output | chartOutputMinLabel 9120 9840 495 255 0%
chartInputMinLabel 9720 10080 495 255 0% | chartInputCaption 11760 10080 735 255 Input
chartInputMaxLabel 14640 10080 495 255 100% | buttonIndicator_0 202 375 375 375 *
buttonIndicator_63 4238 3525 375 375 * | clutchBiteFrame 120 4320 3735 1575 Clutch Bite Point
)";
// clang-format on

// Notes what the platform had seen when the window was first drawn.
struct FirstPaint : QObject {
  sim::VirtualPlatform* platform = nullptr;
  std::string seen;  // scans so far @ virtual microseconds
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && seen.empty())
      seen = std::to_string(platform->enumerateCount()) + "@" + std::to_string(platform->nowUs());
    return false;
  }
};

// A slider its range and steps, a bar its range, other controls what they show.
QString Text(QWidget* c) {
  if (auto* s = qobject_cast<QSlider*>(c))
    return QString::asprintf("%d %d %d %d %d", s->minimum(), s->maximum(), s->tickInterval(),
                             s->singleStep(), s->pageStep());
  auto* b = qobject_cast<QProgressBar*>(c);
  return b ? QString::asprintf("%d %d", b->minimum(), b->maximum()) : Shown(c);
}

// The window is drawn before start-up scans for boards and reads one back.
TEST(Layout, DrawnFirstThenEveryControlWithItsTextInItsPlace) {
  Rig rig;
  rig.addBoard();
  FirstPaint watch;
  watch.platform = &rig.platform;
  gui::MainWindow& w = rig.create();
  w.installEventFilter(&watch);
  w.start();
  // Only the held sends of the lists' first selections came before; then it read and polls.
  EXPECT_EQ(watch.seen + (w.board().isLoaded() && w.pollTimer()->isActive() ? " polling" : ""),
            "0@60000 polling");
  EXPECT_EQ(w.windowTitle() + QString::asprintf(" %dx%d", w.width(), w.height()),
            "Corvane Torvex Configuration Tool v3.0 b4 592x703");
  for (const QString& row :
       QString(kControls).split(QRegularExpression(" \\| |\n"), Qt::SkipEmptyParts)) {
    const auto f = row.split(' ');
    auto* c = Find<QWidget>(w, qPrintable(f[0]));
    ASSERT_TRUE(c) << row.toStdString();
    EXPECT_EQ(c->geometry(), gui::TwipsRect(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt()))
        << row.toStdString();
    EXPECT_EQ(f.value(5) == "*" ? "*" : Text(c), row.section(' ', 5)) << row.toStdString();
  }
}

}  // namespace
}  // namespace torvex::test
