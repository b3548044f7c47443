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
  EXPECT_EQ(AnimatedPose(8'000'000).paddles[0], 0);
  EXPECT_EQ(AnimatedPose(6'000'000).rotaryDetents, 3);
  int largestStep = 0;
  for (std::int64_t t = 0; t <= 20'000'000; t += 10'000) {
    const WheelPose a = AnimatedPose(t);
    const WheelPose b = AnimatedPose(t + 10'000);
    for (int p = 0; p < 2; ++p)
      largestStep = std::max(largestStep, std::abs(a.paddles[p] - b.paddles[p]));
    ASSERT_LT(b.button, 40) << "buttons 41..64 belong to the rotaries";
    ASSERT_TRUE(b.button == a.button || b.button == (a.button + 1) % 40) << "one after another";
  }
  EXPECT_LE(largestStep, 200) << "a sweep slow enough to draw a curve";
}

class WheelTest : public ::testing::Test {
 protected:
  WheelTest() {
    AddDemoBoards(platform);
    wheel = std::make_unique<VirtualWheel>(platform);
  }
  template <typename T>
  T* child(const char* name) {
    T* c = wheel->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  void selectBoard(int row) { child<QComboBox>("boardCombo")->setCurrentIndex(row); }
  void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
  VirtualPlatform platform;
  std::unique_ptr<VirtualWheel> wheel;
};

TEST_F(WheelTest, HandsAndLedFollowTheSelectedBoard) {
  auto* combo = child<QComboBox>("boardCombo");
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(0), "TVX-24A-0117");
  EXPECT_EQ(combo->itemText(1), "TVX-24A-0342");
  EXPECT_EQ(wheel->board(), 1) << "the hands start on the board the window opens";
  for (int row : {0, 1})
    for (int paddle : {0, 1}) {
      selectBoard(row);
      const int value = 1000 + 100 * row + paddle;
      child<QSlider>(paddle ? "rightPaddle" : "leftPaddle")->setValue(value);
      EXPECT_EQ(platform.firmware(row).paddle(paddle), value);
      EXPECT_NE(platform.firmware(1 - row).paddle(paddle), value);
    }
  auto* led = child<QProgressBar>("ledIntensity");
  EXPECT_EQ(led->value(), 128);
  selectBoard(0);
  EXPECT_EQ(led->value(), 255);
  platform.firmware(0).setSetting(0x60, 42);
  wheel->tick();
  EXPECT_EQ(led->value(), 42);
}

TEST_F(WheelTest, ButtonsToggleOrPressMomentarily) {
  selectBoard(0);
  BoardFirmware& fw = platform.firmware(0);
  click("button5");
  EXPECT_TRUE(fw.button(4));
  click("button5");
  EXPECT_FALSE(fw.button(4));
  click("button5");
  child<QCheckBox>("momentary")->setChecked(true);
  EXPECT_FALSE(fw.button(4)) << "a latched button lets go in momentary mode";
  auto* b64 = child<QPushButton>("button64");
  QTest::mousePress(b64, Qt::LeftButton);
  EXPECT_TRUE(fw.button(63));
  QTest::mouseRelease(b64, Qt::LeftButton);
  EXPECT_FALSE(fw.button(63));
}

TEST_F(WheelTest, RateAndPlugActOnTheSelectedBoard) {
  selectBoard(0);
  auto* rate = child<QComboBox>("rateCombo");
  EXPECT_EQ(rate->currentText(), "250 Hz");
  for (auto [row, periodUs] : {std::pair{0, 1000}, {2, 0}, {1, 4000}}) {
    rate->setCurrentIndex(row);
    EXPECT_EQ(platform.device(0).reportPeriodUs, periodUs) << row;
    EXPECT_EQ(platform.device(1).reportPeriodUs, 4000) << "the other board keeps its rate";
  }
  selectBoard(1);
  auto* plug = child<QPushButton>("plugButton");
  EXPECT_EQ(plug->text(), "Plugged in");
  click("plugButton");
  EXPECT_FALSE(platform.device(1).plugged);
  EXPECT_TRUE(platform.device(0).plugged);
  EXPECT_EQ(plug->text(), "Unplugged");
  click("plugButton");
  EXPECT_TRUE(platform.device(1).plugged);
}

TEST_F(WheelTest, StepButtonsTurnTheKnob) {
  selectBoard(1);  // left rotary: encoder, 32 ms pulses
  BoardFirmware& fw = platform.firmware(1);
  struct Case {
    const char* button;
    int position;
    std::uint8_t byte5;  // buttons 41..48
  } cases[] = {{"leftStepCw", 1, 0x01}, {"leftStepCcw", 0, 0x02}, {"leftStepCcw", 11, 0x02}};
  for (const auto& c : cases) {
    click(c.button);
    EXPECT_EQ(fw.rotary().position(RotaryInputs::Left), c.position) << c.button;
    EXPECT_EQ(fw.reportedButtons()[5], c.byte5) << c.button;
    platform.advanceUs(64'000);  // the pulse and the gap after it
  }
}

TEST_F(WheelTest, AnimationMovesThePaddlesAndReleasesItsButton) {
  selectBoard(0);
  BoardFirmware& fw = platform.firmware(0);
  child<QCheckBox>("animate")->setChecked(true);
  platform.advanceUs(1'000'000);
  wheel->tick();
  const WheelPose pose = AnimatedPose(1'000'000);
  EXPECT_EQ(fw.paddle(0), pose.paddles[0]);
  EXPECT_EQ(fw.paddle(1), pose.paddles[1]);
  EXPECT_TRUE(fw.button(pose.button));
  EXPECT_EQ(child<QSlider>("leftPaddle")->value(), pose.paddles[0]);
  selectBoard(1);  // switching boards stops the animation
  EXPECT_FALSE(child<QCheckBox>("animate")->isChecked());
  EXPECT_FALSE(fw.button(pose.button));
}

}  // namespace
}  // namespace torvex::sim
