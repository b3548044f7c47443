// The window as designed: every control with its text and place (twips / 15,
// rounded), the button grid, and what lies beyond the base width.
#include "Gui.h"

namespace torvex::test {
namespace {

using gui::Twips;
using gui::TwipsRect;

struct Control {
  const char* name;
  const char* parent;
  const char* text;  // nullptr: not checked
  int left, top, width, height;
};

const Control kControls[] = {
    {"deviceFrame", "mainWindow", "Device Details", 120, 120, 3735, 1935},
    {"serialNumberCaption", "deviceFrame", "Serial Number:", 120, 360, 1080, 255},
    {"manufacturerCaption", "deviceFrame", "Manufacturer:", 120, 720, 1080, 255},
    {"productCaption", "deviceFrame", "Product:", 120, 1080, 1035, 255},
    {"versionCaption", "deviceFrame", "Version:", 120, 1440, 1035, 255},
    {"serialNumberList", "deviceFrame", nullptr, 1200, 360, 2175, 315},
    {"manufacturerLabel", "deviceFrame", "manufacturer", 1200, 720, 1575, 255},
    {"productLabel", "deviceFrame", "product", 1200, 1080, 1575, 255},
    {"versionLabel", "deviceFrame", "version", 1200, 1440, 1575, 255},
    {"resetAllButton", "deviceFrame", "Reset All", 2760, 1400, 855, 375},
    {"analogInputFrame", "mainWindow", "Analog Input Mode", 120, 2160, 3735, 975},
    {"analogInputModeList", "analogInputFrame", nullptr, 240, 360, 3255, 315},
    {"masterClutchFrame", "mainWindow", "Master Clutch", 120, 3240, 3735, 975},
    {"masterClutchList", "masterClutchFrame", nullptr, 240, 360, 3255, 315},
    {"clutchBiteFrame", "mainWindow", "Clutch Bite Point", 120, 4320, 3735, 1575},
    {"clutchBiteMinCaption", "clutchBiteFrame", "0%", 240, 360, 495, 255},
    {"clutchBiteMaxCaption", "clutchBiteFrame", "100%", 3000, 360, 495, 255},
    {"clutchBiteSlider", "clutchBiteFrame", nullptr, 240, 600, 3255, 345},
    {"clutchBiteField", "clutchBiteFrame", "", 1560, 1080, 615, 285},
    {"clutchBitePercentSign", "clutchBiteFrame", "%", 2270, 1125, 255, 255},
    {"rotarySwitchFrame", "mainWindow", "Rotary Switch Mode", 120, 6000, 3735, 1575},
    {"rotaryLeftCaption", "rotarySwitchFrame", "Left:", 120, 480, 495, 255},
    {"rotaryLeftList", "rotarySwitchFrame", nullptr, 720, 480, 2775, 315},
    {"rotaryRightCaption", "rotarySwitchFrame", "Right:", 120, 960, 495, 255},
    {"rotaryRightList", "rotarySwitchFrame", nullptr, 720, 960, 2775, 315},
    {"pulseWidthFrame", "mainWindow", "Encoder Pulse Width", 120, 7680, 3735, 975},
    {"pulseWidthList", "pulseWidthFrame", nullptr, 240, 360, 3255, 315},
    {"ledFrame", "mainWindow", "LED Intensity", 120, 8760, 3735, 1575},
    {"ledMinCaption", "ledFrame", "0%", 240, 360, 495, 255},
    {"ledMaxCaption", "ledFrame", "100%", 3000, 360, 495, 255},
    {"ledSlider", "ledFrame", nullptr, 240, 600, 3255, 345},
    {"ledField", "ledFrame", "", 1560, 1080, 615, 285},
    {"ledPercentSign", "ledFrame", "%", 2270, 1125, 255, 255},
    {"inputsFrame", "mainWindow", "Inputs", 3960, 120, 4815, 4095},
    {"xAxisFrame", "mainWindow", "X Axis", 3960, 4320, 4815, 3015},
    {"xLinearityCaption", "xAxisFrame", "Linearity Mode:", 240, 400, 1200, 255},
    {"xCurveTypeList", "xAxisFrame", nullptr, 1440, 360, 3015, 315},
    {"xCurveMinCaption", "xAxisFrame", "-5", 960, 840, 255, 255},
    {"xCurveMidCaption", "xAxisFrame", "0", 2410, 840, 255, 255},
    {"xCurveMaxCaption", "xAxisFrame", "5", 3845, 840, 255, 255},
    {"xCurveNumberSlider", "xAxisFrame", nullptr, 840, 1080, 3255, 345},
    {"xAxisBar", "xAxisFrame", nullptr, 120, 1680, 3855, 255},
    {"xAxisPercentLabel", "xAxisFrame", "0 %", 4080, 1680, 615, 375},
    {"xAxisValueLabel", "xAxisFrame", "", 120, 2160, 1335, 255},
    {"showCurveXButton", "xAxisFrame", "Show Curve >>", 120, 2040, 1455, 375},
    {"xDeadHighCaption", "xAxisFrame", "dead zone HIGH", 1920, 2170, 1575, 375},
    {"xDeadLowCaption", "xAxisFrame", "dead zone LOW", 1920, 2530, 1575, 375},
    {"xDeadHighField", "xAxisFrame", "", 3600, 2160, 615, 285},
    {"xDeadHighPercentSign", "xAxisFrame", "%", 4305, 2205, 255, 255},
    {"xDeadLowField", "xAxisFrame", "", 3600, 2520, 615, 285},
    {"xDeadLowPercentSign", "xAxisFrame", "%", 4305, 2565, 255, 255},
    {"calibrateXButton", "xAxisFrame", "Calibrate", 120, 2520, 1455, 375},
    {"yAxisFrame", "mainWindow", "Y Axis", 3960, 7440, 4815, 2895},
    {"yLinearityCaption", "yAxisFrame", "Linearity Mode:", 240, 405, 1200, 255},
    {"yCurveTypeList", "yAxisFrame", nullptr, 1440, 360, 3015, 315},
    {"yCurveMinCaption", "yAxisFrame", "-5", 960, 825, 255, 255},
    {"yCurveMidCaption", "yAxisFrame", "0", 2410, 825, 255, 255},
    {"yCurveMaxCaption", "yAxisFrame", "5", 3845, 825, 255, 255},
    {"yCurveNumberSlider", "yAxisFrame", nullptr, 840, 1080, 3255, 345},
    {"yAxisBar", "yAxisFrame", nullptr, 120, 1560, 3855, 255},
    {"yAxisPercentLabel", "yAxisFrame", "0 %", 4080, 1560, 615, 375},
    {"yAxisValueLabel", "yAxisFrame", "", 120, 2040, 1335, 255},
    {"yDeadHighCaption", "yAxisFrame", "dead zone HIGH", 1920, 2050, 1575, 375},
    {"yDeadLowCaption", "yAxisFrame", "dead zone LOW", 1920, 2410, 1575, 375},
    {"yDeadHighField", "yAxisFrame", "", 3600, 2040, 615, 285},
    {"yDeadHighPercentSign", "yAxisFrame", "%", 4305, 2085, 255, 255},
    {"yDeadLowField", "yAxisFrame", "", 3600, 2400, 615, 285},
    {"yDeadLowPercentSign", "yAxisFrame", "%", 4305, 2445, 255, 255},
    {"calibrateYButton", "yAxisFrame", "Calibrate", 120, 2400, 1455, 375},
    {"showCurveYButton", "mainWindow", "Show Curve >>", 4080, 9360, 1455, 375},
    {"curveAxisCaption", "mainWindow", "Axis:", 8880, 4920, 615, 255},
    {"curveAxisLabel", "mainWindow", "", 9360, 4920, 615, 255},
    {"curveHintLabel", "mainWindow", "Move slowly to generate correct curve.", 10200, 4800, 1815,
     495},
    {"clearChartButton", "mainWindow", "Clear Chart", 12240, 4680, 1695, 495},
    {"curveChart", "mainWindow", nullptr, 9720, 5400, 5175, 4575},
    {"chartOutputMaxLabel", "mainWindow", "100%", 9240, 5400, 495, 255},
    {"chartOutputCaption", "mainWindow", "Output", 9000, 7440, 615, 255},
    {"chartOutputMinLabel", "mainWindow", "0%", 9120, 9840, 495, 255},
    {"chartInputMinLabel", "mainWindow", "0%", 9720, 10080, 495, 255},
    {"chartInputCaption", "mainWindow", "Input", 11760, 10080, 735, 255},
    // Designed 375 wide; widened so "100%" fits in the window's font.
    {"chartInputMaxLabel", "mainWindow", "100%", 14640, 10080, 495, 255},
};

TEST(Layout, EveryControlWithItsTextInItsPlace) {
  Rig rig;
  gui::MainWindow& w = rig.create();
  EXPECT_EQ(w.windowTitle(), "Corvane Torvex Configuration Tool v3.0 b4");
  EXPECT_EQ(w.size(), QSize(Twips(8880), Twips(10545)));
  for (const auto& c : kControls) {
    SCOPED_TRACE(c.name);
    auto* control = Find<QWidget>(w, c.name);
    ASSERT_TRUE(control);
    EXPECT_EQ(control->parentWidget()->objectName(), c.parent);
    EXPECT_EQ(control->geometry(), TwipsRect(c.left, c.top, c.width, c.height));
    if (c.text) {
      EXPECT_EQ(Shown(control), c.text);
    }
  }
  const std::pair<QSlider*, std::array<int, 5>> sliders[] = {
      {w.controls().clutchBiteSlider, {0, 65535, 6553, 1, 5}},
      {w.controls().ledSlider, {0, 255, 26, 1, 5}},
      {w.controls().xCurveNumberSlider, {-5, 5, 1, 1, 5}},
      {w.controls().yCurveNumberSlider, {-5, 5, 1, 1, 5}}};
  for (const auto& [s, range] : sliders)
    EXPECT_EQ(range, (std::array{s->minimum(), s->maximum(), s->tickInterval(), s->singleStep(),
                                 s->pageStep()}));
  EXPECT_EQ(w.controls().xAxisBar->maximum(), 65535);
  EXPECT_EQ(w.controls().yAxisBar->maximum(), 65535);
}

TEST(Layout, CurveAreaBeyondTheBaseWidthAndAxisValuesUnderTheShowCurveButtons) {
  Rig rig;
  gui::MainWindow& w = rig.load();
  for (auto* child : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    SCOPED_TRACE(child->objectName().toStdString());
    const int limit = child->x() < w.width() ? w.width() : Twips(8880 + 6500);
    EXPECT_LE(child->geometry().right(), limit);
  }
  const auto& ui = w.controls();
  for (auto [under, cover] : {std::pair{ui.xAxisValueLabel, ui.showCurveButtons[0]},
                              std::pair{ui.yAxisValueLabel, ui.showCurveButtons[1]}}) {
    const QRect r(under->mapTo(&w, QPoint(0, 0)), under->size());
    for (const QPoint p : {r.topLeft(), r.bottomRight(), r.center()})
      EXPECT_EQ(w.childAt(p), cover) << under->objectName().toStdString();
  }
}

TEST(Layout, SixtyFourNumberedIndicatorsInEightColumnsWithTheNumberOnTop) {
  Rig rig;
  const auto& ui = rig.load().controls();
  ASSERT_EQ(ui.buttonIndicators.size(), 64u);
  ASSERT_EQ(ui.buttonNumberLabels.size(), 64u);
  const int columns[] = {13, 52, 90, 129, 167, 206, 244, 283};  // nine equal gaps
  for (int k = 0; k < 64; ++k) {
    SCOPED_TRACE(k);
    const int top = 25 + 30 * (k / 8);  // rows 1.2 heights apart
    EXPECT_EQ(ui.buttonIndicators[k]->geometry(), QRect(columns[k % 8], top, 25, 25));
    EXPECT_EQ(ui.buttonNumberLabels[k]->geometry(), QRect(columns[k % 8], top + 6, 25, 33));
    EXPECT_EQ(ui.buttonNumberLabels[k]->text(), QString::number(k + 1));
    EXPECT_EQ(ui.inputsFrame->childAt(ui.buttonIndicators[k]->geometry().center()),
              ui.buttonNumberLabels[k]);
  }
}

}  // namespace
}  // namespace torvex::test
