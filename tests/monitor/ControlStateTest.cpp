// The editor enabled only with a loaded board, and the button grid as built
// on the real window.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>

#include "LiveRig.h"
#include "app/Twips.h"
#include "monitor/ButtonGrid.h"

namespace torvex::test {
namespace {

// Every control the editor switches, by name.
const char* const kEditing[] = {
    "clutchBiteFrame",
    "analogInputFrame",
    "masterClutchFrame",
    "rotarySwitchFrame",
    "xAxisFrame",
    "yAxisFrame",
    "xDeadLow",
    "xDeadHigh",
    "yDeadLow",
    "yDeadHigh",
    "xClutchCurveCombo",
    "yClutchCurveCombo",
    "rotarySwitchLeftCombo",
    "rotarySwitchRightCombo",
    "masterClutchModeCombo",
    "clutchBiteSlider",
    "clutchBitePercentLabel",
    "analogInputModeCombo",
    "delay",
    "ledSlider",
    "ledPercentLabel",
    "CalibrateX",
    "CalibrateY",
    "checkCurves_0",
    "xSliderCurveNumber",
    "ySliderCurveNumber",
};

// Controls it leaves alone: usable with no board.
const char* const kLeftAlone[] = {"Frame1",       "SerNo",        "Command2", "checkCurves_1",
                                  "Command1",     "curveChart",   "Frame4",   "Frame5",
                                  "ButtonsFrame", "ButtonShape_5"};

QWidget* Named(frmMain& f, const char* name) {
  auto* w = Find<QWidget>(f, name);
  EXPECT_NE(w, nullptr) << name;
  return w;
}

TEST(ControlState, NoBoardDisablesTheEditorAndBlanksTheIdentity) {
  LiveRig live(0, kEnglish, /*withBoard=*/false);
  frmMain& f = *live.form;
  for (const char* name : kEditing)
    if (auto* w = Named(f, name)) EXPECT_FALSE(w->isEnabled()) << name;
  EXPECT_EQ(f.lblManuf->text(), "");
  EXPECT_EQ(f.lblProduct->text(), "");
  EXPECT_EQ(f.lblVersion->text(), "");
  EXPECT_EQ(f.xAxisPercent->text(), "0 %");
  EXPECT_EQ(f.yAxisPercent->text(), "0 %");

  // What it leaves alone stays usable, whatever its state before.
  f.SerNo->setEnabled(true);
  f.SetControlsEnabled(false);
  for (const char* name : kLeftAlone)
    if (auto* w = Named(f, name)) EXPECT_TRUE(w->isEnabled()) << name;
}

TEST(ControlState, BoardEnablesEverythingAndKeepsTheIdentity) {
  LiveRig live;
  frmMain& f = *live.form;
  for (const char* name : kEditing) {
    if (QString(name).contains("CurveNumber")) continue;  // follow their curve type
    if (auto* w = Named(f, name)) EXPECT_TRUE(w->isEnabled()) << name;
  }
  EXPECT_EQ(f.lblProduct->text().trimmed(), "Torvex Wheel");

  // Enabling resets the display but never blanks the identity.
  live.paddles(30000, 30000);
  live.rig.tick();
  ASSERT_NE(f.xAxisBar->value(), 0);
  f.SetControlsEnabled(true);
  EXPECT_EQ(f.lblProduct->text().trimmed(), "Torvex Wheel");
  EXPECT_EQ(f.xAxisBar->value(), 0);
  EXPECT_EQ(f.yAxisBar->value(), 0);
  EXPECT_EQ(f.xAxisPercent->text(), "0 %");
  EXPECT_EQ(f.yAxisPercent->text(), "0 %");
  EXPECT_EQ(f.xVal->text(), "45.8 %");  // kept
}

TEST(ButtonIndicators, SixtyFourPlacedAsDesigned) {
  LiveRig live(0, kEnglish, /*withBoard=*/false);
  frmMain& f = *live.form;
  ASSERT_EQ(f.ButtonShape.size(), 64u);
  ASSERT_EQ(f.ButtonLabel.size(), 64u);
  const auto places = monitor::ButtonGridPlaces(63, 375, 375, 4815, 495);
  auto px = [](const QRectF& r) { return app::TwipsRect(r.x(), r.y(), r.width(), r.height()); };
  for (int k = 0; k < 64; ++k) {
    auto* shape = f.ButtonShape[k];
    auto* label = f.ButtonLabel[k];
    EXPECT_EQ(shape->objectName(), QString("ButtonShape_%1").arg(k));
    EXPECT_EQ(label->objectName(), QString("ButtonLabel_%1").arg(k));
    EXPECT_EQ(shape->parentWidget(), f.ButtonsFrame);
    EXPECT_EQ(label->parentWidget(), f.ButtonsFrame);
    EXPECT_EQ(shape->geometry(), px(places[k].shape)) << k;
    EXPECT_EQ(label->geometry(), px(places[k].label)) << k;
    EXPECT_EQ(label->text(), QString::number(k + 1));
    EXPECT_TRUE(shape->isVisible()) << k;
    EXPECT_TRUE(label->isVisible()) << k;
    // The number lies above its shape.
    EXPECT_EQ(f.ButtonsFrame->childAt(shape->geometry().center()), label) << k;
  }
  // Element 0 was moved from (120, 360) to the grid's first cell.
  EXPECT_EQ(f.ButtonShape[0]->pos(), QPoint(app::Twips(201.667), app::Twips(375)));
  // Indicator 8 starts the second row at the left margin.
  EXPECT_EQ(f.ButtonShape[8]->x(), f.ButtonShape[0]->x());
  EXPECT_GT(f.ButtonShape[8]->y(), f.ButtonShape[7]->y());
  // The grid stays inside its frame with equal margins (to a pixel of rounding).
  const int left = f.ButtonShape[0]->x();
  const int right = f.ButtonsFrame->width() - f.ButtonShape[7]->geometry().right() - 1;
  EXPECT_LE(std::abs(left - right), 1);
  EXPECT_LT(f.ButtonShape[63]->geometry().bottom(), f.ButtonsFrame->height());
}

}  // namespace
}  // namespace torvex::test
