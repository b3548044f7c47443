// Clutch bite, LED intensity and dead zones driven through real key and
// mouse events, so the event wiring is exercised with the handlers. Typed
// entries in both locales are tabled in tests/reliability/TypedInputTest.cpp.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "protocol/BoardSession.h"

namespace torvex::test {
namespace {

// Enter on the keypad commits like Return. Any key in a percentage field
// holds off the bite refresh for 2 s; a committed clutch entry resumes it at
// once, an LED entry leaves it to the timer, a dead zone never holds it.
TEST(SliderFields, EnterCommitsAndKeysHoldOffTheRefresh) {
  const struct {
    QLineEdit* frmMain::*field;
    const char* typed;
    Qt::Key commit;  // Key_unknown: typed only
    const char* sent;
    bool refreshAfter, timerAfter;
  } cases[] = {
      {&frmMain::clutchBitePercentLabel, "4", Qt::Key_unknown, "", false, true},
      {&frmMain::ledPercentLabel, "4", Qt::Key_unknown, "", false, true},
      {&frmMain::clutchBitePercentLabel, "50", Qt::Key_Enter, "46:20 47:80", true, true},
      {&frmMain::ledPercentLabel, "100", Qt::Key_Enter, "60:FF 61:00", false, true},
      {&frmMain::clutchBitePercentLabel, "zz", Qt::Key_Return, "", false, true},  // refused
      {&frmMain::yDeadHigh, "15", Qt::Key_Enter, "5A:96 5B:19", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    (form.*c.field)->clear();
    QTest::keyClicks(form.*c.field, c.typed);
    if (c.commit != Qt::Key_unknown) QTest::keyClick(form.*c.field, c.commit);
    EXPECT_EQ(Sent(rig), c.sent);
    EXPECT_EQ(form.BiteRefreshEnabled, c.refreshAfter);
    EXPECT_EQ(form.sliderRefreshTimer->isActive(), c.timerAfter);
    if (!c.timerAfter) continue;
    EXPECT_EQ(form.sliderRefreshTimer->interval(), 2000);
    // Held: a tick reads no status from the board.
    rig.platform.clearLog();
    if (!form.BiteRefreshEnabled) {
      rig.tick();
      for (const auto& e : rig.platform.featureLog()) EXPECT_TRUE(e.isSet);
    }
    form.sliderRefreshTimer_Timer();
    EXPECT_TRUE(form.BiteRefreshEnabled);
    EXPECT_FALSE(form.sliderRefreshTimer->isActive());
  }
}

// A drag shows its percentage as a tip, reads nothing while held and sends
// one pair on release.
TEST(ClutchBite, DragSendsOnePairOnRelease) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  QSlider* slider = form.clutchBiteSlider;
  const QString fieldBefore = form.clutchBitePercentLabel->text();
  const QPoint start = slider->rect().center();  // the handle: the board holds 50 %
  QTest::mousePress(slider, Qt::LeftButton, {}, start);
  EXPECT_FALSE(form.BiteRefreshEnabled);
  for (int dx : {-40, -80}) QTest::mouseMove(slider, start + QPoint(dx, 0));
  const int dragged = slider->sliderPosition();
  EXPECT_LT(dragged, 32768);
  EXPECT_EQ(slider->toolTip(), form.ClutchBitePercentText());
  EXPECT_EQ(form.clutchBitePercentLabel->text(), fieldBefore);
  rig.tick();
  EXPECT_TRUE(rig.platform.featureLog().empty());
  QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(-80, 0));
  EXPECT_TRUE(form.BiteRefreshEnabled);
  EXPECT_EQ(form.clutchBitePercentLabel->text(), slider->toolTip());
  EXPECT_EQ(rig.platform.firmware(0).settingWord(0x46), dragged);
  EXPECT_EQ(rig.sent(0).size(), 2u);
}

// Every position a drag passes is sent at once (the bite point only on
// release), and once more on release; a key step is a scroll then a click.
// Each send takes 10 ms and clears the curve chart; the percentage field
// follows only on release. A value set from code sends nothing.
TEST(SliderFields, DragAndKeyStepSends) {
  const struct {
    QSlider* frmMain::*slider;
    QComboBox* frmMain::*type;  // made non-linear first
    QLineEdit* frmMain::*field;
    int d1, d2, d3;  // positions a drag passes
    const char* dragged;
    int stepFrom;
    const char* stepped;
  } cases[] = {
      {&frmMain::xSliderCurveNumber, &frmMain::xClutchCurveCombo, nullptr, -5, 0, 5,
       "5E:00 5E:05 5E:0A 5E:0A", 4, "5E:0A 5E:0A"},
      {&frmMain::ySliderCurveNumber, &frmMain::yClutchCurveCombo, nullptr, -5, 0, 5,
       "5F:00 5F:05 5F:0A 5F:0A", 4, "5F:0A 5F:0A"},
      {&frmMain::ledSlider, nullptr, &frmMain::ledPercentLabel, 10, 11, 255,
       "60:0A 61:00 60:0B 61:00 60:FF 61:00 60:FF 61:00", 9, "60:0A 61:00 60:0A 61:00"},
      {&frmMain::clutchBiteSlider, nullptr, &frmMain::clutchBitePercentLabel, 100, 200, 300,
       "46:2C 47:01", 655, "46:90 47:02"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dragged);
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    if (c.type) (form.*c.type)->setCurrentIndex(1);
    QSlider* slider = form.*c.slider;
    QLineEdit* field = c.field ? form.*c.field : nullptr;
    const QString fieldBefore = field ? field->text() : QString();
    rig.platform.clearLog();
    form.ChartPrevY = 7;
    auto t0 = rig.nowMs();
    slider->setSliderDown(true);
    for (int position : {c.d1, c.d2, c.d3}) slider->setSliderPosition(position);
    if (field) EXPECT_EQ(field->text(), fieldBefore);
    slider->setSliderDown(false);
    EXPECT_EQ(Sent(rig), c.dragged);
    EXPECT_EQ(rig.nowMs() - t0, 10 * static_cast<int>(rig.sent(0).size()));
    if (c.type) EXPECT_EQ(form.ChartPrevY, 0);
    if (field) EXPECT_EQ(field->text(), slider->toolTip());

    rig.platform.clearLog();
    slider->setValue(c.stepFrom);
    t0 = rig.nowMs();
    slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Sent(rig), c.stepped);
    EXPECT_EQ(rig.nowMs() - t0, 10 * static_cast<int>(rig.sent(0).size()));
    if (field) EXPECT_EQ(field->text(), slider->toolTip());
  }
}

// With no board the LED slider sends nothing, yet each event takes 20 ms.
TEST(Led, WithoutABoardEachScrollStillTakes20ms) {
  Rig rig;
  frmMain& form = rig.load();
  const auto t0 = rig.nowMs();
  form.ledSlider->setSliderDown(true);
  form.ledSlider->setSliderPosition(100);
  form.ledSlider->setSliderPosition(90);
  form.ledSlider->setSliderDown(false);
  EXPECT_EQ(rig.nowMs() - t0, 60);
  EXPECT_TRUE(rig.platform.featureLog().empty());
}

}  // namespace
}  // namespace torvex::test
