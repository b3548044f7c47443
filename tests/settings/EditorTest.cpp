// Option lists, mode selectors and response curves on the real window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QSlider>

#include "protocol/BoardSession.h"

namespace torvex::test {
namespace {

QStringList Entries(const QComboBox* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
  return out;
}

TEST(OptionLists, EntriesAndDefaults) {
  Rig rig;
  frmMain& form = rig.load();
  QStringList widths;
  for (int ms = 8; ms <= 200; ms += 8) widths << QString("%1 ms").arg(ms);
  EXPECT_EQ(Entries(form.delay), widths);
  EXPECT_EQ(form.delay->currentText(), "64 ms");
  const QStringList curves{"Linear", "S-Curve", "Progressive/Degressive"};
  EXPECT_EQ(Entries(form.xClutchCurveCombo), curves);
  EXPECT_EQ(Entries(form.yClutchCurveCombo), curves);
  EXPECT_EQ(Entries(form.analogInputModeCombo), QStringList({"Dual Clutch", "Throttle and Brake"}));
  EXPECT_EQ(Entries(form.masterClutchModeCombo), QStringList({"Left", "Right"}));
  EXPECT_EQ(Entries(form.rotarySwitchLeftCombo),
            QStringList({"12 Way Rotary", "12 Way Rotary Pulsed", "Encoder", "Shift (R-Encoder)",
                         "Encoder (R-Shifted)"}));
  EXPECT_EQ(Entries(form.rotarySwitchRightCombo),
            QStringList({"12 Way Rotary", "12 Way Rotary Pulsed", "Encoder", "Encoder (L-Shifted)",
                         "Shift (L-Encoder)"}));
  for (QComboBox* list :
       {form.xClutchCurveCombo, form.yClutchCurveCombo, form.analogInputModeCombo,
        form.masterClutchModeCombo, form.rotarySwitchLeftCombo, form.rotarySwitchRightCombo})
    EXPECT_EQ(list->currentIndex(), 0) << list->objectName().toStdString();
  EXPECT_FALSE(form.xSliderCurveNumber->isEnabled());
  EXPECT_FALSE(form.ySliderCurveNumber->isEnabled());
}

TEST(OptionLists, StartUpWithABoardSendsNothing) {
  Rig rig;
  rig.addBoard(u"A");
  rig.load();
  for (const auto& e : rig.platform.featureLog()) EXPECT_FALSE(e.isSet);
}

// Filling leaves no selection, so the first selection from code is a change
// and runs each handler exactly once, in order. Here sending is allowed, so
// the handlers show on the wire.
TEST(OptionLists, FillingRunsEachSelectionHandlerOnce) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = rig.create();
  OpenBoard(rig, form, 0);
  form.ConfigurationLoaded = true;
  form.xSliderCurveNumber->setEnabled(true);
  form.FillModeLists();
  for (QComboBox* list : {form.analogInputModeCombo, form.masterClutchModeCombo,
                          form.rotarySwitchLeftCombo, form.rotarySwitchRightCombo})
    EXPECT_EQ(list->currentIndex(), -1);
  form.FillPulseWidthList();
  form.FillCurveTypeLists();
  EXPECT_EQ(SentTriples(rig), Triples({{1, 0x40, 8}, {1, 0x5C, 0}, {1, 0x5D, 0}}));
  EXPECT_FALSE(form.xSliderCurveNumber->isEnabled());
  form.FillPulseWidthList();  // refilled: runs again from no selection
  EXPECT_EQ(rig.sent(0).size(), 4u);
}

struct Pick {
  QComboBox* frmMain::*list;
  int index;
};

constexpr auto L = &frmMain::rotarySwitchLeftCombo;
constexpr auto R = &frmMain::rotarySwitchRightCombo;

struct ModeCase {
  const char* name;
  std::vector<Pick> before;
  Pick pick;
  Triples sent;
  int left, right;
  bool rightEnabled;
};

const ModeCase kModeCases[] = {
    {"analog", {}, {&frmMain::analogInputModeCombo, 1}, {{1, 0x45, 1}}, 0, 0, true},
    {"master", {}, {&frmMain::masterClutchModeCombo, 1}, {{1, 0x48, 1}}, 0, 0, true},
    {"left plain", {{R, 2}}, {L, 1}, {{1, 0x49, 1}}, 1, 2, true},
    {"left pairs 3",
     {{L, 1}, {R, 2}},
     {L, 3},
     {{1, 0x49, 3}, {1, 0x4A, 3}, {1, 0x49, 3}, {1, 0x4A, 3}},
     3,
     3,
     false},
    {"left pairs 4",
     {{L, 2}},
     {L, 4},
     {{1, 0x49, 4}, {1, 0x4A, 4}, {1, 0x49, 4}, {1, 0x4A, 4}},
     4,
     4,
     false},
    {"left 3 to 4",
     {{L, 3}},
     {L, 4},
     {{1, 0x49, 4}, {1, 0x4A, 4}, {1, 0x49, 4}, {1, 0x4A, 4}},
     4,
     4,
     false},
    {"left leaves pairing",
     {{L, 3}},
     {L, 2},
     {{1, 0x49, 2}, {1, 0x4A, 0}, {1, 0x4A, 0}},
     2,
     0,
     true},
    {"left leaves pairing 4",
     {{L, 4}},
     {L, 0},
     {{1, 0x49, 0}, {1, 0x4A, 0}, {1, 0x4A, 0}},
     0,
     0,
     true},
    {"right plain", {{L, 1}}, {R, 2}, {{1, 0x4A, 2}}, 1, 2, true},
    {"right pairs 3",
     {{L, 2}},
     {R, 3},
     {{1, 0x4A, 3}, {1, 0x49, 3}, {1, 0x4A, 3}, {1, 0x49, 3}},
     3,
     3,
     false},
    {"right pairs 4",
     {},
     {R, 4},
     {{1, 0x4A, 4}, {1, 0x49, 4}, {1, 0x4A, 4}, {1, 0x49, 4}},
     4,
     4,
     false},
};

TEST(ModeSelectors, CommandsAndListsWithABoard) {
  for (const auto& c : kModeCases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    for (const auto& p : c.before) (form.*p.list)->setCurrentIndex(p.index);
    rig.platform.clearLog();
    const auto t0 = rig.nowMs();
    (form.*c.pick.list)->setCurrentIndex(c.pick.index);
    EXPECT_EQ(SentTriples(rig), c.sent);
    EXPECT_EQ(rig.nowMs() - t0, 10 * static_cast<int>(c.sent.size()));
    EXPECT_EQ(form.rotarySwitchLeftCombo->currentIndex(), c.left);
    EXPECT_EQ(form.rotarySwitchRightCombo->currentIndex(), c.right);
    EXPECT_EQ(form.rotarySwitchRightCombo->isEnabled(), c.rightEnabled);
    // The board ends holding what the lists show.
    EXPECT_EQ(rig.platform.firmware(0).setting(0x49), c.left);
    EXPECT_EQ(rig.platform.firmware(0).setting(0x4A), c.right);
  }
}

TEST(ModeSelectors, WithoutABoardListsEndTheSameAndNothingIsSent) {
  for (const auto& c : kModeCases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    frmMain& form = rig.load();
    form.rotarySwitchRightCombo->setEnabled(true);
    for (const auto& p : c.before) (form.*p.list)->setCurrentIndex(p.index);
    rig.platform.clearLog();
    const auto t0 = rig.nowMs();
    (form.*c.pick.list)->setCurrentIndex(c.pick.index);
    EXPECT_TRUE(rig.platform.featureLog().empty());
    EXPECT_EQ(rig.nowMs() - t0, 10 * static_cast<int>(c.sent.size()));
    EXPECT_EQ(form.rotarySwitchLeftCombo->currentIndex(), c.left);
    EXPECT_EQ(form.rotarySwitchRightCombo->currentIndex(), c.right);
    // Its frame is disabled with no board; the list's own state is what changes.
    EXPECT_EQ(form.rotarySwitchRightCombo->isEnabledTo(form.rotarySwitchFrame), c.rightEnabled);
  }
}

TEST(ModeSelectors, SameIndexRunsNothing) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  form.analogInputModeCombo->setCurrentIndex(0);
  form.rotarySwitchLeftCombo->setCurrentIndex(0);
  EXPECT_TRUE(rig.platform.featureLog().empty());
}

TEST(ResponseCurves, TypeEnablesOnlyItsAxisSlider) {
  struct Case {
    QComboBox* frmMain::*list;
    int index;
    Triples sent;
    bool xEnabled, yEnabled;
  } cases[] = {
      {&frmMain::xClutchCurveCombo, 1, {{1, 0x5C, 1}}, true, false},
      {&frmMain::xClutchCurveCombo, 2, {{1, 0x5C, 2}}, true, false},
      {&frmMain::yClutchCurveCombo, 1, {{1, 0x5D, 1}}, false, true},
      {&frmMain::yClutchCurveCombo, 2, {{1, 0x5D, 2}}, false, true},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    form.ChartPrevX = 123;
    (form.*c.list)->setCurrentIndex(c.index);
    EXPECT_EQ(SentTriples(rig), c.sent);
    EXPECT_EQ(form.xSliderCurveNumber->isEnabled(), c.xEnabled);
    EXPECT_EQ(form.ySliderCurveNumber->isEnabled(), c.yEnabled);
    EXPECT_EQ(form.ChartPrevX, 0) << "chart cleared";
  }
}

TEST(ResponseCurves, LinearDisablesWithoutMoving) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  form.xClutchCurveCombo->setCurrentIndex(1);
  form.xSliderCurveNumber->setValue(3);
  rig.platform.clearLog();
  form.xClutchCurveCombo->setCurrentIndex(0);
  EXPECT_EQ(SentTriples(rig), Triples({{1, 0x5C, 0}}));
  EXPECT_FALSE(form.xSliderCurveNumber->isEnabled());
  EXPECT_EQ(form.xSliderCurveNumber->value(), 3);
}

// A drag sends the position + 5 for every position passed and once more on
// release; each send clears the chart and takes 10 ms.
TEST(ResponseCurves, CurveNumberDragSendsEachPosition) {
  struct Case {
    QSlider* frmMain::*slider;
    QComboBox* frmMain::*type;
    int code;
  } cases[] = {{&frmMain::xSliderCurveNumber, &frmMain::xClutchCurveCombo, 0x5E},
               {&frmMain::ySliderCurveNumber, &frmMain::yClutchCurveCombo, 0x5F}};
  for (const auto& c : cases) {
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    (form.*c.type)->setCurrentIndex(1);
    QSlider* slider = form.*c.slider;
    rig.platform.clearLog();
    const auto t0 = rig.nowMs();
    slider->setSliderDown(true);
    for (int position : {-5, 0, 5}) {
      form.ChartPrevY = 7;
      slider->setSliderPosition(position);
      EXPECT_EQ(form.ChartPrevY, 0);
    }
    slider->setSliderDown(false);
    EXPECT_EQ(SentTriples(rig),
              Triples({{1, c.code, 0}, {1, c.code, 5}, {1, c.code, 10}, {1, c.code, 10}}));
    EXPECT_EQ(rig.nowMs() - t0, 40);
  }
}

TEST(ResponseCurves, KeyboardStepIsScrollThenClick) {
  Rig rig;
  rig.addBoard(u"A");
  frmMain& form = LoadConnected(rig);
  form.yClutchCurveCombo->setCurrentIndex(2);
  rig.platform.clearLog();
  form.ySliderCurveNumber->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(SentTriples(rig), Triples({{1, 0x5F, 6}, {1, 0x5F, 6}}));
  form.ySliderCurveNumber->setValue(-2);  // from code: no handler
  EXPECT_EQ(rig.sent(0).size(), 2u);
}

}  // namespace
}  // namespace torvex::test
