#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolTip>

#include "support/Rig.h"

namespace torvex::test {
namespace {

TEST(Scratch, CalibrateFontAfterSequence) {
  Rig rig;
  rig.platform.addBoard({});
  rig.platform.firmware(0).setSetting(0x45, 1);
  auto& w = rig.loadConnected();
  QPushButton* b = w.controls().calibrateXButton;
  const QFont before = b->font();
  const QFont neighbour = w.controls().showCurveButtons[0]->font();
  for (int i = 0; i < 3; ++i) QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(b->text(), "Calibrate");
  EXPECT_EQ(b->font(), before) << b->font().toString().toStdString() << " vs "
                               << before.toString().toStdString();
  EXPECT_EQ(b->font(), neighbour);
  EXPECT_EQ(b->fontInfo().pixelSize(), w.controls().showCurveButtons[0]->fontInfo().pixelSize());
}

TEST(Scratch, BiteFieldKeepsSelection) {
  Rig rig;
  auto& w = rig.loadConnected();
  QLineEdit* f = w.controls().clutchBiteField;
  f->setFocus();
  f->selectAll();
  const QString sel = f->selectedText();
  EXPECT_FALSE(sel.isEmpty());
  rig.tick();
  EXPECT_EQ(f->selectedText(), sel);
}

}  // namespace
}  // namespace torvex::test
namespace torvex::test {
TEST(Scratch, TipBelongsToTheMove) {
  Rig rig;
  auto& w = rig.loadConnected();
  QSlider* s = w.controls().clutchBiteSlider;
  s->setSliderDown(true);
  s->setSliderPosition(45089);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), "68.8");
  s->setSliderDown(false);
  EXPECT_EQ(s->toolTip(), "");
}
}  // namespace torvex::test
#include "gui/CurveChart.h"
namespace torvex::test {
// A quick pull within one poll: every report the poll took is a point.
TEST(Scratch, EveryReportOnTheChart) {
  Rig rig;
  rig.platform.addBoard({});
  auto& fw = rig.platform.firmware(0);
  fw.setSetting(0x45, 1);  // throttle and brake
  fw.setSetting(0x5C, 1);  // X S-curve
  rig.platform.device(0).reportPeriodUs = 1000;
  auto& w = rig.loadConnected();
  fw.setPaddle(0, 0);
  rig.tick();
  // A stale report from before the panel opens: in normal mode the Y paddle
  // would stand for the input, 92 %.
  fw.setPaddle(1, 60000);
  rig.platform.advanceUs(1000);
  w.controls().showCurveButtons[0]->click();
  std::vector<board::ChartPoint> points;
  for (int ms = 1; ms <= 50; ++ms) {
    fw.setPaddle(0, static_cast<std::uint16_t>(1000 * ms));
    rig.platform.advanceUs(1000);
    const auto r = fw.inputReport();
    points.push_back(board::ChartPointFor(*board::DecodeInputReport(r), true));
  }
  w.onPollTick();
  const QImage& img = w.controls().curveChart->image();
  int drawn = 0;
  for (const auto& p : points) drawn += img.pixelColor(w.controls().curveChart->toPixels(p.h, p.v)) != Qt::white;
  EXPECT_EQ(drawn, 50);
  // Nothing at the stale report's place: input 92 %, near the top right.
  int farRight = 0;
  for (int x = img.width() * 9 / 10; x < img.width(); ++x)
    for (int y = 0; y < img.height(); ++y) farRight += img.pixelColor(x, y) != Qt::white;
  EXPECT_EQ(farRight, 0);
}
}
