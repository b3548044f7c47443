// SPDX-License-Identifier: MIT
#include "sim/VirtualWheel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
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

// The demo's two boards; the hands start on the second, the one the window opens.
TEST(Wheel, ControlsAndTheAnimationActOnTheSelectedBoardOnly) {
  VirtualPlatform platform;
  AddDemoBoards(platform);
  VirtualWheel wheel(platform);
  QPushButton* plug = wheel.findChild<QPushButton*>("plugButton");
  wheel.findChild<QComboBox*>("boardCombo")->setCurrentIndex(0);
  wheel.findChild<QSlider*>("leftPaddle")->setValue(1000);
  wheel.findChild<QSlider*>("rightPaddle")->setValue(2000);
  wheel.findChild<QComboBox*>("rateCombo")->setCurrentIndex(2);  // on change
  QTest::mouseClick(plug, Qt::LeftButton);
  for (int b : {0, 1})
    EXPECT_EQ(std::tuple(platform.firmware(b).paddle(0), platform.firmware(b).paddle(1),
                         platform.device(b).reportPeriodUs, platform.device(b).plugged),
              b ? std::tuple(20000, 40000, 4000, true) : std::tuple(1000, 2000, 0, false));
  QTest::mouseClick(plug, Qt::LeftButton);
  EXPECT_TRUE(platform.device(0).plugged);

  wheel.findChild<QCheckBox*>("animate")->setChecked(true);
  platform.advanceUs(1'000'000);
  wheel.tick();
  const WheelPose pose = AnimatedPose(1'000'000);
  EXPECT_TRUE(platform.firmware(0).button(pose.button));
  EXPECT_EQ(wheel.findChild<QSlider*>("leftPaddle")->value(), pose.paddles[0]);
  wheel.findChild<QComboBox*>("boardCombo")->setCurrentIndex(1);  // stops the animation
  EXPECT_FALSE(platform.firmware(0).button(pose.button));
}

}  // namespace
}  // namespace torvex::sim
