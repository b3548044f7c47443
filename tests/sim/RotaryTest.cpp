// Rotary inputs as the host sees them: input reports read every millisecond
// of virtual time from a board that reports on change.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

constexpr RotaryInputs::Side L = RotaryInputs::Left;
constexpr RotaryInputs::Side R = RotaryInputs::Right;

struct Turn {
  RotaryInputs::Side side;
  int detents;
};

struct Case {
  const char* name;
  int widthStep, leftMode, rightMode;
  std::vector<Turn> before;  // turned a second ahead, with nobody reading
  std::vector<Turn> turns;   // turned at 0 ms
  const char* edges;         // "ms:button+" pressed, "ms:button-" released, over 700 ms
};

// Reads the board every millisecond of virtual time; buttons numbered 1..64.
std::string TurnAndRead(const Case& c) {
  VirtualPlatform platform;
  const int board = platform.addBoard({});
  BoardFirmware& fw = platform.firmware(board);
  fw.setSetting(0x40, static_cast<std::uint8_t>(c.widthStep));
  fw.setSetting(0x49, static_cast<std::uint8_t>(c.leftMode));
  fw.setSetting(0x4A, static_cast<std::uint8_t>(c.rightMode));
  for (const Turn& t : c.before) fw.turnRotary(t.side, t.detents);
  platform.advanceUs(1'000'000);

  const auto h = platform.open(platform.device(board).path, hid::OpenMode::NonBlocking);
  std::array<std::uint8_t, 8> last = fw.reportedButtons();
  std::string edges;
  for (const Turn& t : c.turns) fw.turnRotary(t.side, t.detents);
  for (int ms = 0; ms <= 700; ++ms) {
    if (ms) platform.advanceUs(1000);
    const auto in = platform.readInput(h, 500);
    for (std::size_t at = 0; at + 13 <= in.bytes.size(); at += 13) {
      for (int k = 0; k < 64; ++k) {
        const bool now = in.bytes[at + 1 + k / 8] & (1 << (k % 8));
        if (now != bool(last[k / 8] & (1 << (k % 8))))
          edges += (edges.empty() ? "" : " ") + std::to_string(ms) + ":" + std::to_string(k + 1) +
                   (now ? "+" : "-");
      }
      std::copy_n(&in.bytes[at + 1], 8, last.begin());
    }
  }
  platform.close(h);
  return edges;
}

TEST(RotaryEdges, PressTheDocumentedButtonsForThePulseWidth) {
  const Case cases[] = {
      {"EncoderTwoDetentsLongest", 25, 2, 0, {}, {{L, 2}}, "0:41+ 200:41- 400:41+ 600:41-"},
      {"RightEncoderCcw", 3, 0, 2, {}, {{R, -1}}, "0:54+ 24:54-"},
      {"BackAndForthWaitsForTheGap", 2, 2, 0, {}, {{L, 1}, {L, -1}}, "0:41+ 16:41- 32:42+ 48:42-"},
      {"PulsedTwelveWay", 8, 1, 0, {}, {{L, 3}}, "0:44+ 64:44-"},
      {"PulsedTwelveWayRightWraps", 1, 0, 1, {}, {{R, -1}}, "0:64+ 8:64-"},
      {"TwelveWayWrapsBackwards", 1, 0, 0, {}, {{L, -1}}, "0:41- 0:52+"},
      {"ShiftedRightEncoderCcw", 1, 3, 3, {{L, 1}}, {{R, -1}}, "0:56+ 8:56-"},
      {"ShiftedRightEncoderCw", 1, 3, 3, {{L, 4}}, {{R, 1}}, "0:55+ 8:55-"},
      {"ShiftBackAtZeroUnshifts", 1, 3, 3, {{L, 1}, {L, -1}}, {{R, 1}}, "0:53+ 8:53-"},
      {"ShiftedLeftEncoder", 1, 4, 4, {{R, 2}}, {{L, 1}}, "0:43+ 8:43-"},
      {"UnshiftedLeftEncoderCcw", 1, 4, 4, {}, {{L, -1}}, "0:42+ 8:42-"},
      {"ShiftInputPressesNothing", 1, 3, 3, {}, {{L, 1}}, ""},
      {"ShiftWithoutItsPartnerDoesNotShift", 1, 2, 4, {{R, 1}}, {{L, 1}}, "0:41+ 8:41-"},
      {"UnknownModePressesNothing", 1, 7, 9, {}, {{L, 1}, {R, 1}}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TurnAndRead(c), c.edges) << c.name;
}

// Periodic reports show a pulse in as many reports as it lasts in ms; reports
// on change keep every edge even when the host reads after a long while.
TEST(RotaryPulses, ReportsSeeEveryPulse) {
  struct {
    std::int64_t periodUs, readEveryUs;
    int reports, pressed;
  } cases[] = {{1000, 10'000, 200, 32}, {0, 200'000, 4, 2}};
  for (const auto& c : cases) {
    VirtualPlatform platform;
    const int board = platform.addBoard({});
    platform.device(board).reportPeriodUs = c.periodUs;
    BoardFirmware& fw = platform.firmware(board);
    fw.setSetting(0x40, 2);  // 16 ms
    fw.setSetting(0x49, 2);
    const auto h = platform.open(platform.device(board).path, hid::OpenMode::NonBlocking);
    platform.advanceUs(500);
    fw.turnRotary(L, 2);
    int reports = 0, pressed = 0;
    for (std::int64_t t = 0; t < 200'000; t += c.readEveryUs) {
      platform.advanceUs(c.readEveryUs);
      const auto in = platform.readInput(h, 1000);
      for (std::size_t at = 0; at + 13 <= in.bytes.size(); at += 13, ++reports)
        pressed += in.bytes[at + 6] & 1;  // button 41
    }
    EXPECT_EQ(reports, c.reports) << c.periodUs;
    EXPECT_EQ(pressed, c.pressed) << c.periodUs;
    platform.close(h);
  }
}

TEST(RotaryPulses, ModeChangeReleasesAPulse) {
  BoardFirmware fw;
  fw.setSetting(0x40, 25);
  fw.setSetting(0x4A, 2);
  fw.turnRotary(R, -1);
  EXPECT_EQ(fw.reportedButtons()[6], 0x20);  // button 54 pulsing
  fw.setSetting(0x4A, 0);                    // now a 12-way switch at position 11
  EXPECT_EQ(fw.reportedButtons()[6], 0x00);
  fw.advanceTo(1'000'000);
  EXPECT_EQ(fw.reportedButtons()[7], 0x80);  // button 64 held
}

}  // namespace
}  // namespace torvex::sim
