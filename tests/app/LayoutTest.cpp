// The window as designed: every named control with its caption and place
// (twips / 15, rounded), what lies beyond the base width, and what covers what.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <array>

#include "app/Twips.h"
#include "support/Rig.h"

namespace torvex::test {
namespace {

using app::Twips;
using app::TwipsRect;

QString Caption(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  return {};
}

struct Control {
  const char* name;              // nullptr: a fixed caption without a name
  const char* parent;            // object name of the container
  const char* caption;           // nullptr: not checked
  int left, top, width, height;  // width 0: only the place is checked
};

QWidget* Lookup(frmMain& form, const Control& c) {
  if (c.name) return Find<QWidget>(form, c.name);
  for (auto* l : Find<QWidget>(form, c.parent)->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
    if (l->text() == QString::fromLatin1(c.caption) &&
        l->pos() == QPoint(Twips(c.left), Twips(c.top)))
      return l;
  return nullptr;
}

// Positions relative to the container, in twips.
const Control kControls[] = {
    {"Frame1", "frmMain", "Device Details", 120, 120, 3735, 1935},
    {"SerNo", "Frame1", "Combo1", 1200, 360, 2175, 315},
    {"lblManuf", "Frame1", "manufacturer", 1200, 720, 1575, 255},
    {"lblProduct", "Frame1", "product", 1200, 1080, 1575, 255},
    {"lblVersion", "Frame1", "version", 1200, 1440, 1575, 255},
    {"Command2", "Frame1", "Reset All", 2760, 1400, 855, 375},
    {"analogInputFrame", "frmMain", "Analog Input Mode", 120, 2160, 3735, 975},
    {"analogInputModeCombo", "analogInputFrame", nullptr, 240, 360, 3255, 315},
    {"masterClutchFrame", "frmMain", "Master Clutch", 120, 3240, 3735, 975},
    {"masterClutchModeCombo", "masterClutchFrame", nullptr, 240, 360, 3255, 315},
    {"clutchBiteFrame", "frmMain", "Clutch Bite Point", 120, 4320, 3735, 1575},
    {"clutchBiteSlider", "clutchBiteFrame", nullptr, 240, 600, 3255, 345},
    {"clutchBitePercentLabel", "clutchBiteFrame", "", 1560, 1080, 615, 285},
    {"rotarySwitchFrame", "frmMain", "Rotary Switch Mode", 120, 6000, 3735, 1575},
    {"rotarySwitchLeftCombo", "rotarySwitchFrame", nullptr, 720, 480, 2775, 315},
    {"rotarySwitchRightCombo", "rotarySwitchFrame", nullptr, 720, 960, 2775, 315},
    {"Frame4", "frmMain", "Encoder Pulse Width", 120, 7680, 3735, 975},
    {"delay", "Frame4", nullptr, 240, 360, 3255, 315},
    {"Frame5", "frmMain", "LED Intensity", 120, 8760, 3735, 1575},
    {"ledSlider", "Frame5", nullptr, 240, 600, 3255, 345},
    {"ledPercentLabel", "Frame5", "", 1560, 1080, 615, 285},
    {"ButtonsFrame", "frmMain", "Inputs", 3960, 120, 4815, 4095},
    {"ButtonShape_0", "ButtonsFrame", nullptr, 120, 360, 375, 375},
    {"ButtonLabel_0", "ButtonsFrame", "1", 120, 480, 375, 495},
    {"xAxisFrame", "frmMain", "X Axis", 3960, 4320, 4815, 3015},
    {"xClutchCurveCombo", "xAxisFrame", nullptr, 1440, 360, 3015, 315},
    {"xSliderCurveNumber", "xAxisFrame", nullptr, 840, 1080, 3255, 345},
    {"xAxisBar", "xAxisFrame", nullptr, 120, 1680, 3855, 255},
    {"xAxisPercent", "xAxisFrame", "0 %", 4080, 1680, 615, 375},
    {"checkCurves_0", "xAxisFrame", "Show Curve >>", 120, 2040, 1455, 375},
    {"xVal", "xAxisFrame", "", 120, 2160, 1335, 255},
    {"xDeadHigh", "xAxisFrame", "", 3600, 2160, 615, 285},
    {"xDeadLow", "xAxisFrame", "", 3600, 2520, 615, 285},
    {"CalibrateX", "xAxisFrame", "Calibrate", 120, 2520, 1455, 375},
    {"yAxisFrame", "frmMain", "Y Axis", 3960, 7440, 4815, 2895},
    {"yClutchCurveCombo", "yAxisFrame", nullptr, 1440, 360, 3015, 315},
    {"ySliderCurveNumber", "yAxisFrame", nullptr, 840, 1080, 3255, 345},
    {"yAxisBar", "yAxisFrame", nullptr, 120, 1560, 3855, 255},
    {"yVal", "yAxisFrame", "", 120, 2040, 1335, 255},
    {"yDeadHigh", "yAxisFrame", "", 3600, 2040, 615, 285},
    {"yDeadLow", "yAxisFrame", "", 3600, 2400, 615, 285},
    {"CalibrateY", "yAxisFrame", "Calibrate", 120, 2400, 1455, 375},
    {"checkCurves_1", "frmMain", "Show Curve >>", 4080, 9360, 1455, 375},
    {"Label28", "frmMain", "Axis:", 8880, 4920, 615, 255},
    {"curveMonitorAxisLabel", "frmMain", "", 9360, 4920, 615, 255},
    {"Label29", "frmMain", "Move slowly to generate correct curve.", 10200, 4800, 1815, 495},
    {"Command1", "frmMain", "Clear Chart", 12240, 4680, 1695, 495},
    {"curveChart", "frmMain", nullptr, 9720, 5400, 5175, 4575},
    {"Label31", "frmMain", "100%", 9240, 5400, 495, 255},
    {"Output", "frmMain", "Output", 9000, 7440, 615, 255},
    {"Label32", "frmMain", "0%", 9120, 9840, 495, 255},
    {"Label33", "frmMain", "0%", 9720, 10080, 495, 255},
    {"Label30", "frmMain", "Input", 11760, 10080, 735, 255},
    // Designed 375 wide; widened so "100%" fits in the window's font.
    {"Label34", "frmMain", "100%", 14640, 10080, 495, 255},
    // Fixed captions without names of their own, found by text and place.
    {nullptr, "Frame1", "Serial Number:", 120, 360, 0, 0},
    {nullptr, "Frame1", "Manufacturer:", 120, 720, 0, 0},
    {nullptr, "Frame1", "Product:", 120, 1080, 0, 0},
    {nullptr, "Frame1", "Version:", 120, 1440, 0, 0},
    {nullptr, "clutchBiteFrame", "0%", 240, 360, 0, 0},
    {nullptr, "clutchBiteFrame", "100%", 3000, 360, 0, 0},
    {nullptr, "clutchBiteFrame", "%", 2270, 1125, 0, 0},
    {nullptr, "rotarySwitchFrame", "Left:", 120, 480, 0, 0},
    {nullptr, "rotarySwitchFrame", "Right:", 120, 960, 0, 0},
    {nullptr, "xAxisFrame", "Linearity Mode:", 240, 400, 0, 0},
    {nullptr, "xAxisFrame", "-5", 960, 840, 0, 0},
    {nullptr, "xAxisFrame", "0", 2410, 840, 0, 0},
    {nullptr, "xAxisFrame", "5", 3845, 840, 0, 0},
    {nullptr, "xAxisFrame", "dead zone HIGH", 1920, 2170, 0, 0},
    {nullptr, "xAxisFrame", "dead zone LOW", 1920, 2530, 0, 0},
    {nullptr, "yAxisFrame", "Linearity Mode:", 240, 405, 0, 0},
    {nullptr, "yAxisFrame", "-5", 960, 825, 0, 0},
    {nullptr, "yAxisFrame", "dead zone HIGH", 1920, 2050, 0, 0},
    {nullptr, "yAxisFrame", "dead zone LOW", 1920, 2410, 0, 0},
};

class Layout : public ::testing::Test {
 protected:
  Rig rig;
  frmMain& form = rig.create();
};

TEST_F(Layout, WindowCaptionAndBaseSize) {
  EXPECT_EQ(form.windowTitle(), "Corvane Torvex Configuration Tool v3.0 b4");
  EXPECT_EQ(form.size(), QSize(Twips(8880), Twips(10545)));
}

TEST_F(Layout, EveryControlAndCaptionInItsPlace) {
  for (const auto& c : kControls) {
    const char* id = c.name ? c.name : c.caption;
    QWidget* w = Lookup(form, c);
    ASSERT_TRUE(w && w->parentWidget()) << c.parent << " " << id;
    EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(c.parent)) << id;
    if (c.width) {
      EXPECT_EQ(w->geometry(), TwipsRect(c.left, c.top, c.width, c.height)) << id;
    }
    if (c.caption) {
      EXPECT_EQ(Caption(w), QString::fromLatin1(c.caption)) << id;
    }
  }
}

TEST_F(Layout, ListsSlidersAndBars) {
  EXPECT_TRUE(form.SerNo->isEditable());
  for (auto* list : {form.analogInputModeCombo, form.masterClutchModeCombo, form.delay,
                     form.rotarySwitchLeftCombo, form.rotarySwitchRightCombo,
                     form.xClutchCurveCombo, form.yClutchCurveCombo})
    EXPECT_FALSE(list->isEditable()) << list->objectName().toStdString();
  const std::pair<QSlider*, std::array<int, 5>> sliders[] = {
      {form.clutchBiteSlider, {0, 65535, 6553, 1, 5}},
      {form.ledSlider, {0, 255, 26, 1, 5}},
      {form.xSliderCurveNumber, {-5, 5, 1, 1, 5}},
      {form.ySliderCurveNumber, {-5, 5, 1, 1, 5}}};
  for (const auto& [s, range] : sliders) {
    EXPECT_EQ(range, (std::array{s->minimum(), s->maximum(), s->tickInterval(), s->singleStep(),
                                 s->pageStep()}))
        << s->objectName().toStdString();
    EXPECT_EQ(s->orientation(), Qt::Horizontal);
  }
  for (auto* bar : {form.xAxisBar, form.yAxisBar})
    EXPECT_EQ(std::pair(bar->minimum(), bar->maximum()), std::pair(0, 65535));
}

TEST_F(Layout, OnlyTheCurveAreaLiesBeyondTheBaseWidth) {
  form.show();
  for (auto* w : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const auto name = w->objectName().toStdString();
    if (w->x() < form.width()) {
      EXPECT_LE(w->geometry().right(), form.width()) << name;
      continue;
    }
    // Hidden until the curve panel widens the window, and all of it shows then.
    EXPECT_TRUE(w->visibleRegion().isEmpty()) << name;
    EXPECT_LE(w->geometry().right(), Twips(8880) + Twips(6500)) << name;
  }
}

// `covered` lies wholly under `cover`: every corner and the centre of its
// rectangle in window coordinates shows the button (or something inside it).
void ExpectCovered(frmMain& form, QWidget* covered, QPushButton* cover) {
  const QRect r(covered->mapTo(&form, QPoint(0, 0)), covered->size());
  for (const QPoint p : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight(), r.center()}) {
    QWidget* top = form.childAt(p);
    EXPECT_TRUE(top == cover || (top && cover->isAncestorOf(top)))
        << covered->objectName().toStdString() << " at " << p.x() << "," << p.y();
  }
}

TEST_F(Layout, AxisValuesLieUnderTheShowCurveButtons) {
  form.show();
  ExpectCovered(form, form.xVal, form.checkCurves[0]);
  ExpectCovered(form, form.yVal, form.checkCurves[1]);
}

}  // namespace
}  // namespace torvex::test
