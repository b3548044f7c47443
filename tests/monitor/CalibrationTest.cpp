// Axis calibration on the real window: captions and colours of the three-click
// sequence, the reports on the wire, their pacing, and the refusal of X.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>

#include "LiveRig.h"

namespace torvex::test {
namespace {

constexpr std::uint8_t kDualClutch = 0;
constexpr std::uint8_t kThrottleAndBrake = 1;

sim::Bytes CalibrationFrame(std::uint8_t step) {
  return Frame({0, 5, 0x0B, step});
}

// The colour as drawn, clear of the text: styles may shade the palette away.
QColor DrawnFace(QPushButton* b) {
  return b->grab().toImage().pixelColor(6, b->height() / 2);
}

TEST(Calibrate, ThreeClicksSendLowThenHighAndOnlyYPauses) {
  struct Case {
    bool y, withBoard;
    std::uint8_t mode;
    std::uint8_t low;  // the high end follows it; 0: nothing sent
    std::int64_t pauseUs;
  };
  const Case cases[] = {{true, true, kDualClutch, 1, 100000},
                        {true, true, kThrottleAndBrake, 1, 100000},
                        {false, true, kThrottleAndBrake, 3, 0},
                        {true, false, kThrottleAndBrake, 0, 100000},
                        {false, false, kThrottleAndBrake, 0, 0}};
  const char* const captions[] = {"Set Low", "Set High", "Calibrate"};  // green but the last

  for (const auto& c : cases) {
    SCOPED_TRACE(c.y * 100 + c.withBoard * 10 + c.mode);
    LiveRig live(c.mode, kEnglish, c.withBoard);
    frmMain& f = *live.form;
    f.analogInputModeCombo->setCurrentIndex(c.mode);
    QPushButton* button = c.y ? f.CalibrateY : f.CalibrateX;
    const std::int64_t t0 = live.rig.platform.nowUs();
    for (int i = 0; i < 3; ++i) {
      // The axis frames are disabled without a board; the handlers still run.
      c.y ? f.CalibrateY_Click() : f.CalibrateX_Click();
      EXPECT_EQ(button->text(), captions[i]);
      EXPECT_EQ(ButtonFace(button) == kGreen, i < 2);
      if (c.withBoard) {
        EXPECT_EQ(DrawnFace(button) == kGreen, i < 2);
      }
    }
    EXPECT_EQ(ButtonFace(button), ButtonFace(c.y ? f.CalibrateX : f.CalibrateY));
    EXPECT_EQ(live.rig.platform.nowUs() - t0, 3 * c.pauseUs);
    const auto log = live.rig.platform.featureLog();
    ASSERT_EQ(log.size(), c.low ? 2u : 0u);
    for (std::size_t i = 0; i < log.size(); ++i) {
      EXPECT_EQ(log[i].bytes, CalibrationFrame(std::uint8_t(c.low + i)));
      EXPECT_EQ(log[i].timeUs - t0, std::int64_t(i + 1) * c.pauseUs);  // sent before the pause
    }
  }
}

TEST(Calibrate, AxesArmIndependentlyAndDualClutchRefusesXCancellingItsSequence) {
  LiveRig live(kThrottleAndBrake);
  frmMain& f = *live.form;
  for (auto* b : {f.CalibrateX, f.CalibrateY, f.CalibrateY}) QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(f.CalibrateX->text(), "Set Low");
  EXPECT_EQ(f.CalibrateY->text(), "Set High");
  EXPECT_EQ(live.rig.sent(live.board), std::vector<sim::Bytes>{CalibrationFrame(1)});

  f.analogInputModeCombo->setCurrentIndex(kDualClutch);
  live.rig.platform.clearLog();
  QString text;
  bool tickingInside = true, enabledInside = true;
  WhenModalOpens([&](QMessageBox* box) {
    text = box->text();
    tickingInside = f.Timer->isActive();  // no poll while the box is open
    enabledInside = f.CalibrateX->isEnabled();
  });
  QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
  EXPECT_EQ(text, "Unable to calibrate in Dual clutch mode, switch to 'Brake and Throttle' mode");
  EXPECT_FALSE(tickingInside);
  EXPECT_FALSE(enabledInside);
  EXPECT_TRUE(f.Timer->isActive());
  EXPECT_TRUE(f.CalibrateX->isEnabled());
  EXPECT_EQ(f.CalibrateX->text(), "Calibrate");
  EXPECT_NE(DrawnFace(f.CalibrateX), kGreen);
  EXPECT_EQ(f.CalibrateY->text(), "Set High");
  EXPECT_TRUE(live.rig.platform.featureLog().empty());

  // Back in "Throttle and Brake" the sequence starts afresh.
  f.analogInputModeCombo->setCurrentIndex(kThrottleAndBrake);
  live.rig.platform.clearLog();
  QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
  QTest::mouseClick(f.CalibrateX, Qt::LeftButton);
  EXPECT_EQ(live.rig.sent(live.board), std::vector<sim::Bytes>{CalibrationFrame(3)});
}

}  // namespace
}  // namespace torvex::test
