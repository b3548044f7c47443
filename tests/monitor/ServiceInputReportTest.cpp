// The live display on the real window against an emulated board: which
// indicators are touched, their colours, captions, chart points, and what
// happens to the board's handles and the polling interval when it goes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLoggingCategory>
#include <QProgressBar>

#include "LiveRig.h"

namespace torvex::test {
namespace {

TEST(LiveButtons, FirstDecodedReportDrawsAll64) {
  LiveRig live;
  const auto before = live.fillUpdates();
  ASSERT_EQ(before.size(), 64u);
  live.firmware().setButton(3, true);  // exactly one report queued
  live.rig.tick();
  const auto after = live.fillUpdates();
  for (int k = 0; k < 64; ++k) EXPECT_EQ(after[k], before[k] + 1) << k;
  // The rotary switches press buttons of their own besides button 4.
  const auto reported = live.firmware().reportedButtons();
  ASSERT_TRUE(reported[0] & 0x08);
  for (int k = 0; k < 64; ++k) {
    const bool pressed = (reported[k / 8] >> (k % 8)) & 1;
    EXPECT_EQ(live.form->ButtonShape[k]->fillColor(),
              pressed ? kRed : ButtonFace(live.form->ButtonShape[k]))
        << k;
    EXPECT_EQ(TextColor(live.form->ButtonLabel[k]), pressed ? kBlack : kDarkGrey) << k;
  }
}

TEST(LiveButtons, OnlyIndicatorsOfChangedBytesAreTouched) {
  LiveRig live;
  live.firmware().setButton(0, true);
  live.rig.tick();
  struct Step {
    int button;
    bool pressed;
    int changedByte;
  };
  const Step steps[] = {{9, true, 1}, {63, true, 7}, {9, false, 1}, {0, false, 0}, {20, true, 2}};
  for (const auto& s : steps) {
    const auto before = live.fillUpdates();
    live.firmware().setButton(s.button, s.pressed);
    live.rig.tick();
    const auto after = live.fillUpdates();
    for (int k = 0; k < 64; ++k)
      EXPECT_EQ(after[k] - before[k], k / 8 == s.changedByte ? 1 : 0)
          << "button " << s.button << " indicator " << k;
    EXPECT_EQ(live.form->ButtonShape[s.button]->fillColor(),
              s.pressed ? kRed : ButtonFace(live.form->ButtonShape[s.button]));
    EXPECT_EQ(TextColor(live.form->ButtonLabel[s.button]), s.pressed ? kBlack : kDarkGrey);
  }
  // A report whose buttons did not change (only an axis moved) touches none.
  const auto before = live.fillUpdates();
  live.paddles(1000, 2000);
  live.rig.tick();
  EXPECT_EQ(live.fillUpdates(), before);
  EXPECT_EQ(live.form->xVal->text(), "1.5 %");
}

TEST(LiveButtons, NumberStaysReadablePressedAndReleased) {
  LiveRig live;
  frmMain& f = *live.form;
  struct Look {
    bool pressed;
    QColor fill, text;
  };
  const Look looks[] = {{true, kRed, kBlack}, {false, ButtonFace(f.ButtonShape[20]), kDarkGrey}};
  for (const auto& look : looks) {
    live.firmware().setButton(20, look.pressed);
    live.firmware().setButton(21, !look.pressed);  // always a change
    live.rig.tick();
    // Drawn as the user sees it: the fill around the number, the number on top.
    const QImage drawn =
        f.ButtonsFrame->grab(f.ButtonShape[20]->geometry().adjusted(1, 1, -1, -1)).toImage();
    const int fill = CountPixels(drawn, look.fill);
    const int ink = CountPixels(drawn, look.text);
    EXPECT_GT(fill, drawn.width() * drawn.height() / 2) << look.pressed;
    EXPECT_GT(ink, 0) << look.pressed;
  }
}

struct CaptionCase {
  std::uint16_t x, y;
  const char* xText;
  const char* yText;
  bool german;
};

class LiveCaptions : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(LiveCaptions, BarsAndPercentagesFollowTheAxes) {
  const auto& c = GetParam();
  LiveRig live(1, c.german ? kGerman : kEnglish);
  // Start somewhere else, so every value below is a change.
  live.paddles(123, 456);
  live.rig.tick();
  live.paddles(c.x, c.y);
  live.rig.tick();
  const frmMain& f = *live.form;
  EXPECT_EQ(f.xAxisBar->value(), c.x);
  EXPECT_EQ(f.yAxisBar->value(), c.y);
  EXPECT_EQ(f.xVal->text(), QString::fromLatin1(c.xText));
  EXPECT_EQ(f.xAxisPercent->text(), QString::fromLatin1(c.xText));
  EXPECT_EQ(f.yVal->text(), QString::fromLatin1(c.yText));
  EXPECT_EQ(f.yAxisPercent->text(), QString::fromLatin1(c.yText));
}

INSTANTIATE_TEST_SUITE_P(Values, LiveCaptions,
                         ::testing::Values(CaptionCase{0, 65535, "0.0 %", "100.0 %", false},
                                           CaptionCase{32768, 1, "50.0 %", "0.0 %", false},
                                           CaptionCase{65535, 0, "100.0 %", "0.0 %", false},
                                           CaptionCase{32768, 6520, "50,0 %", "9,9 %", true},
                                           CaptionCase{65535, 33, "100,0 %", "0,1 %", true}));

TEST(LiveRead, NewestOfSeveralQueuedReportsIsShown) {
  LiveRig live;
  for (std::uint16_t x : {1000, 2000, 3000, 65535}) live.firmware().setPaddle(0, x);
  live.firmware().setButton(5, true);
  live.firmware().setButton(5, false);
  live.firmware().setButton(6, true);  // the newest: 6 pressed, 5 released
  live.rig.tick();
  EXPECT_EQ(live.form->xVal->text(), "100.0 %");
  EXPECT_EQ(live.form->ButtonShape[5]->fillColor(), ButtonFace(live.form->ButtonShape[5]));
  EXPECT_EQ(live.form->ButtonShape[6]->fillColor(), kRed);
  // One point per tick, whatever was queued.
  EXPECT_EQ(live.form->ChartPrevX, 65535);
  EXPECT_EQ(CountPixels(live.form->curveChart->image(), kBlue), 0);
}

TEST(LiveRead, TickWithNothingQueuedKeepsTheBoard) {
  LiveRig live;
  const auto device = live.form->DeviceHandle;
  const auto read = live.form->ReadHandle;
  const int scans = live.rig.platform.enumerateCount();
  live.form->xVal->setText("kept");
  for (int i = 0; i < 3; ++i) {
    live.rig.tick();
    EXPECT_TRUE(live.form->DeviceDetected);
    EXPECT_TRUE(live.form->ConfigurationLoaded);
    EXPECT_EQ(live.form->DeviceHandle, device);
    EXPECT_EQ(live.form->ReadHandle, read);
    EXPECT_EQ(live.form->Timer->interval(), 50);
    EXPECT_EQ(live.form->LastApiResult, 1);
  }
  EXPECT_EQ(live.rig.platform.openHandleCount(), 2);
  EXPECT_EQ(live.rig.platform.enumerateCount(), scans);
  EXPECT_EQ(live.form->xVal->text(), "kept");
  EXPECT_TRUE(live.form->xAxisFrame->isEnabled());
}

// Collects what the monitor logs.
QStringList gMonitorLog;
void CollectMonitorLog(QtMsgType, const QMessageLogContext& ctx, const QString& msg) {
  if (QString::fromLatin1(ctx.category) == "torvex.monitor") gMonitorLog << msg;
}

TEST(LiveLoss, UnplugClosesRescansAndReplugReadsAgain) {
  LiveRig live;
  frmMain& f = *live.form;
  auto& platform = live.rig.platform;
  live.rig.tick();
  ASSERT_EQ(f.Timer->interval(), 50);

  gMonitorLog.clear();
  QLoggingCategory::setFilterRules("torvex.monitor.info=true");
  const auto previous = qInstallMessageHandler(CollectMonitorLog);

  const int scans = platform.enumerateCount();
  platform.unplug(live.board);
  live.rig.tick();
  EXPECT_FALSE(f.DeviceDetected);
  EXPECT_FALSE(f.ConfigurationLoaded);
  EXPECT_EQ(f.DeviceHandle, hid::kNoHandle);
  EXPECT_EQ(f.ReadHandle, hid::kNoHandle);
  EXPECT_EQ(platform.openHandleCount(), 0);
  EXPECT_EQ(platform.badCloseCount(), 0);
  EXPECT_EQ(f.Timer->interval(), 250);
  EXPECT_GT(platform.enumerateCount(), scans);  // rescanned in the same tick
  EXPECT_FALSE(f.xAxisFrame->isEnabled());
  EXPECT_EQ(f.lblManuf->text(), "");

  // Absent: every tick rescans at 250 ms, logging the loss only once.
  const std::int64_t t0 = live.rig.nowMs();
  live.rig.ticks(3);
  EXPECT_EQ(live.rig.nowMs() - t0, 750);
  EXPECT_EQ(gMonitorLog.size(), 1);

  platform.clearLog();
  platform.plug(live.board);
  live.rig.tick();
  EXPECT_TRUE(f.DeviceDetected);
  EXPECT_TRUE(f.ConfigurationLoaded);
  EXPECT_EQ(platform.openHandleCount(live.board), 2);
  EXPECT_TRUE(f.xAxisFrame->isEnabled());
  EXPECT_NE(f.lblManuf->text(), "");
  int reads = 0;
  for (const auto& e : platform.featureLog()) reads += e.isSet ? 0 : 1;
  EXPECT_GE(reads, 2);                  // both records read back again
  EXPECT_EQ(f.Timer->interval(), 250);  // no read yet on the new handles
  live.rig.tick();
  EXPECT_EQ(f.Timer->interval(), 50);

  // A second loss is logged again.
  platform.unplug(live.board);
  live.rig.tick();
  EXPECT_EQ(gMonitorLog.size(), 2);

  qInstallMessageHandler(previous);
  QLoggingCategory::setFilterRules(QString());
}

TEST(LiveLoss, DisplayKeepsItsStateAcrossTheLoss) {
  LiveRig live;
  frmMain& f = *live.form;
  live.firmware().setButton(12, true);
  live.paddles(32768, 65535);
  live.rig.tick();
  live.paddles(40000, 60000);
  live.rig.tick();
  const auto fills = live.fillUpdates();
  const auto cache = f.ButtonByteCache;
  const auto prev = std::pair{f.ChartPrevX, f.ChartPrevY};
  ASSERT_NE(prev.first, 0);

  live.rig.platform.unplug(live.board);
  live.rig.ticks(2);
  EXPECT_EQ(f.xVal->text(), "61.0 %");
  EXPECT_EQ(f.yVal->text(), "91.6 %");
  EXPECT_EQ(f.xAxisPercent->text(), "0 %");
  EXPECT_EQ(f.xAxisBar->value(), 0);
  EXPECT_EQ(f.ButtonShape[12]->fillColor(), kRed);
  EXPECT_EQ(live.fillUpdates(), fills);
  EXPECT_EQ(f.ButtonByteCache, cache);
  EXPECT_EQ(std::pair(f.ChartPrevX, f.ChartPrevY), prev);

  // Back: the bars stay at 0 until a report comes; the first one after the
  // reconnect redraws only what changed against the cache, and joins the
  // previous point with a line.
  live.rig.platform.plug(live.board);
  live.rig.tick();
  EXPECT_EQ(f.yAxisPercent->text(), "0 %");
  live.firmware().setButton(12, true);
  live.paddles(50000, 60000);
  live.rig.tick();
  EXPECT_EQ(f.xAxisBar->value(), 50000);
  EXPECT_EQ(live.fillUpdates(), fills);  // powered on with the same buttons
  EXPECT_GT(CountPixels(f.curveChart->image(), kBlue), 0);
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
