// The editor usable only with a loaded board, and the button grid as built on
// the real window.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QProgressBar>

#include "LiveRig.h"
#include "app/Twips.h"
#include "monitor/ButtonGrid.h"

namespace torvex::test {
namespace {

// The curve number sliders are left out: they follow their curve type.
const QStringList kEditing =
    QStringLiteral(
        "clutchBiteFrame analogInputFrame masterClutchFrame rotarySwitchFrame xAxisFrame "
        "yAxisFrame "
        "xDeadLow xDeadHigh yDeadLow yDeadHigh xClutchCurveCombo yClutchCurveCombo "
        "rotarySwitchLeftCombo rotarySwitchRightCombo masterClutchModeCombo clutchBiteSlider "
        "clutchBitePercentLabel analogInputModeCombo delay ledSlider ledPercentLabel CalibrateX "
        "CalibrateY checkCurves_0")
        .split(' ');
// Usable with no board.
const QStringList kLeftAlone =
    QStringLiteral(
        "Frame1 SerNo Command2 checkCurves_1 Command1 curveChart Frame4 Frame5 ButtonsFrame")
        .split(' ');

void ExpectEnabled(frmMain& f, const QStringList& names, bool enabled) {
  for (const QString& name : names) {
    auto* w = f.findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << name.toStdString();
    EXPECT_EQ(w->isEnabled(), enabled) << name.toStdString();
  }
}

TEST(ControlState, EditorFollowsTheBoardAndOnlyLosingItBlanksTheIdentity) {
  LiveRig live;
  frmMain& f = *live.form;
  ExpectEnabled(f, kEditing, true);
  live.paddles(30000, 30000);
  live.rig.tick();
  ASSERT_NE(f.xAxisBar->value(), 0);

  // Enabling resets the bars and their captions, never the identity or xVal.
  f.SetControlsEnabled(true);
  EXPECT_EQ(f.lblProduct->text().trimmed(), "Torvex Wheel");
  EXPECT_EQ(f.xVal->text(), "45.8 %");
  for (auto* bar : {f.xAxisBar, f.yAxisBar}) EXPECT_EQ(bar->value(), 0);
  for (auto* l : {f.xAxisPercent, f.yAxisPercent}) EXPECT_EQ(l->text(), "0 %");

  live.rig.platform.unplug(live.board);
  live.rig.tick();
  ExpectEnabled(f, kEditing, false);
  for (auto* l : {f.lblManuf, f.lblProduct, f.lblVersion}) EXPECT_EQ(l->text(), "");
  for (const QString& name : kLeftAlone) f.findChild<QWidget*>(name)->setEnabled(true);
  f.SetControlsEnabled(false);
  ExpectEnabled(f, kLeftAlone, true);
}

TEST(ButtonIndicators, SixtyFourPlacedAsDesignedWithTheNumberOnTop) {
  LiveRig live(0, kEnglish, /*withBoard=*/false);
  frmMain& f = *live.form;
  ExpectEnabled(f, kEditing, false);
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
    EXPECT_EQ(shape->geometry(), px(places[k].shape)) << k;
    EXPECT_EQ(label->geometry(), px(places[k].label)) << k;
    EXPECT_EQ(label->text(), QString::number(k + 1));
    EXPECT_TRUE(shape->isVisible() && label->isVisible()) << k;
    EXPECT_EQ(f.ButtonsFrame->childAt(shape->geometry().center()), label) << k;
  }
  EXPECT_LT(f.ButtonShape[63]->geometry().bottom(), f.ButtonsFrame->height());
}

}  // namespace
}  // namespace torvex::test
