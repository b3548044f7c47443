// Rotary inputs as the host sees them: input reports read every millisecond
// of virtual time from a board that reports on change.

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "SimTestUtil.h"
#include "sim/VirtualPlatform.h"

namespace torvex::sim {
namespace {

constexpr RotaryInputs::Side L = RotaryInputs::Left;
constexpr RotaryInputs::Side R = RotaryInputs::Right;

struct Edge {
  int ms;
  int button;  // 1..64 as the tool numbers them
  bool pressed;
  bool operator==(const Edge&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Edge& e) {
  return os << "{" << e.ms << " ms, " << e.button << (e.pressed ? " on}" : " off}");
}

struct Turn {
  RotaryInputs::Side side;
  int detents;
};

struct Case {
  const char* name;
  int widthStep, leftMode, rightMode;
  std::vector<Turn> before;  // turned a second ahead, with nobody reading
  std::vector<Turn> turns;   // turned at 0 ms
  int durationMs;
  std::vector<Edge> edges;
};

// Opens the board, turns the knobs and records every button edge with the
// virtual time at which the host read it.
std::vector<Edge> TurnAndRead(const Case& c) {
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
  std::vector<Edge> edges;
  auto read = [&](int ms) {
    const auto in = platform.readInput(h, 500);
    for (std::size_t at = 0; at + 13 <= in.bytes.size(); at += 13)
      for (int k = 0; k < 64; ++k) {
        const bool now = in.bytes[at + 1 + k / 8] & (1 << (k % 8));
        const bool was = last[k / 8] & (1 << (k % 8));
        if (now != was) edges.push_back({ms, k + 1, now});
        if (k % 8 == 7) last[k / 8] = in.bytes[at + 1 + k / 8];
      }
  };
  for (const Turn& t : c.turns) fw.turnRotary(t.side, t.detents);
  read(0);
  for (int ms = 1; ms <= c.durationMs; ++ms) {
    platform.advanceUs(1000);
    read(ms);
  }
  platform.close(h);
  return edges;
}

class RotaryEdges : public ::testing::TestWithParam<Case> {};

TEST_P(RotaryEdges, PressesTheDocumentedButtonsForThePulseWidth) {
  EXPECT_EQ(TurnAndRead(GetParam()), GetParam().edges);
}

const Case kCases[] = {
    {"EncoderCwShortest", 1, 2, 0, {}, {{L, 1}}, 50, {{0, 41, true}, {8, 41, false}}},
    {"EncoderTwoDetentsLongest",
     25,
     2,
     0,
     {},
     {{L, 2}},
     700,
     {{0, 41, true}, {200, 41, false}, {400, 41, true}, {600, 41, false}}},
    {"RightEncoderCcw", 3, 0, 2, {}, {{R, -1}}, 50, {{0, 54, true}, {24, 54, false}}},
    {"BackAndForthWaitsForTheGap",
     2,
     2,
     0,
     {},
     {{L, 1}, {L, -1}},
     80,
     {{0, 41, true}, {16, 41, false}, {32, 42, true}, {48, 42, false}}},
    {"PulsedTwelveWay", 8, 1, 0, {}, {{L, 3}}, 100, {{0, 44, true}, {64, 44, false}}},
    {"PulsedTwelveWayRight", 1, 0, 1, {}, {{R, -1}}, 20, {{0, 64, true}, {8, 64, false}}},
    {"TwelveWayHoldsThePosition", 1, 0, 2, {}, {{L, 1}}, 50, {{0, 41, false}, {0, 42, true}}},
    {"TwelveWayWrapsBackwards", 1, 0, 0, {}, {{L, -1}}, 50, {{0, 41, false}, {0, 52, true}}},
    {"RightTwelveWay", 1, 2, 0, {}, {{R, 5}}, 50, {{0, 53, false}, {0, 58, true}}},
    {"ShiftedRightEncoderUnshifted", 1, 3, 3, {}, {{R, 1}}, 30, {{0, 53, true}, {8, 53, false}}},
    {"ShiftedRightEncoderShiftedCcw",
     1,
     3,
     3,
     {{L, 1}},
     {{R, -1}},
     30,
     {{0, 56, true}, {8, 56, false}}},
    {"ShiftedRightEncoderShiftedCw",
     1,
     3,
     3,
     {{L, 4}},
     {{R, 1}},
     30,
     {{0, 55, true}, {8, 55, false}}},
    {"ShiftBackAtZeroUnshifts",
     1,
     3,
     3,
     {{L, 1}, {L, -1}},
     {{R, 1}},
     30,
     {{0, 53, true}, {8, 53, false}}},
    {"ShiftedLeftEncoder", 1, 4, 4, {{R, 2}}, {{L, 1}}, 30, {{0, 43, true}, {8, 43, false}}},
    {"ShiftedLeftEncoderUnshiftedCcw", 1, 4, 4, {}, {{L, -1}}, 30, {{0, 42, true}, {8, 42, false}}},
    {"ShiftInputPressesNothing", 1, 3, 3, {}, {{L, 1}}, 30, {}},
    {"ShiftWithoutItsPartnerDoesNotShift",
     1,
     2,
     4,
     {{R, 1}},
     {{L, 1}},
     30,
     {{0, 41, true}, {8, 41, false}}},
    {"UnknownModePressesNothing", 1, 7, 9, {}, {{L, 1}, {R, 1}}, 30, {}},
};

INSTANTIATE_TEST_SUITE_P(Modes, RotaryEdges, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// At 1000 reports a second, a pulse shows in as many reports as it lasts in ms.
TEST(RotaryPulses, PeriodicReportsSeeTheWholeWidth) {
  for (int step : {1, 2, 5}) {
    VirtualPlatform platform;
    const int board = platform.addBoard({});
    platform.device(board).reportPeriodUs = 1000;
    BoardFirmware& fw = platform.firmware(board);
    fw.setSetting(0x40, static_cast<std::uint8_t>(step));
    fw.setSetting(0x49, 2);
    const auto h = platform.open(platform.device(board).path, hid::OpenMode::NonBlocking);
    platform.advanceUs(500);
    fw.turnRotary(L, 1);
    int pressedReports = 0;
    for (int i = 0; i < 20; ++i) {
      platform.advanceUs(10'000);
      const auto in = platform.readInput(h, 1000);
      for (std::size_t at = 0; at + 13 <= in.bytes.size(); at += 13)
        pressedReports += in.bytes[at + 6] & 1;  // button 41: byte 5, bit 0
    }
    EXPECT_EQ(pressedReports, step * 8) << "step " << step;
    platform.close(h);
  }
}

TEST(RotaryPulses, PowerLossDropsPulsesInFlight) {
  VirtualPlatform platform;
  const int board = platform.addBoard({});
  BoardFirmware& fw = platform.firmware(board);
  fw.setSetting(0x40, 25);
  fw.setSetting(0x49, 2);
  fw.turnRotary(L, 3);
  platform.advanceUs(100'000);
  EXPECT_EQ(fw.reportedButtons()[5], 0x01);
  platform.unplug(board);
  platform.plug(board);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(fw.reportedButtons()[5], 0x00) << i * 100 << " ms after plugging in";
    platform.advanceUs(100'000);
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
  EXPECT_EQ(fw.reportedButtons()[7], 0x80);  // button 64 held
  fw.advanceTo(1'000'000);
  EXPECT_EQ(fw.reportedButtons()[7], 0x80);
}

}  // namespace
}  // namespace torvex::sim
