// The real window on an emulated board: the curve monitor traces the
// firmware's own curve while the paddle is swept.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "SimTestUtil.h"
#include "sim/AxisMath.h"
#include "support/Rig.h"

namespace torvex::sim {
namespace {

using testutil::Hex;
using testutil::ToHex;

struct SweepCase {
  const char* name;
  int axis;         // 0 X, 1 Y
  int curveType;    // 0..2
  int curveNumber;  // byte 0..10
};

class CurveMonitorWindow : public ::testing::TestWithParam<SweepCase> {};

TEST_P(CurveMonitorWindow, ChartFollowsTheBoardsCurve) {
  const SweepCase& c = GetParam();
  test::Rig rig;
  const int board = rig.addBoard(u"TVX-E2E");
  BoardFirmware& fw = rig.platform.firmware(board);
  fw.setSetting(0x45, 1);  // throttle and brake
  fw.setSetting(static_cast<std::uint8_t>(0x5C + c.axis), static_cast<std::uint8_t>(c.curveType));
  fw.setSetting(static_cast<std::uint8_t>(0x5E + c.axis), static_cast<std::uint8_t>(c.curveNumber));
  frmMain& form = rig.load();
  rig.ticks(2);
  ASSERT_TRUE(form.DeviceDetected);
  ASSERT_TRUE(form.ConfigurationLoaded);

  rig.platform.clearLog();
  QTest::mouseClick(form.checkCurves[c.axis], Qt::LeftButton);
  ASSERT_EQ(rig.sent(board).size(), 1u);
  EXPECT_EQ(ToHex(rig.sent(board)[0]), ToHex(Hex(c.axis ? "00 04 0A 02" : "00 04 0A 01", 64)));
  EXPECT_EQ(fw.monitorMode(), c.axis + 1);

  // Sweep the paddle; after each tick the newest point is (input, 65535 - output).
  int points = 0;
  for (int raw = 1000; raw <= 65535; raw += 2731) {
    fw.setPaddle(c.axis, static_cast<std::uint16_t>(raw));
    rig.tick();
    const std::uint16_t out =
        ApplyCurve(static_cast<std::uint8_t>(c.curveType), static_cast<std::uint8_t>(c.curveNumber),
                   static_cast<std::uint16_t>(raw));
    EXPECT_EQ(form.ChartPrevX, raw) << c.name;
    EXPECT_EQ(form.ChartPrevY, 65535 - out) << c.name << " at " << raw;
    ++points;
  }
  EXPECT_EQ(points, 24);

  rig.platform.clearLog();
  QTest::mouseClick(form.checkCurves[c.axis], Qt::LeftButton);
  ASSERT_EQ(rig.sent(board).size(), 1u);
  EXPECT_EQ(ToHex(rig.sent(board)[0]), ToHex(Hex("00 04 0A 00", 64)));
  EXPECT_EQ(form.ChartPrevX, 0) << "closing the panel clears the chart";
}

const SweepCase kSweeps[] = {
    {"XSCurveSteep", 0, 1, 8}, {"XInverseS", 0, 1, 0}, {"YProgressive", 1, 2, 10},
    {"YDegressive", 1, 2, 1},  {"XLinear", 0, 0, 5},
};

INSTANTIATE_TEST_SUITE_P(Curves, CurveMonitorWindow, ::testing::ValuesIn(kSweeps),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace torvex::sim
