// The real window on an emulated board: the curve monitor traces the
// firmware's own curve while the paddle is swept.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "sim/AxisMath.h"
#include "support/Rig.h"

namespace torvex::sim {
namespace {

TEST(CurveMonitorWindow, ChartFollowsTheBoardsCurve) {
  struct Case {
    int axis;  // 0 X, 1 Y
    std::uint8_t curveType, curveNumber;
  } cases[] = {{0, 1, 8}, {1, 2, 10}, {1, 2, 1}};  // steep S, progressive, degressive
  for (const auto& c : cases) {
    test::Rig rig;
    BoardFirmware& fw = rig.platform.firmware(rig.addBoard(u"TVX-E2E"));
    fw.setSetting(0x45, 1);  // throttle and brake
    fw.setSetting(static_cast<std::uint8_t>(0x5C + c.axis), c.curveType);
    fw.setSetting(static_cast<std::uint8_t>(0x5E + c.axis), c.curveNumber);
    frmMain& form = rig.load();
    rig.ticks(2);
    ASSERT_TRUE(form.ConfigurationLoaded);
    QTest::mouseClick(form.checkCurves[c.axis], Qt::LeftButton);
    ASSERT_EQ(fw.monitorMode(), c.axis + 1);
    // After each tick the newest point is (input, 65535 - output).
    for (int raw = 1000; raw <= 65535; raw += 2731) {
      fw.setPaddle(c.axis, static_cast<std::uint16_t>(raw));
      rig.tick();
      const int out = ApplyCurve(c.curveType, c.curveNumber, static_cast<std::uint16_t>(raw));
      EXPECT_EQ(form.ChartPrevX, raw) << c.axis;
      EXPECT_EQ(form.ChartPrevY, 65535 - out) << c.axis << " at " << raw;
    }
  }
}

}  // namespace
}  // namespace torvex::sim
