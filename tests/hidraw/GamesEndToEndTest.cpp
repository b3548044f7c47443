// SPDX-License-Identifier: MIT
// Per-game profiles through the real backend: the agent on the real /proc
// sees a linked game start and end, and the launch wrapper runs one; the
// board holds the profile while the game runs and its own settings after.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "HidrawRig.h"
#include "protocol/Protocol.h"

namespace torvex::test {
namespace {

namespace code = protocol::code;

// Waits up to `ms` of wall time for the board to hold `value`: the agent
// looks for new processes once a second.
bool Holds(HidrawDevice& device, std::uint8_t value, int ms) {
  return QTest::qWaitFor(
      [&] { return device.firmware.setting(code::SetMasterClutchMode) == value; }, ms);
}

TEST(EndToEnd, ALinkedGameGetsItsProfileWhileItRunsByAgentOrWrapper) {
  HidrawRig rig;
  const int b = rig.add();
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
  hid::HidapiPlatform platform(rig.udevControl());
  rig[b].firmware.setSetting(code::SetMasterClutchMode, 1);
  ASSERT_EQ(Ctl(platform, {"save", "gt3"}).first, cli::kDone);
  rig[b].firmware.setSetting(code::SetMasterClutchMode, 0);
  ASSERT_EQ(Ctl(platform, {"link", "gt3", "--exe", "torvex-test-game"}).first, cli::kDone);

  volatile std::sig_atomic_t stop = 0;
  hid::HidapiPlatform agentPlatform(rig.udevControl());
  std::thread agent([&] { EXPECT_EQ(Ctl(agentPlatform, {"agent"}, &stop).first, cli::kDone); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // its first look at /proc
  const pid_t game = ::fork();
  if (game == 0) {
    ::execlp("bash", "bash", "-c", "exec -a torvex-test-game sleep 30", nullptr);
    ::_exit(127);
  }
  EXPECT_TRUE(Holds(rig[b], 1, 3000)) << "the profile within a second or so of the start";
  ::kill(game, SIGTERM);
  ::waitpid(game, nullptr, 0);
  EXPECT_TRUE(Holds(rig[b], 0, 1000)) << "the settings before, once the game ended";
  stop = 1;
  agent.join();

  rig[b].featureCalls.clear();
  EXPECT_EQ(Ctl(platform, {"run", "gt3", "--", "sh", "-c", "exit 7"}).first, 7);
  EXPECT_EQ(rig[b].firmware.setting(code::SetMasterClutchMode), 0);
  std::string sets;  // the wrapper's writes: the profile, then back
  for (const auto& [file, bytes] : rig[b].featureCalls)
    if (bytes.size() > 3 && bytes[1] == 1 && bytes[2] == code::SetMasterClutchMode)
      sets += std::to_string(bytes[3]);
  EXPECT_EQ(sets, "10");
}

}  // namespace
}  // namespace torvex::test
