// Option lists, mode selectors and response curves on the real window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QSlider>

#include "protocol/BoardSession.h"

namespace torvex::test {
namespace {

QString Entries(const QComboBox* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
  return out.join('|');
}

TEST(OptionLists, EntriesAndDefaults) {
  Rig rig;
  frmMain& form = rig.load();
  QStringList widths;
  for (int ms = 8; ms <= 200; ms += 8) widths << QString("%1 ms").arg(ms);
  EXPECT_EQ(Entries(form.delay), widths.join('|'));
  EXPECT_EQ(form.delay->currentText(), "64 ms");
  EXPECT_EQ(Entries(form.xClutchCurveCombo), "Linear|S-Curve|Progressive/Degressive");
  EXPECT_EQ(Entries(form.yClutchCurveCombo), Entries(form.xClutchCurveCombo));
  EXPECT_EQ(Entries(form.analogInputModeCombo), "Dual Clutch|Throttle and Brake");
  EXPECT_EQ(Entries(form.masterClutchModeCombo), "Left|Right");
  EXPECT_EQ(Entries(form.rotarySwitchLeftCombo),
            "12 Way Rotary|12 Way Rotary Pulsed|Encoder|Shift (R-Encoder)|Encoder (R-Shifted)");
  EXPECT_EQ(Entries(form.rotarySwitchRightCombo),
            "12 Way Rotary|12 Way Rotary Pulsed|Encoder|Encoder (L-Shifted)|Shift (L-Encoder)");
  for (QComboBox* list :
       {form.xClutchCurveCombo, form.yClutchCurveCombo, form.analogInputModeCombo,
        form.masterClutchModeCombo, form.rotarySwitchLeftCombo, form.rotarySwitchRightCombo})
    EXPECT_EQ(list->currentIndex(), 0) << list->objectName().toStdString();
  EXPECT_FALSE(form.xSliderCurveNumber->isEnabled());
  EXPECT_FALSE(form.ySliderCurveNumber->isEnabled());
}

// Filling leaves no selection, so the first selection from code is a change
// and runs each handler exactly once; with sending allowed it shows on the
// wire. A start-up with a board sends nothing.
TEST(OptionLists, FillingRunsEachSelectionHandlerOnce) {
  Rig rig;
  rig.addBoard(u"A");
  rig.load();
  for (const auto& e : rig.platform.featureLog()) EXPECT_FALSE(e.isSet);
  rig.destroyForm();
  rig.platform.clearLog();

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
  EXPECT_EQ(Sent(rig), "40:08 5C:00 5D:00");
  EXPECT_FALSE(form.xSliderCurveNumber->isEnabled());
  form.FillPulseWidthList();  // refilled: runs again from no selection
  EXPECT_EQ(rig.sent(0).size(), 4u);
}

struct Pick {
  QComboBox* frmMain::*list;
  int index;
};

constexpr auto A = &frmMain::analogInputModeCombo;
constexpr auto L = &frmMain::rotarySwitchLeftCombo;
constexpr auto R = &frmMain::rotarySwitchRightCombo;

// Indexes 3 and 4 pair the rotary inputs: both lists follow and the right
// one is locked; leaving a pairing from the left list resets the right one.
const struct ModeCase {
  const char* name;
  std::vector<Pick> before;
  Pick pick;
  const char* sent;
  int left, right;
  bool rightEnabled;
} kModeCases[] = {
    {"analog", {}, {A, 1}, "45:01", 0, 0, true},
    {"same index", {}, {A, 0}, "", 0, 0, true},
    {"master", {}, {&frmMain::masterClutchModeCombo, 1}, "48:01", 0, 0, true},
    {"left plain", {{R, 2}}, {L, 1}, "49:01", 1, 2, true},
    {"left pairs 3", {{L, 1}, {R, 2}}, {L, 3}, "49:03 4A:03 49:03 4A:03", 3, 3, false},
    {"left 3 to 4", {{L, 3}}, {L, 4}, "49:04 4A:04 49:04 4A:04", 4, 4, false},
    {"left leaves pairing", {{L, 3}}, {L, 2}, "49:02 4A:00 4A:00", 2, 0, true},
    {"right plain", {{L, 1}}, {R, 2}, "4A:02", 1, 2, true},
    {"right pairs 4", {}, {R, 4}, "4A:04 49:04 4A:04 49:04", 4, 4, false},
};

TEST(ModeSelectors, CommandsAndListsWithAndWithoutABoard) {
  for (bool board : {true, false}) {
    for (const auto& c : kModeCases) {
      SCOPED_TRACE(std::string(c.name) + (board ? "" : ", no board"));
      Rig rig;
      if (board) rig.addBoard(u"A");
      frmMain& form = board ? LoadConnected(rig) : rig.load();
      form.rotarySwitchRightCombo->setEnabled(true);
      for (const auto& p : c.before) (form.*p.list)->setCurrentIndex(p.index);
      rig.platform.clearLog();
      const auto t0 = rig.nowMs();
      (form.*c.pick.list)->setCurrentIndex(c.pick.index);
      const std::string sent = c.sent;
      const int sends = sent.empty() ? 0 : static_cast<int>(sent.size() + 1) / 6;
      EXPECT_EQ(rig.nowMs() - t0, 10 * sends);
      EXPECT_EQ(form.rotarySwitchLeftCombo->currentIndex(), c.left);
      EXPECT_EQ(form.rotarySwitchRightCombo->currentIndex(), c.right);
      // With no board the frame is disabled; the list's own state is what changes.
      EXPECT_EQ(form.rotarySwitchRightCombo->isEnabledTo(form.rotarySwitchFrame), c.rightEnabled);
      if (!board) {
        EXPECT_TRUE(rig.platform.featureLog().empty());
        continue;
      }
      EXPECT_EQ(Sent(rig), sent);
      // The board ends holding what the lists show.
      EXPECT_EQ(rig.platform.firmware(0).setting(0x49), c.left);
      EXPECT_EQ(rig.platform.firmware(0).setting(0x4A), c.right);
    }
  }
}

// A curve type enables only its axis' curve-number slider ("Linear" disables
// it without moving it) and clears the chart.
TEST(ResponseCurves, TypeEnablesOnlyItsAxisSlider) {
  const struct {
    QComboBox* frmMain::*list;
    int before, index;
    const char* sent;
    bool xEnabled, yEnabled;
  } cases[] = {
      {&frmMain::xClutchCurveCombo, 0, 1, "5C:01", true, false},
      {&frmMain::yClutchCurveCombo, 0, 2, "5D:02", false, true},
      {&frmMain::xClutchCurveCombo, 2, 0, "5C:00", false, false},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.addBoard(u"A");
    frmMain& form = LoadConnected(rig);
    (form.*c.list)->setCurrentIndex(c.before);
    form.xSliderCurveNumber->setValue(3);
    rig.platform.clearLog();
    form.ChartPrevX = 123;
    (form.*c.list)->setCurrentIndex(c.index);
    EXPECT_EQ(Sent(rig), c.sent);
    EXPECT_EQ(form.xSliderCurveNumber->isEnabled(), c.xEnabled);
    EXPECT_EQ(form.ySliderCurveNumber->isEnabled(), c.yEnabled);
    EXPECT_EQ(form.xSliderCurveNumber->value(), 3);
    EXPECT_EQ(form.ChartPrevX, 0) << "chart cleared";
  }
}

}  // namespace
}  // namespace torvex::test
