// What the window puts on the wire for each command: exact bytes, guards, pacing.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QSlider>
#include <functional>

#include "protocol/BoardSession.h"

namespace torvex::test {
namespace {

using Op = std::function<void(frmMain&)>;

protocol::Bytes Frame(std::initializer_list<int> head, std::size_t length = 64) {
  protocol::Bytes f(length, 0);
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
    {"setting zero", [](frmMain& f) { f.SendSettingCommand(0x5E, 0); }, Frame({0, 1, 0x5E, 0}), 10},
    {"reset all", [](frmMain& f) { f.Command2_Click(); }, Frame({0, 3, 4, 5}), 0},
    {"monitor Y", [](frmMain& f) { f.SendMonitorCommand(2); }, Frame({0, 4, 0x0A, 2}), 0},
    {"monitor off", [](frmMain& f) { f.SendMonitorCommand(0); }, Frame({0, 4, 0x0A, 0}), 0},
    {"calibrate X low", [](frmMain& f) { f.SendCalibrationCommand(3); }, Frame({0, 5, 0x0B, 3}), 0},
    {"calibrate Y high", [](frmMain& f) { f.SendCalibrationCommand(2); }, Frame({0, 5, 0x0B, 2}),
     0},
    {"pulse width 64 ms", [](frmMain& f) { f.delay_Click(); }, Frame({0, 1, 0x40, 8}), 0},
    {"pulse width 200 ms",
     [](frmMain& f) {
       f.delay->setCurrentIndex(24);  // runs delay_Click
     },
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

TEST(Commands, ResetChangesNoControl) {
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
  EXPECT_EQ(rig.sent(0).size(), 1u);  // no read-back follows
  EXPECT_TRUE(rig.platform.featureLog().back().isSet);
}

// Without an open, loaded board nothing goes out and LastApiResult keeps its
// value; only the setting command still takes its 10 ms.
TEST(Commands, NothingSentUnlessOpenAndLoaded) {
  enum class State { NoBoard, NotLoaded };
  for (State state : {State::NoBoard, State::NotLoaded}) {
    for (const auto& c : kFrames) {
      SCOPED_TRACE(c.name);
      Rig rig;
      rig.addBoard(u"A");
      frmMain& form = LoadConnected(rig);
      if (state == State::NoBoard) form.DeviceDetected = false;
      if (state == State::NotLoaded) form.ConfigurationLoaded = false;
      form.LastApiResult = 77;
      const auto t0 = rig.nowMs();
      c.op(form);
      EXPECT_TRUE(rig.platform.featureLog().empty());
      EXPECT_EQ(form.LastApiResult, 77);
      EXPECT_EQ(rig.nowMs() - t0, c.pauseMs);
    }
  }
}

TEST(Commands, WithNoBoardAtAllNothingIsSent) {
  Rig rig;
  frmMain& form = rig.load();
  rig.platform.clearLog();
  form.LastApiResult = 77;
  for (const auto& c : kFrames) c.op(form);
  EXPECT_TRUE(rig.platform.featureLog().empty());
  EXPECT_EQ(form.LastApiResult, 77);
}

TEST(Commands, ValueOrCodeOutsideAByteIsRefusedWithoutPause) {
  const std::pair<long long, long long> cases[] = {
      {-1, 0}, {256, 0}, {0x45, 256}, {0x45, -1}, {0x46, 1LL << 40}};
  for (auto [code, value] : cases) {
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    form.LastApiResult = 77;
    const auto t0 = rig.nowMs();
    form.SendSettingCommand(code, value);
    EXPECT_TRUE(rig.platform.featureLog().empty()) << code << "," << value;
    EXPECT_EQ(rig.nowMs() - t0, 0) << code << "," << value;
    EXPECT_EQ(form.LastApiResult, 77);
  }
}

TEST(Commands, FailedSendIsOnlyRecorded) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  rig.platform.device(0).failNext[sim::Op::SetFeature] = 1;
  const auto t0 = rig.nowMs();
  form.SendSettingCommand(0x48, 1);
  EXPECT_EQ(form.LastApiResult, 0);
  EXPECT_EQ(rig.nowMs() - t0, 10);
  form.SendSettingCommand(0x48, 1);
  EXPECT_EQ(form.LastApiResult, 1);
  EXPECT_EQ(rig.sent(0).size(), 2u);  // no retry
}

// A board whose feature report is too short for a frame is never written
// past its buffer: commands need 4 bytes, calibration and monitor 5.
TEST(Commands, ShortFeatureReportsSkipWhatDoesNotFit) {
  struct Case {
    std::uint16_t length;
    bool setting, reset, pulse, monitor, calibration;
  } cases[] = {
      {0, false, false, false, false, false},
      {3, false, false, false, false, false},
      {4, true, true, true, false, false},
      {5, true, true, true, true, true},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    form.FeatureReportLength = c.length;
    const std::pair<bool, Op> ops[] = {
        {c.setting, [](frmMain& f) { f.SendSettingCommand(0x45, 1); }},
        {c.reset, [](frmMain& f) { f.Command2_Click(); }},
        {c.pulse, [](frmMain& f) { f.delay_Click(); }},
        {c.monitor, [](frmMain& f) { f.SendMonitorCommand(1); }},
        {c.calibration, [](frmMain& f) { f.SendCalibrationCommand(4); }},
    };
    for (const auto& [expected, op] : ops) {
      rig.platform.clearLog();
      op(form);
      const auto sent = rig.sent(0);
      ASSERT_EQ(sent.size(), expected ? 1u : 0u) << "length " << c.length;
      if (expected) {
        EXPECT_EQ(sent[0].size(), c.length);
      }
    }
    const auto t0 = rig.nowMs();
    form.SendSettingCommand(0x45, 0);
    EXPECT_EQ(rig.nowMs() - t0, 10) << "the pause stays, length " << c.length;
  }
}

}  // namespace
}  // namespace torvex::test
