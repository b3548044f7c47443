// Axis calibration on the real window: the three-click sequence, captions and
// colours, the reports on the wire and their pacing on the virtual clock, and
// the refusal box of the X axis.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>

#include "LiveRig.h"

namespace torvex::test {
namespace {

constexpr std::uint8_t kDualClutch = 0;
constexpr std::uint8_t kThrottleAndBrake = 1;
const char* const kRefusal =
    "Unable to calibrate in Dual clutch mode, switch to 'Brake and Throttle' mode";

sim::Bytes CalibrationFrame(std::uint8_t step) {
  return Frame({0, 5, 0x0B, step});
}

struct Shown {
  QString caption;
  bool green;
};

Shown Look(QPushButton* b) {
  return {b->text(), ButtonFace(b) == kGreen};
}

// A button's colour as drawn: the middle of its left edge, clear of the text.
QColor DrawnFace(QPushButton* b) {
  return b->grab().toImage().pixelColor(6, b->height() / 2);
}

const Shown kSequence[] = {{"Set Low", true}, {"Set High", true}, {"Calibrate", false}};

class CalibrateY : public ::testing::TestWithParam<std::uint8_t> {};

TEST_P(CalibrateY, ThreeClicksSendLowThenHighWith100msPauses) {
  LiveRig live(GetParam());
  frmMain& f = *live.form;
  const std::int64_t t0 = live.rig.platform.nowUs();
  for (const auto& expected : kSequence) {
    QTest::mouseClick(f.CalibrateY, Qt::LeftButton);
    EXPECT_EQ(Look(f.CalibrateY).caption, expected.caption);
    EXPECT_EQ(Look(f.CalibrateY).green, expected.green);
    EXPECT_EQ(DrawnFace(f.CalibrateY) == kGreen, expected.green);
    EXPECT_TRUE(f.CalibrateY->isEnabled());
  }
  EXPECT_EQ(live.rig.sent(live.board),
            (std::vector<sim::Bytes>{CalibrationFrame(1), CalibrationFrame(2)}));
  EXPECT_EQ(live.firmware().calibrationSteps(), (std::vector<int>{1, 2}));
  // Each click pauses 100 ms after its report: the second report comes 100 ms
  // after the first, and three clicks take 300 ms.
  const auto log = live.rig.platform.sentTo(live.board);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].timeUs - t0, 100000);
  EXPECT_EQ(log[1].timeUs - t0, 200000);
  EXPECT_EQ(live.rig.platform.nowUs() - t0, 300000);
  EXPECT_EQ(ButtonFace(f.CalibrateY), ButtonFace(f.CalibrateX));
}

INSTANTIATE_TEST_SUITE_P(EitherMode, CalibrateY, ::testing::Values(kDualClutch, kThrottleAndBrake));

TEST(CalibrateX, ThrottleAndBrakeSendsLowThenHighWithoutPause) {
  LiveRig live(kThrottleAndBrake);
  frmMain& f = *live.form;
  const std::int64_t t0 = live.rig.platform.nowUs();
  for (const auto& expected : kSequence) {
    QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
    EXPECT_EQ(Look(f.CalibrateX).caption, expected.caption);
    EXPECT_EQ(Look(f.CalibrateX).green, expected.green);
    EXPECT_EQ(DrawnFace(f.CalibrateX) == kGreen, expected.green);
  }
  EXPECT_EQ(live.rig.sent(live.board),
            (std::vector<sim::Bytes>{CalibrationFrame(3), CalibrationFrame(4)}));
  EXPECT_EQ(live.firmware().calibrationSteps(), (std::vector<int>{3, 4}));
  EXPECT_EQ(live.rig.platform.nowUs(), t0);
}

TEST(CalibrateX, DualClutchRefusesEveryClickAndCancelsAnArmedSequence) {
  LiveRig live(kThrottleAndBrake);
  frmMain& f = *live.form;
  QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
  ASSERT_EQ(f.CalibrateX->text(), "Set Low");
  f.analogInputModeCombo->setCurrentIndex(kDualClutch);
  live.rig.platform.clearLog();

  for (int click = 0; click < 2; ++click) {
    QString text;
    bool tickingInside = true;
    bool buttonEnabledInside = true;
    WhenModalOpens([&](QMessageBox* box) {
      text = box->text();
      tickingInside = f.Timer->isActive();
      buttonEnabledInside = f.CalibrateX->isEnabled();
    });
    QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
    EXPECT_EQ(text, QString::fromLatin1(kRefusal)) << click;
    EXPECT_FALSE(tickingInside);  // no poll runs while the box is open
    EXPECT_FALSE(buttonEnabledInside);
    EXPECT_TRUE(f.Timer->isActive());
    EXPECT_EQ(f.Timer->interval(), 100);
    EXPECT_EQ(f.CalibrateX->text(), "Calibrate");
    EXPECT_NE(ButtonFace(f.CalibrateX), kGreen);
    EXPECT_NE(DrawnFace(f.CalibrateX), kGreen);
    EXPECT_TRUE(f.CalibrateX->isEnabled());
    EXPECT_EQ(f.CalibrationStepX, 0);
  }
  EXPECT_TRUE(live.rig.sent(live.board).empty());

  // Back in "Throttle and Brake" the sequence starts afresh.
  f.analogInputModeCombo->setCurrentIndex(kThrottleAndBrake);
  live.rig.platform.clearLog();
  QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
  QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
  EXPECT_EQ(live.rig.sent(live.board), std::vector<sim::Bytes>{CalibrationFrame(3)});
}

TEST(CalibrateNoBoard, CaptionsAndColoursAdvanceAndNothingIsSent) {
  LiveRig live(0, kEnglish, /*withBoard=*/false);
  frmMain& f = *live.form;
  // The frames are disabled without a board; the handlers still run as designed.
  f.analogInputModeCombo->setCurrentIndex(kThrottleAndBrake);
  const std::int64_t t0 = live.rig.platform.nowUs();
  for (const auto& expected : kSequence) {
    f.CalibrateX_Click();
    f.CalibrateY_Click();
    EXPECT_EQ(Look(f.CalibrateX).caption, expected.caption);
    EXPECT_EQ(Look(f.CalibrateX).green, expected.green);
    EXPECT_EQ(Look(f.CalibrateY).caption, expected.caption);
    EXPECT_EQ(Look(f.CalibrateY).green, expected.green);
  }
  EXPECT_TRUE(live.rig.platform.featureLog().empty());
  EXPECT_EQ(live.rig.platform.nowUs() - t0, 300000);  // Y still pauses
}

TEST(CalibrateBoth, AxesArmIndependently) {
  LiveRig live(kThrottleAndBrake);
  frmMain& f = *live.form;
  QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
  QTest::mouseClick(f.CalibrateY, Qt::LeftButton);
  QTest::mouseClick(f.CalibrateY, Qt::LeftButton);
  QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
  EXPECT_EQ(f.CalibrateX->text(), "Set High");
  EXPECT_EQ(f.CalibrateY->text(), "Set High");
  EXPECT_EQ(live.firmware().calibrationSteps(), (std::vector<int>{1, 3}));
}

}  // namespace
}  // namespace torvex::test
