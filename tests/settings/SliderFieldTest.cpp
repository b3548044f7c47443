// Clutch bite, LED intensity and dead zones driven through real key and
// mouse events, so the event wiring is exercised with the handlers.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>

#include "protocol/BoardSession.h"

namespace torvex::test {
namespace {

// Types `text` into an emptied field and commits it with Return or Enter.
void Commit(QLineEdit* field, const QString& text, Qt::Key key = Qt::Key_Return) {
  field->clear();
  QTest::keyClicks(field, text);
  QTest::keyClick(field, key);
}

struct TypedCase {
  const char* typed;
  Qt::Key key;
  int slider;  // -1: the entry is refused and the slider stays
  Triples sent;
  const char* shown;
};

void RunTyped(const TypedCase& c, QLineEdit* frmMain::*field, QSlider* frmMain::*slider,
              const QLocale& locale) {
  SCOPED_TRACE(c.typed);
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig, locale);
  (form.*slider)->setValue(7);
  const auto t0 = rig.nowMs();
  Commit(form.*field, QString::fromUtf8(c.typed), c.key);
  EXPECT_EQ((form.*slider)->value(), c.slider < 0 ? 7 : c.slider);
  EXPECT_EQ(SentTriples(rig), c.sent);
  EXPECT_EQ(rig.nowMs() - t0, 10 * static_cast<int>(c.sent.size()));
  EXPECT_EQ((form.*field)->text().toStdString(), c.shown);
}

TEST(ClutchBite, TypedPercentage) {
  const TypedCase cases[] = {
      {"50", Qt::Key_Return, 32800, {{1, 0x46, 32}, {1, 0x47, 128}}, "50.0"},
      {"50", Qt::Key_Enter, 32800, {{1, 0x46, 32}, {1, 0x47, 128}}, "50.0"},
      {"99.9", Qt::Key_Return, 65534, {{1, 0x46, 0xFE}, {1, 0x47, 0xFF}}, "99.9"},
      {"100", Qt::Key_Return, 65535, {{1, 0x46, 0xFF}, {1, 0x47, 0xFF}}, "100.0"},
      {"-5", Qt::Key_Return, 0, {{1, 0x46, 0}, {1, 0x47, 0}}, "0.0"},
      {"50,5", Qt::Key_Return, 33128, {{1, 0x46, 0x68}, {1, 0x47, 0x81}}, "50.5"},
      {" 7 ", Qt::Key_Return, 4592, {{1, 0x46, 0xF0}, {1, 0x47, 0x11}}, "7.0"},
      {"abc", Qt::Key_Return, -1, {}, "abc"},
      {"", Qt::Key_Return, -1, {}, ""},
  };
  for (const auto& c : cases)
    RunTyped(c, &frmMain::clutchBitePercentLabel, &frmMain::clutchBiteSlider, kEnglish);
}

TEST(Led, TypedPercentage) {
  const TypedCase cases[] = {
      {"50", Qt::Key_Return, 128, {{1, 0x60, 128}, {1, 0x61, 0}}, "50.1"},
      {"100", Qt::Key_Enter, 255, {{1, 0x60, 255}, {1, 0x61, 0}}, "100.0"},
      {"99.9", Qt::Key_Return, 255, {{1, 0x60, 255}, {1, 0x61, 0}}, "100.0"},
      {"0.5", Qt::Key_Return, 1, {{1, 0x60, 1}, {1, 0x61, 0}}, "0.3"},
      {"-1", Qt::Key_Return, 0, {{1, 0x60, 0}, {1, 0x61, 0}}, "0.0"},
      {"x", Qt::Key_Return, -1, {}, "x"},
  };
  for (const auto& c : cases) RunTyped(c, &frmMain::ledPercentLabel, &frmMain::ledSlider, kEnglish);
}

TEST(ClutchBite, CommaLocaleTypesItsSeparatorForBothKeys) {
  const TypedCase cases[] = {
      {"50.5", Qt::Key_Return, 33128, {{1, 0x46, 0x68}, {1, 0x47, 0x81}}, "50,5"},
      {"50,5", Qt::Key_Return, 33128, {{1, 0x46, 0x68}, {1, 0x47, 0x81}}, "50,5"},
  };
  for (const auto& c : cases)
    RunTyped(c, &frmMain::clutchBitePercentLabel, &frmMain::clutchBiteSlider, kGerman);
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig, kGerman);
  form.ledPercentLabel->clear();
  QTest::keyClicks(form.ledPercentLabel, "1.");
  EXPECT_EQ(form.ledPercentLabel->text(), "1,");
}

// Any key in either field holds off the bite refresh for 2 s; a committed
// clutch entry resumes it at once, an LED entry leaves it to the timer.
TEST(ClutchBite, KeysHoldOffTheRefresh) {
  struct Case {
    QLineEdit* frmMain::*field;
    const char* typed;
    bool commit;
    bool enabledAfter;
  } cases[] = {
      {&frmMain::clutchBitePercentLabel, "4", false, false},
      {&frmMain::ledPercentLabel, "4", false, false},
      {&frmMain::clutchBitePercentLabel, "40", true, true},
      {&frmMain::ledPercentLabel, "40", true, false},
      {&frmMain::clutchBitePercentLabel, "zz", true, false},  // refused: nothing resumes
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    (form.*c.field)->clear();
    QTest::keyClicks(form.*c.field, c.typed);
    if (c.commit) QTest::keyClick(form.*c.field, Qt::Key_Return);
    EXPECT_EQ(form.BiteRefreshEnabled, c.enabledAfter) << c.typed;
    EXPECT_TRUE(form.sliderRefreshTimer->isActive());
    EXPECT_EQ(form.sliderRefreshTimer->interval(), 2000);
    // Suspended: a tick reads no status from the board.
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

QPoint HandleCenter(QSlider* slider) {
  QStyleOptionSlider opt;
  opt.initFrom(slider);
  opt.orientation = slider->orientation();
  opt.minimum = slider->minimum();
  opt.maximum = slider->maximum();
  opt.sliderPosition = slider->sliderPosition();
  opt.sliderValue = slider->value();
  return slider->style()
      ->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider)
      .center();
}

TEST(ClutchBite, DragSendsOnePairOnRelease) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  QSlider* slider = form.clutchBiteSlider;
  const QString fieldBefore = form.clutchBitePercentLabel->text();
  const QPoint start = HandleCenter(slider);
  QTest::mousePress(slider, Qt::LeftButton, {}, start);
  EXPECT_FALSE(form.BiteRefreshEnabled);
  QStringList tips;
  for (int dx : {-40, -80, -120}) {
    QTest::mouseMove(slider, start + QPoint(dx, 0));
    tips << slider->toolTip();
  }
  const int dragged = slider->sliderPosition();
  EXPECT_LT(dragged, 32768);
  EXPECT_TRUE(rig.platform.featureLog().empty());
  EXPECT_EQ(form.clutchBitePercentLabel->text(), fieldBefore);
  rig.tick();  // held: no refresh reads
  EXPECT_TRUE(rig.platform.featureLog().empty());
  QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(-120, 0));
  EXPECT_TRUE(form.BiteRefreshEnabled);
  EXPECT_EQ(tips.size(), 3);
  EXPECT_NE(tips.first(), tips.last());
  const QString shown = form.ClutchBitePercentText();
  EXPECT_EQ(tips.last(), shown);
  EXPECT_EQ(form.clutchBitePercentLabel->text(), shown);
  EXPECT_EQ(SentTriples(rig), Triples({{1, 0x46, dragged & 0xFF}, {1, 0x47, dragged >> 8}}));
  EXPECT_EQ(rig.platform.firmware(0).settingWord(0x46), dragged);
}

TEST(ClutchBite, KeyboardStepSendsThePairOnce) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  form.clutchBiteSlider->setValue(299);
  EXPECT_TRUE(rig.platform.featureLog().empty()) << "from code: no handler";
  const auto t0 = rig.nowMs();
  form.clutchBiteSlider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(SentTriples(rig), Triples({{1, 0x46, 0x2C}, {1, 0x47, 0x01}}));
  EXPECT_EQ(rig.nowMs() - t0, 20);
  EXPECT_EQ(form.clutchBitePercentLabel->text(), "0.4");
}

TEST(ClutchBite, LowestPositionsShowZero) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  for (int position : {0, 1}) {
    form.clutchBiteSlider->setValue(position);
    form.clutchBiteSlider_Click();
    EXPECT_EQ(form.clutchBitePercentLabel->text(), "0.0") << position;
  }
}

TEST(Led, EveryScrollPositionSendsAPair) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  QSlider* slider = form.ledSlider;
  const QString fieldBefore = form.ledPercentLabel->text();
  const auto t0 = rig.nowMs();
  slider->setSliderDown(true);
  for (int position : {10, 11, 255}) slider->setSliderPosition(position);
  EXPECT_EQ(rig.nowMs() - t0, 60);
  EXPECT_EQ(form.ledPercentLabel->text(), fieldBefore);
  EXPECT_EQ(slider->toolTip(), "100.0");
  slider->setSliderDown(false);
  EXPECT_EQ(SentTriples(rig), Triples({{1, 0x60, 10},
                                       {1, 0x61, 0},
                                       {1, 0x60, 11},
                                       {1, 0x61, 0},
                                       {1, 0x60, 0xFF},
                                       {1, 0x61, 0x00},
                                       {1, 0x60, 0xFF},
                                       {1, 0x61, 0x00}}));
  EXPECT_EQ(form.ledPercentLabel->text(), "100.0");
}

TEST(Led, WithoutABoardEachScrollStillTakes20ms) {
  Rig rig;
  frmMain& form = rig.load();
  const auto t0 = rig.nowMs();
  form.ledSlider->setSliderDown(true);
  form.ledSlider->setSliderPosition(100);
  form.ledSlider->setSliderPosition(90);
  EXPECT_EQ(rig.nowMs() - t0, 40);
  form.ledSlider->setSliderDown(false);
  EXPECT_EQ(rig.nowMs() - t0, 60);
  EXPECT_TRUE(rig.platform.featureLog().empty());
}

struct DeadZoneCase {
  QLineEdit* frmMain::*field;
  const char* typed;
  const char* shown;
  Triples sent;
  const char* readBack = nullptr;  // when the board's raw value shows otherwise
};

const DeadZoneCase kDeadZones[] = {
    {&frmMain::xDeadLow, "5", "5.0", {{1, 0x54, 203}, {1, 0x55, 12}}},
    {&frmMain::xDeadHigh, "15", "10.0", {{1, 0x56, 150}, {1, 0x57, 25}}},
    {&frmMain::yDeadLow, "10.5", "10.5", {{1, 0x58, 222}, {1, 0x59, 26}}},
    {&frmMain::yDeadHigh, "abc", "0.0", {{1, 0x5A, 0}, {1, 0x5B, 0}}},
    {&frmMain::xDeadLow, "7.3", "7.3", {{1, 0x54, 0xAE}, {1, 0x55, 0x12}}},
    {&frmMain::xDeadLow, "7,3", "7.3", {{1, 0x54, 0xAE}, {1, 0x55, 0x12}}},
    {&frmMain::xDeadLow, "2.25", "2.3", {{1, 0x54, 0xE2}, {1, 0x55, 0x05}}, "2.2"},  // 1506/655
    {&frmMain::xDeadHigh, "-3", "0.0", {{1, 0x56, 0}, {1, 0x57, 0}}},
};

TEST(DeadZones, EnterLimitsFormatsAndSendsTwoBytes) {
  for (const auto& c : kDeadZones) {
    SCOPED_TRACE(c.typed);
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    const auto t0 = rig.nowMs();
    Commit(form.*c.field, c.typed);
    EXPECT_EQ((form.*c.field)->text().toStdString(), c.shown);
    EXPECT_EQ(SentTriples(rig), c.sent);
    EXPECT_EQ(rig.nowMs() - t0, 40);
    EXPECT_TRUE(form.BiteRefreshEnabled) << "dead zones never hold the bite refresh";
    EXPECT_FALSE(form.sliderRefreshTimer->isActive());
    // What the board stored reads back as shown.
    (form.*c.field)->setText("?");
    form.ReadDeviceConfiguration();
    EXPECT_EQ((form.*c.field)->text().toStdString(), c.readBack ? c.readBack : c.shown);
  }
}

TEST(DeadZones, WithoutABoardEnterStillFormatsAndPaces) {
  Rig rig;
  frmMain& form = rig.load();
  const auto t0 = rig.nowMs();
  form.xDeadLow->setText("15");
  int key = 13;
  form.xDeadLow_KeyPress(key);
  EXPECT_EQ(form.xDeadLow->text(), "10.0");
  EXPECT_EQ(rig.nowMs() - t0, 40);
  EXPECT_TRUE(rig.platform.featureLog().empty());
}

TEST(DeadZones, CommaLocale) {
  const DeadZoneCase cases[] = {
      {&frmMain::xDeadLow, "7.3", "7,3", {{1, 0x54, 0xAE}, {1, 0x55, 0x12}}},
      {&frmMain::yDeadLow, "2,25", "2,3", {{1, 0x58, 0xE2}, {1, 0x59, 0x05}}},
      {&frmMain::yDeadHigh, "15", "10,0", {{1, 0x5A, 150}, {1, 0x5B, 25}}},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig, kGerman);
    Commit(form.*c.field, c.typed);
    EXPECT_EQ((form.*c.field)->text().toStdString(), c.shown);
    EXPECT_EQ(SentTriples(rig), c.sent);
  }
}

}  // namespace
}  // namespace torvex::test
