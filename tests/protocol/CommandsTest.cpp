// What the window puts on the wire for each command: exact bytes, guards, pacing.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QSlider>
#include <functional>

#include "protocol/BoardSession.h"

namespace torvex::test {
namespace {

using Op = std::function<void(frmMain&)>;

protocol::Bytes Frame(std::initializer_list<int> head) {
  protocol::Bytes f(64, 0);
  std::size_t i = 0;
  for (int b : head) f[i++] = static_cast<std::uint8_t>(b);
  return f;
}

struct FrameCase {
  const char* name;
  Op op;
  protocol::Bytes frame;
  int pauseMs;
};

const FrameCase kFrames[] = {
    {"setting", [](frmMain& f) { f.SendSettingCommand(0x45, 1); }, Frame({0, 1, 0x45, 1}), 10},
    {"setting 0xFF", [](frmMain& f) { f.SendSettingCommand(0x60, 255); }, Frame({0, 1, 0x60, 0xFF}),
     10},
    {"reset all", [](frmMain& f) { f.Command2_Click(); }, Frame({0, 3, 4, 5}), 0},
    {"monitor Y", [](frmMain& f) { f.SendMonitorCommand(2); }, Frame({0, 4, 0x0A, 2}), 0},
    {"calibrate", [](frmMain& f) { f.SendCalibrationCommand(3); }, Frame({0, 5, 0x0B, 3}), 0},
    {"pulse width 64 ms", [](frmMain& f) { f.delay_Click(); }, Frame({0, 1, 0x40, 8}), 0},
    // Picking from the list runs delay_Click.
    {"pulse width 200 ms", [](frmMain& f) { f.delay->setCurrentIndex(24); },
     Frame({0, 1, 0x40, 25}), 0},
    {"pulse width 8 ms", [](frmMain& f) { f.delay->setCurrentIndex(0); }, Frame({0, 1, 0x40, 1}),
     0},
};

TEST(Commands, EachReportIsOneExactFrame) {
  for (const auto& c : kFrames) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    form.LastApiResult = 77;
    const auto t0 = rig.nowMs();
    c.op(form);
    ASSERT_EQ(rig.sent(0).size(), 1u);
    EXPECT_EQ(rig.sent(0)[0], c.frame);
    EXPECT_EQ(rig.nowMs() - t0, c.pauseMs);
    EXPECT_EQ(form.LastApiResult, 1);
  }
}

// Without an open, loaded board, or with a feature report too short for any
// frame, nothing goes out and LastApiResult keeps its value; only the setting
// command still takes its 10 ms.
TEST(Commands, NothingSentUnlessOpenLoadedAndLongEnough) {
  enum class State { NoBoard, NotLoaded, ThreeByteReports };
  for (State state : {State::NoBoard, State::NotLoaded, State::ThreeByteReports}) {
    for (const auto& c : kFrames) {
      SCOPED_TRACE(c.name);
      Rig rig;
      rig.addBoard(u"A");
      frmMain& form = LoadConnected(rig);
      form.DeviceDetected = state != State::NoBoard;
      form.ConfigurationLoaded = state != State::NotLoaded;
      if (state == State::ThreeByteReports) form.FeatureReportLength = 3;
      form.LastApiResult = 77;
      const auto t0 = rig.nowMs();
      c.op(form);
      EXPECT_TRUE(rig.platform.featureLog().empty());
      EXPECT_EQ(form.LastApiResult, 77);
      EXPECT_EQ(rig.nowMs() - t0, c.pauseMs);
    }
  }
}

TEST(Commands, ValueOrCodeOutsideAByteIsRefusedWithoutPause) {
  const std::pair<long long, long long> cases[] = {
      {-1, 0}, {256, 0}, {0x45, 256}, {0x45, -1}, {0x46, 1LL << 40}};
  for (auto [code, value] : cases) {
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    const auto t0 = rig.nowMs();
    form.SendSettingCommand(code, value);
    EXPECT_TRUE(rig.platform.featureLog().empty()) << code << "," << value;
    EXPECT_EQ(rig.nowMs() - t0, 0) << code << "," << value;
  }
}

TEST(Commands, ResetChangesNoControlAndFailedSendIsOnlyRecorded) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  form.analogInputModeCombo->setCurrentIndex(1);
  form.clutchBiteSlider->setValue(1234);
  rig.platform.clearLog();
  form.Command2_Click();
  EXPECT_EQ(rig.platform.firmware(0).resetCount(), 1);
  EXPECT_EQ(form.analogInputModeCombo->currentIndex(), 1);
  EXPECT_EQ(form.clutchBiteSlider->value(), 1234);
  EXPECT_EQ(rig.platform.featureLog().size(), 1u);  // no read-back follows

  rig.platform.device(0).failNext[sim::Op::SetFeature] = 1;
  const auto t0 = rig.nowMs();
  form.SendSettingCommand(0x48, 1);
  EXPECT_EQ(form.LastApiResult, 0);
  EXPECT_EQ(rig.nowMs() - t0, 10);
  EXPECT_EQ(rig.sent(0).size(), 2u);  // no retry
}

}  // namespace
}  // namespace torvex::test
