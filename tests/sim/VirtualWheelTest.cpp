#include "sim/VirtualWheel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "SimTestUtil.h"
#include "sim/DemoBoards.h"
#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

template <typename T>
T* Child(QWidget& w, const QString& name) {
  T* c = w.findChild<T*>(name);
  EXPECT_NE(c, nullptr) << name.toStdString();
  return c;
}

TEST(AnimatedPose, SweepsSlowlyAndWalksTheButtons) {
  const WheelPose start = AnimatedPose(0);
  EXPECT_EQ(start.paddles[0], 0);
  EXPECT_EQ(start.paddles[1], 65535) << "the paddles move out of phase";
  EXPECT_EQ(AnimatedPose(4'000'000).paddles[0], 65535);
  EXPECT_EQ(AnimatedPose(8'000'000).paddles[0], 0);

  int largestStep = 0;
  std::vector<int> walked;
  for (std::int64_t t = 0; t <= 20'000'000; t += 10'000) {
    const WheelPose a = AnimatedPose(t);
    const WheelPose b = AnimatedPose(t + 10'000);
    for (int p = 0; p < 2; ++p)
      largestStep = std::max(largestStep, std::abs(int{a.paddles[p]} - int{b.paddles[p]}));
    ASSERT_GE(a.button, 0);
    ASSERT_LT(a.button, 40) << "buttons 41..64 belong to the rotaries";
    if (walked.empty() || walked.back() != a.button) walked.push_back(a.button);
  }
  EXPECT_LE(largestStep, 200) << "a sweep slow enough to draw a curve";
  ASSERT_GE(walked.size(), 42u);
  for (std::size_t i = 1; i < walked.size(); ++i)
    EXPECT_EQ(walked[i], (walked[i - 1] + 1) % 40) << "one button after the other";
  EXPECT_EQ(AnimatedPose(1'999'999).rotaryDetents, 0);
  EXPECT_EQ(AnimatedPose(6'000'000).rotaryDetents, 3);
}

class WheelTest : public ::testing::Test {
 protected:
  WheelTest() {
    AddDemoBoards(platform);
    wheel = std::make_unique<VirtualWheel>(platform);
  }
  void selectBoard(int row) { Child<QComboBox>(*wheel, "boardCombo")->setCurrentIndex(row); }
  VirtualPlatform platform;
  std::unique_ptr<VirtualWheel> wheel;
};

TEST_F(WheelTest, ListsTheBoardsBySerialNumber) {
  auto* combo = Child<QComboBox>(*wheel, "boardCombo");
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(0), "TVX-24A-0117");
  EXPECT_EQ(combo->itemText(1), "TVX-24A-0342");
  EXPECT_EQ(wheel->board(), 1) << "the hands start on the board the window opens";
  selectBoard(0);
  EXPECT_EQ(wheel->board(), 0);
}

TEST_F(WheelTest, HandsActOnTheSelectedBoardOnly) {
  struct Case {
    int row;
    int paddle;
    int value;
  } cases[] = {{0, 0, 1111}, {0, 1, 2222}, {1, 0, 3333}, {1, 1, 65535}};
  for (const auto& c : cases) {
    selectBoard(c.row);
    const std::uint16_t other = platform.firmware(1 - c.row).paddle(c.paddle);
    Child<QSlider>(*wheel, c.paddle ? "rightPaddle" : "leftPaddle")->setValue(c.value);
    EXPECT_EQ(platform.firmware(c.row).paddle(c.paddle), c.value) << c.row;
    EXPECT_EQ(platform.firmware(1 - c.row).paddle(c.paddle), other) << c.row;
  }
}

TEST_F(WheelTest, ButtonsToggleOrPressMomentarily) {
  selectBoard(0);
  BoardFirmware& fw = platform.firmware(0);
  auto* b5 = Child<QPushButton>(*wheel, "button5");
  QTest::mouseClick(b5, Qt::LeftButton);
  EXPECT_TRUE(fw.button(4));
  QTest::mouseClick(b5, Qt::LeftButton);
  EXPECT_FALSE(fw.button(4));

  QTest::mouseClick(b5, Qt::LeftButton);
  ASSERT_TRUE(fw.button(4));
  Child<QCheckBox>(*wheel, "momentary")->setChecked(true);
  EXPECT_FALSE(fw.button(4)) << "a latched button lets go in momentary mode";

  auto* b64 = Child<QPushButton>(*wheel, "button64");
  QTest::mousePress(b64, Qt::LeftButton);
  EXPECT_TRUE(fw.button(63));
  QTest::mouseRelease(b64, Qt::LeftButton);
  EXPECT_FALSE(fw.button(63));
}

TEST_F(WheelTest, RateListSetsTheReportPeriod) {
  struct Case {
    int row;
    std::int64_t periodUs;
  } cases[] = {{0, 1000}, {2, 0}, {1, 4000}};
  selectBoard(0);
  auto* rate = Child<QComboBox>(*wheel, "rateCombo");
  EXPECT_EQ(rate->currentText(), "250 Hz");
  for (const auto& c : cases) {
    rate->setCurrentIndex(c.row);
    EXPECT_EQ(platform.device(0).reportPeriodUs, c.periodUs) << c.row;
    EXPECT_EQ(platform.device(1).reportPeriodUs, 4000) << "the other board keeps its rate";
  }
}

TEST_F(WheelTest, PlugButtonUnplugsAndPlugsTheBoard) {
  selectBoard(1);
  auto* plug = Child<QPushButton>(*wheel, "plugButton");
  EXPECT_EQ(plug->text(), "Plugged in");
  QTest::mouseClick(plug, Qt::LeftButton);
  EXPECT_FALSE(platform.device(1).plugged);
  EXPECT_TRUE(platform.device(0).plugged);
  EXPECT_EQ(plug->text(), "Unplugged");
  QTest::mouseClick(plug, Qt::LeftButton);
  EXPECT_TRUE(platform.device(1).plugged);
  EXPECT_EQ(platform.firmware(1).setting(0x5C), 1) << "settings survive the unplug";
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
    QTest::mouseClick(Child<QPushButton>(*wheel, c.button), Qt::LeftButton);
    EXPECT_EQ(fw.rotary().position(RotaryInputs::Left), c.position) << c.button;
    EXPECT_EQ(fw.reportedButtons()[5], c.byte5) << c.button;
    platform.advanceUs(64'000);  // the pulse and the gap after it
    EXPECT_EQ(fw.reportedButtons()[5], 0x00) << c.button;
  }
}

TEST_F(WheelTest, ShowsTheBoardsLedIntensity) {
  selectBoard(0);
  auto* led = Child<QProgressBar>(*wheel, "ledIntensity");
  EXPECT_EQ(led->value(), 255);
  selectBoard(1);
  EXPECT_EQ(led->value(), 128);
  platform.firmware(1).receiveFeature(testutil::Hex("00 01 60 2A", 64));
  wheel->tick();
  EXPECT_EQ(led->value(), 42);
}

TEST_F(WheelTest, AnimationMovesThePaddlesAndReleasesItsButton) {
  selectBoard(0);
  BoardFirmware& fw = platform.firmware(0);
  Child<QCheckBox>(*wheel, "animate")->setChecked(true);
  platform.advanceUs(1'000'000);
  wheel->tick();
  const WheelPose pose = AnimatedPose(1'000'000);
  EXPECT_EQ(fw.paddle(0), pose.paddles[0]);
  EXPECT_EQ(fw.paddle(1), pose.paddles[1]);
  EXPECT_TRUE(fw.button(pose.button));
  EXPECT_EQ(Child<QSlider>(*wheel, "leftPaddle")->value(), pose.paddles[0]);
  selectBoard(1);  // switching boards stops the animation
  EXPECT_FALSE(Child<QCheckBox>(*wheel, "animate")->isChecked());
  EXPECT_FALSE(fw.button(pose.button));
}

}  // namespace
}  // namespace torvex::sim
