// SPDX-License-Identifier: MIT
// Rotary inputs as the host sees them: input reports read from a board on
// virtual time.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

constexpr RotaryInputs::Side L = RotaryInputs::Left, R = RotaryInputs::Right;

using Turn = std::pair<RotaryInputs::Side, int>;  // side, detents

struct Case {
  const char* name;
  int widthStep, leftMode, rightMode;
  std::vector<Turn> before;  // turned a second ahead, with nobody reading
  std::vector<Turn> turns;   // turned at 0 ms
  const char* edges;         // "#reports", then "ms:button+" pressed, "ms:button-" released
};

// The reports the host reads and the button edges in them; buttons numbered 1..64.
std::string TurnAndRead(const Case& c) {
  VirtualPlatform platform;
  const int board = platform.addBoard({});
  BoardFirmware& fw = platform.firmware(board);
  for (auto [code, value] : {std::pair{0x40, c.widthStep}, {0x49, c.leftMode}, {0x4A, c.rightMode}})
    fw.setSetting(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(value));
  for (auto [side, detents] : c.before) fw.turnRotary(side, detents);
  platform.advanceUs(1'000'000);

  const auto h = platform.open(platform.device(board).path, hid::OpenMode::NonBlocking);
  std::array<std::uint8_t, 8> last = fw.reportedButtons();
  std::string edges;
  int reports = 0;
  for (auto [side, detents] : c.turns) fw.turnRotary(side, detents);
  for (int ms = 0; ms <= 700; ++ms) {
    if (ms) platform.advanceUs(1000);
    const Bytes in = platform.readInput(h, 1000).bytes;
    for (std::size_t at = 0; at + 13 <= in.size(); at += 13, ++reports) {
      for (int k = 0; k < 64; ++k) {
        const bool now = in[at + 1 + k / 8] >> (k % 8) & 1;
        if (now != bool(last[k / 8] >> (k % 8) & 1))
          edges += " " + std::to_string(ms) + ":" + std::to_string(k + 1) + (now ? "+" : "-");
      }
      std::copy_n(&in[at + 1], 8, last.begin());
    }
  }
  return "#" + std::to_string(reports) + edges;
}

TEST(RotaryEdges, PressTheDocumentedButtonsForThePulseWidth) {
  const Case cases[] = {
      {"EncoderTwoDetentsLongest", 25, 2, 0, {}, {{L, 2}}, "#4 0:41+ 200:41- 400:41+ 600:41-"},
      {"RightEncoderCcw", 3, 0, 2, {}, {{R, -1}}, "#2 0:54+ 24:54-"},
      {"ReverseWaitsForTheGap", 2, 2, 0, {}, {{L, 1}, {L, -1}}, "#4 0:41+ 16:41- 32:42+ 48:42-"},
      {"PulsedTwelveWay", 8, 1, 0, {}, {{L, 3}}, "#2 0:44+ 64:44-"},
      {"PulsedTwelveWayRightWraps", 1, 0, 1, {}, {{R, -1}}, "#2 0:64+ 8:64-"},
      {"TwelveWayWrapsBackwards", 1, 0, 0, {}, {{L, -1}}, "#1 0:41- 0:52+"},
      {"ShiftedRightEncoderCcw", 1, 3, 3, {{L, 1}}, {{R, -1}}, "#2 0:56+ 8:56-"},
      {"ShiftedRightEncoderCw", 1, 3, 3, {{L, 4}}, {{R, 1}}, "#2 0:55+ 8:55-"},
      {"ShiftBackAtZeroUnshifts", 1, 3, 3, {{L, 1}, {L, -1}}, {{R, 1}}, "#2 0:53+ 8:53-"},
      {"ShiftedLeftEncoder", 1, 4, 4, {{R, 2}}, {{L, 1}}, "#2 0:43+ 8:43-"},
      {"UnshiftedLeftEncoderCcw", 1, 4, 4, {}, {{L, -1}}, "#2 0:42+ 8:42-"},
      {"ShiftInputPressesNothing", 1, 3, 3, {}, {{L, 1}}, "#0"},
      {"ShiftWithoutItsPartnerDoesNotShift", 1, 2, 4, {{R, 1}}, {{L, 1}}, "#2 0:41+ 8:41-"},
      {"UnknownModePressesNothing", 1, 7, 9, {}, {{L, 1}, {R, 1}}, "#0"},
  };
  for (const auto& c : cases) EXPECT_EQ(TurnAndRead(c), c.edges) << c.name;
}

TEST(RotaryPulses, ModeChangeReleasesAPulse) {
  BoardFirmware fw;
  fw.setSetting(0x40, 25);
  fw.setSetting(0x4A, 2);
  fw.turnRotary(R, -1);    // button 54 pulses for 200 ms
  fw.setSetting(0x4A, 0);  // now a 12-way switch at position 11: button 64 held
  EXPECT_EQ(fw.reportedButtons()[6], 0x00);
  EXPECT_EQ(fw.reportedButtons()[7], 0x80);
}

}  // namespace
}  // namespace torvex::sim
