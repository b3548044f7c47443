// The window is on screen before start-up looks for boards and reads one back:
// the scan and the read-back's pauses must not leave the user without a window.
#include <gtest/gtest.h>

#include <QEvent>

#include "support/Rig.h"

namespace torvex::test {
namespace {

struct FirstPaint : QObject {
  explicit FirstPaint(sim::VirtualPlatform& p) : platform(p) {}
  sim::VirtualPlatform& platform;
  bool painted = false;
  int scansBefore = -1;
  std::size_t reportsBefore = 0;
  std::int64_t timeUs = -1;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && !painted) {
      painted = true;
      scansBefore = platform.enumerateCount();
      reportsBefore = platform.featureLog().size();
      timeUs = platform.nowUs();
    }
    return false;
  }
};

TEST(StartUp, WindowIsDrawnBeforeTheScanAndTheReadBack) {
  Rig rig;
  const int board = rig.addBoard(u"A");
  FirstPaint watch(rig.platform);
  rig.create().installEventFilter(&watch);
  rig.form().Form_Load();
  ASSERT_TRUE(watch.painted);
  EXPECT_EQ(watch.scansBefore, 0);
  EXPECT_EQ(watch.reportsBefore, 0u);
  // Only the muted sends of the lists' first selections come before it.
  EXPECT_EQ(watch.timeUs, 60'000);
  // ...and start-up then went on to open and read the board.
  EXPECT_TRUE(rig.form().DeviceDetected);
  EXPECT_GE(rig.platform.featureLog().size(), 2u);
  EXPECT_EQ(rig.platform.openHandleCount(board), 2);
}

}  // namespace
}  // namespace torvex::test
