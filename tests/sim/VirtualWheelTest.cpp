// SPDX-License-Identifier: MIT
#include "sim/VirtualWheel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "sim/DemoBoards.h"
#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

TEST(AnimatedPose, SweepsSlowlyAndWalksTheButtons) {
  EXPECT_EQ(AnimatedPose(0).paddles[1], 65535) << "the paddles move out of phase";
  EXPECT_EQ(AnimatedPose(4'000'000).paddles[0], 65535);
  EXPECT_EQ(AnimatedPose(6'000'000).rotaryDetents, 3);
  for (std::int64_t t = 0; t <= 20'000'000; t += 10'000) {
    const WheelPose a = AnimatedPose(t), b = AnimatedPose(t + 10'000);
    ASSERT_LE(std::abs(a.paddles[0] - b.paddles[0]), 200) << "slow enough to draw a curve";
    // One after another, never 41..64: those belong to the rotaries.
    ASSERT_EQ(b.button, (a.button + (b.button != a.button)) % 40);
  }
}

VirtualPlatform& WithDemoBoards(VirtualPlatform& platform) {
  AddDemoBoards(platform);
  return platform;
}

// The demo's two boards; the hands start on the second, the one the window opens.
class WheelTest : public ::testing::Test {
 protected:
  template <typename T>
  T* child(const char* name) {
    return wheel.findChild<T*>(name);
  }
  void selectBoard(int row) { child<QComboBox>("boardCombo")->setCurrentIndex(row); }
  void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
  VirtualPlatform platform;
  VirtualWheel wheel{WithDemoBoards(platform)};
};

TEST_F(WheelTest, ControlsActOnTheSelectedBoardOnly) {
  auto* led = child<QProgressBar>("ledIntensity");
  EXPECT_EQ(led->value(), 128);
  selectBoard(0);
  child<QSlider>("leftPaddle")->setValue(1000);
  child<QSlider>("rightPaddle")->setValue(2000);
  child<QComboBox>("rateCombo")->setCurrentIndex(2);  // on change
  click("plugButton");
  platform.firmware(0).setSetting(0x60, 42);
  wheel.tick();
  EXPECT_EQ(led->value(), 42);
  for (int b : {0, 1}) {
    SCOPED_TRACE(b);
    EXPECT_EQ(platform.firmware(b).paddle(0), b ? 20000 : 1000);
    EXPECT_EQ(platform.firmware(b).paddle(1), b ? 40000 : 2000);
    EXPECT_EQ(platform.device(b).reportPeriodUs, b ? 4000 : 0);
    EXPECT_EQ(platform.device(b).plugged, b == 1);
  }
  click("plugButton");
  EXPECT_TRUE(platform.device(0).plugged);
}

TEST_F(WheelTest, ButtonsToggleOrPressMomentarily) {
  BoardFirmware& fw = platform.firmware(1);
  for (const char* name : {"button5", "button6", "button5"}) click(name);
  EXPECT_FALSE(fw.button(4)) << "a second click lets go";
  EXPECT_TRUE(fw.button(5));
  child<QCheckBox>("momentary")->setChecked(true);
  EXPECT_FALSE(fw.button(5)) << "a latched button lets go in momentary mode";
  QTest::mousePress(child<QPushButton>("button64"), Qt::LeftButton);
  EXPECT_TRUE(fw.button(63));
  QTest::mouseRelease(child<QPushButton>("button64"), Qt::LeftButton);
  EXPECT_FALSE(fw.button(63));
}

TEST_F(WheelTest, StepButtonsTurnTheKnob) {
  BoardFirmware& fw = platform.firmware(1);  // left rotary: encoder, 32 ms pulses
  std::string pulses;
  for (const char* step : {"leftStepCw", "leftStepCcw", "leftStepCcw"}) {
    click(step);
    pulses += std::to_string(fw.reportedButtons()[5]);  // buttons 41..48
    platform.advanceUs(64'000);                         // the pulse and the gap after it
  }
  EXPECT_EQ(pulses, "122") << "CW 41, then CCW 42 also across the wrap";
  EXPECT_EQ(fw.rotary().position(RotaryInputs::Left), 11);
}

TEST_F(WheelTest, AnimationMovesThePaddlesAndReleasesItsButton) {
  selectBoard(0);
  BoardFirmware& fw = platform.firmware(0);
  child<QCheckBox>("animate")->setChecked(true);
  platform.advanceUs(1'000'000);
  wheel.tick();
  const WheelPose pose = AnimatedPose(1'000'000);
  EXPECT_TRUE(fw.button(pose.button));
  EXPECT_EQ(child<QSlider>("leftPaddle")->value(), pose.paddles[0]);
  selectBoard(1);  // switching boards stops the animation
  EXPECT_FALSE(fw.button(pose.button));
}

}  // namespace
}  // namespace torvex::sim
