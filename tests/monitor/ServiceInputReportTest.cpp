// The live display on the real window against an emulated board: which
// indicators are touched, their colours, captions, and what happens to the
// board's handles and the polling interval when it goes.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLoggingCategory>
#include <QProgressBar>

#include "LiveRig.h"

namespace torvex::test {
namespace {

void ExpectShown(LiveRig& live, int k, bool pressed) {
  EXPECT_EQ(live.form->ButtonShape[k]->fillColor(),
            pressed ? kRed : ButtonFace(live.form->ButtonShape[k]))
      << k;
  EXPECT_EQ(TextColor(live.form->ButtonLabel[k]), pressed ? kBlack : kDarkGrey) << k;
}

TEST(LiveButtons, FirstReportDrawsAllThenOnlyChangedBytes) {
  LiveRig live;
  auto before = live.fillUpdates();
  live.firmware().setButton(3, true);  // exactly one report queued
  live.rig.tick();
  auto after = live.fillUpdates();
  const auto reported = live.firmware().reportedButtons();  // rotaries press their own too
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(after[k], before[k] + 1) << k;
    ExpectShown(live, k, (reported[k / 8] >> (k % 8)) & 1);
  }

  const struct {
    int button;
    bool pressed;
  } steps[] = {{9, true}, {63, true}, {9, false}, {3, false}};
  for (const auto& s : steps) {
    before = live.fillUpdates();
    live.firmware().setButton(s.button, s.pressed);
    live.rig.tick();
    after = live.fillUpdates();
    for (int k = 0; k < 64; ++k)
      EXPECT_EQ(after[k] - before[k], k / 8 == s.button / 8 ? 1 : 0) << s.button << " " << k;
    ExpectShown(live, s.button, s.pressed);
  }
  // Only an axis moved: no indicator is touched.
  before = live.fillUpdates();
  live.paddles(1000, 2000);
  live.rig.tick();
  EXPECT_EQ(live.fillUpdates(), before);
}

TEST(LiveButtons, NumberStaysReadablePressedAndReleased) {
  LiveRig live;
  frmMain& f = *live.form;
  for (bool pressed : {true, false}) {
    live.firmware().setButton(20, pressed);
    live.firmware().setButton(21, !pressed);  // always a change
    live.rig.tick();
    const QImage drawn =
        f.ButtonsFrame->grab(f.ButtonShape[20]->geometry().adjusted(1, 1, -1, -1)).toImage();
    const QColor fill = pressed ? kRed : ButtonFace(f.ButtonShape[20]);
    EXPECT_GT(CountPixels(drawn, fill), drawn.width() * drawn.height() / 2) << pressed;
    EXPECT_GT(CountPixels(drawn, pressed ? kBlack : kDarkGrey), 0) << pressed;
  }
}

TEST(LiveRead, BarsAndCaptionsFollowTheNewestQueuedReportInTheLocale) {
  for (const QLocale* locale : {&kEnglish, &kGerman}) {
    LiveRig live(1, *locale);
    frmMain& f = *live.form;
    for (std::uint16_t x : {1000, 2000, 65535}) live.firmware().setPaddle(0, x);
    live.firmware().setPaddle(1, 6520);
    live.rig.tick();
    const bool de = locale == &kGerman;
    EXPECT_EQ(f.xAxisBar->value(), 65535);
    EXPECT_EQ(f.yAxisBar->value(), 6520);
    for (auto* l : {f.xVal, f.xAxisPercent}) EXPECT_EQ(l->text(), de ? "100,0 %" : "100.0 %");
    for (auto* l : {f.yVal, f.yAxisPercent}) EXPECT_EQ(l->text(), de ? "9,9 %" : "9.9 %");
    // One point per tick, whatever was queued.
    EXPECT_EQ(f.ChartPrevX, 65535);
    EXPECT_EQ(CountPixels(f.curveChart->image(), kBlue), 0);
  }
}

QStringList gMonitorLog;
void CollectMonitorLog(QtMsgType, const QMessageLogContext& ctx, const QString& msg) {
  if (QString::fromLatin1(ctx.category) == "torvex.monitor") gMonitorLog << msg;
}

TEST(LiveLoss, QuietKeepsUnplugClosesAndRescansReplugReadsAgainAndTheDisplayCarriesOn) {
  LiveRig live;
  frmMain& f = *live.form;
  auto& platform = live.rig.platform;
  gMonitorLog.clear();
  QLoggingCategory::setFilterRules("torvex.monitor.info=true");
  const auto previous = qInstallMessageHandler(CollectMonitorLog);

  // Nothing queued is a quiet board, not a lost one.
  const auto handles = std::pair(f.DeviceHandle, f.ReadHandle);
  int scans = platform.enumerateCount();
  f.xVal->setText("kept");
  live.rig.ticks(3);
  EXPECT_TRUE(f.DeviceDetected && f.ConfigurationLoaded);
  EXPECT_EQ(std::pair(f.DeviceHandle, f.ReadHandle), handles);
  EXPECT_EQ(f.Timer->interval(), 50);
  EXPECT_EQ(f.LastApiResult, 1);
  EXPECT_EQ(platform.enumerateCount(), scans);
  EXPECT_EQ(f.xVal->text(), "kept");

  live.firmware().setButton(12, true);
  live.paddles(32768, 65535);
  live.rig.tick();
  live.paddles(40000, 60000);
  live.rig.tick();
  const auto fills = live.fillUpdates();
  const auto prev = std::pair(f.ChartPrevX, f.ChartPrevY);
  EXPECT_TRUE(gMonitorLog.isEmpty());

  scans = platform.enumerateCount();
  platform.unplug(live.board);
  live.rig.tick();
  EXPECT_FALSE(f.DeviceDetected || f.ConfigurationLoaded);
  EXPECT_EQ(std::pair(f.DeviceHandle, f.ReadHandle), std::pair(hid::kNoHandle, hid::kNoHandle));
  EXPECT_EQ(platform.openHandleCount(), 0);
  EXPECT_EQ(platform.badCloseCount(), 0);
  EXPECT_GT(platform.enumerateCount(), scans);  // rescanned in the same tick
  // The bars drop to 0; the values, indicators and last chart point stay.
  EXPECT_EQ(f.xAxisBar->value(), 0);
  EXPECT_EQ(f.xVal->text(), "61.0 %");
  ExpectShown(live, 12, true);
  EXPECT_EQ(std::pair(f.ChartPrevX, f.ChartPrevY), prev);

  // Absent: every tick rescans at 250 ms, logging the loss only once.
  const std::int64_t t0 = live.rig.nowMs();
  live.rig.ticks(3);
  EXPECT_EQ(live.rig.nowMs() - t0, 750);
  EXPECT_EQ(gMonitorLog.size(), 1);

  platform.clearLog();
  platform.plug(live.board);
  live.rig.tick();
  EXPECT_TRUE(f.DeviceDetected && f.ConfigurationLoaded);
  EXPECT_EQ(platform.openHandleCount(live.board), 2);
  EXPECT_TRUE(f.xAxisFrame->isEnabled());
  int reads = 0;
  for (const auto& e : platform.featureLog()) reads += e.isSet ? 0 : 1;
  EXPECT_GE(reads, 2);                  // both records read back again
  EXPECT_EQ(f.Timer->interval(), 250);  // no read yet on the new handles

  // Back with the same buttons: nothing redrawn, and the line continues.
  live.firmware().setButton(12, true);
  live.paddles(50000, 60000);
  live.rig.tick();
  EXPECT_EQ(f.Timer->interval(), 50);
  EXPECT_EQ(f.xAxisBar->value(), 50000);
  EXPECT_EQ(live.fillUpdates(), fills);
  EXPECT_GT(CountPixels(f.curveChart->image(), kBlue), 0);

  platform.unplug(live.board);
  live.rig.tick();
  EXPECT_EQ(gMonitorLog.size(), 2);  // a second loss is logged again
  qInstallMessageHandler(previous);
  QLoggingCategory::setFilterRules(QString());
}

TEST(LiveLoss, FailedReadOfAPluggedBoardCountsAsLost) {
  LiveRig live;
  live.rig.platform.device(live.board).failNext[sim::Op::ReadInput] = 1;
  live.rig.tick();
  // Lost, closed and found again in the same tick.
  EXPECT_TRUE(live.form->DeviceDetected);
  EXPECT_EQ(live.form->Timer->interval(), 250);
  EXPECT_EQ(live.rig.platform.openHandleCount(), 2);
  EXPECT_EQ(live.rig.platform.badCloseCount(), 0);
}

}  // namespace
}  // namespace torvex::test
