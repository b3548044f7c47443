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

#include "app/Twips.h"
#include "monitor/CurveChart.h"
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
  const char* name;
  const char* parent;   // object name of the container
  const char* caption;  // nullptr: not checked
  int left, top, width, height;
};

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
};

// Fixed captions without names of their own: container, text, left, top.
struct Fixed {
  const char* parent;
  const char* caption;
  int left, top;
};

const Fixed kFixed[] = {
    {"Frame1", "Serial Number:", 120, 360},
    {"Frame1", "Manufacturer:", 120, 720},
    {"Frame1", "Product:", 120, 1080},
    {"Frame1", "Version:", 120, 1440},
    {"clutchBiteFrame", "0%", 240, 360},
    {"clutchBiteFrame", "100%", 3000, 360},
    {"clutchBiteFrame", "%", 2270, 1125},
    {"rotarySwitchFrame", "Left:", 120, 480},
    {"rotarySwitchFrame", "Right:", 120, 960},
    {"xAxisFrame", "Linearity Mode:", 240, 400},
    {"xAxisFrame", "-5", 960, 840},
    {"xAxisFrame", "0", 2410, 840},
    {"xAxisFrame", "5", 3845, 840},
    {"xAxisFrame", "dead zone HIGH", 1920, 2170},
    {"xAxisFrame", "dead zone LOW", 1920, 2530},
    {"yAxisFrame", "Linearity Mode:", 240, 405},
    {"yAxisFrame", "-5", 960, 825},
    {"yAxisFrame", "dead zone HIGH", 1920, 2050},
    {"yAxisFrame", "dead zone LOW", 1920, 2410},
};

class Layout : public ::testing::Test {
 protected:
  Rig rig;
  frmMain& form = rig.create();
};

TEST_F(Layout, WindowCaptionAndBaseSize) {
  EXPECT_EQ(form.windowTitle(), "Corvane Torvex Configuration Tool v3.0 b4");
  EXPECT_EQ(form.width(), Twips(8880));
  EXPECT_EQ(form.height(), Twips(10545));
}

TEST_F(Layout, EveryNamedControlInItsPlace) {
  for (const auto& c : kControls) {
    auto* w = Find<QWidget>(form, c.name);
    ASSERT_NE(w, nullptr) << c.name;
    ASSERT_NE(w->parentWidget(), nullptr) << c.name;
    EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(c.parent)) << c.name;
    EXPECT_EQ(w->geometry(), TwipsRect(c.left, c.top, c.width, c.height)) << c.name;
    if (c.caption) EXPECT_EQ(Caption(w), QString::fromLatin1(c.caption)) << c.name;
  }
}

TEST_F(Layout, FixedCaptionsInTheirPlaces) {
  for (const auto& f : kFixed) {
    auto* parent = Find<QWidget>(form, f.parent);
    ASSERT_NE(parent, nullptr) << f.parent;
    bool found = false;
    for (auto* l : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
      if (l->text() == QString::fromLatin1(f.caption) &&
          l->pos() == QPoint(Twips(f.left), Twips(f.top)))
        found = true;
    EXPECT_TRUE(found) << f.parent << " " << f.caption;
  }
}

TEST_F(Layout, MembersAreTheNamedControls) {
  EXPECT_EQ(form.SerNo, Find<QComboBox>(form, "SerNo"));
  EXPECT_EQ(form.xVal, Find<QLabel>(form, "xVal"));
  EXPECT_EQ(form.curveChart, Find<monitor::CurveChart>(form, "curveChart"));
  ASSERT_EQ(form.checkCurves.size(), 2u);
  EXPECT_EQ(form.checkCurves[1], Find<QPushButton>(form, "checkCurves_1"));
  EXPECT_TRUE(form.SerNo->isEditable());
  for (auto* list : {form.analogInputModeCombo, form.masterClutchModeCombo, form.delay,
                     form.rotarySwitchLeftCombo, form.rotarySwitchRightCombo,
                     form.xClutchCurveCombo, form.yClutchCurveCombo})
    EXPECT_FALSE(list->isEditable()) << list->objectName().toStdString();
}

TEST_F(Layout, SliderAndBarRanges) {
  struct Range {
    QSlider* slider;
    int min, max, tick, small, large;
  };
  const Range ranges[] = {{form.clutchBiteSlider, 0, 65535, 6553, 1, 5},
                          {form.ledSlider, 0, 255, 26, 1, 5},
                          {form.xSliderCurveNumber, -5, 5, 1, 1, 5},
                          {form.ySliderCurveNumber, -5, 5, 1, 1, 5}};
  for (const auto& r : ranges) {
    const auto name = r.slider->objectName().toStdString();
    EXPECT_EQ(r.slider->minimum(), r.min) << name;
    EXPECT_EQ(r.slider->maximum(), r.max) << name;
    EXPECT_EQ(r.slider->tickInterval(), r.tick) << name;
    EXPECT_EQ(r.slider->singleStep(), r.small) << name;
    EXPECT_EQ(r.slider->pageStep(), r.large) << name;
    EXPECT_EQ(r.slider->orientation(), Qt::Horizontal) << name;
  }
  for (auto* bar : {form.xAxisBar, form.yAxisBar}) {
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 65535);
  }
}

TEST_F(Layout, CurveAreaLiesBeyondTheBaseWidth) {
  form.show();
  const char* const area[] = {"Label28",    "curveMonitorAxisLabel",
                              "Label29",    "Command1",
                              "curveChart", "Label31",
                              "Output",     "Label32",
                              "Label33",    "Label30",
                              "Label34"};
  for (const char* name : area) {
    auto* w = Find<QWidget>(form, name);
    ASSERT_NE(w, nullptr) << name;
    EXPECT_GE(w->x(), form.width()) << name;
    EXPECT_TRUE(w->visibleRegion().isEmpty()) << name;
    // ...and all of it shows once the panel widens the window.
    EXPECT_LE(w->geometry().right(), Twips(8880) + Twips(6500)) << name;
  }
  // Nothing else reaches past the base width.
  for (auto* w : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (std::find_if(std::begin(area), std::end(area), [&](const char* n) {
          return w->objectName() == QString::fromLatin1(n);
        }) != std::end(area))
      continue;
    EXPECT_LE(w->geometry().right(), form.width()) << w->objectName().toStdString();
  }
}

// `covered` lies wholly under `cover`: every corner and the centre of its
// rectangle in window coordinates shows the button (or something inside it).
void ExpectCovered(frmMain& form, QWidget* covered, QPushButton* cover) {
  const QRect r(covered->mapTo(&form, QPoint(0, 0)), covered->size());
  const QRect c(cover->mapTo(&form, QPoint(0, 0)), cover->size());
  EXPECT_TRUE(c.contains(r)) << covered->objectName().toStdString();
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
  // Whatever the captions say.
  form.checkCurves[0]->setText("Hide Curve <<");
  form.checkCurves[1]->setText("Hide Curve <<");
  form.xVal->setText("100.0 %");
  form.yVal->setText("100.0 %");
  ExpectCovered(form, form.xVal, form.checkCurves[0]);
  ExpectCovered(form, form.yVal, form.checkCurves[1]);
}

TEST_F(Layout, DisablingTheAxisFrames) {
  form.yAxisFrame->setEnabled(false);
  EXPECT_TRUE(form.checkCurves[1]->isEnabled());
  EXPECT_FALSE(form.CalibrateY->isEnabled());
  form.xAxisFrame->setEnabled(false);
  EXPECT_FALSE(form.checkCurves[0]->isEnabled());
}

TEST_F(Layout, SerialListShowsCombo1BeforeTheFirstScan) {
  EXPECT_EQ(form.SerNo->currentText(), "Combo1");
  EXPECT_FALSE(form.SerialListReady);
}

}  // namespace
}  // namespace torvex::test
