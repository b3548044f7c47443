// The settings editor: which settings each user action sends and in which
// order, typed entries, and the clutch bite point held off the board.
#include <cstdio>

#include "Gui.h"

namespace torvex::test {
namespace {

std::string Word(int lowCode, int value) {
  char s[16];
  std::snprintf(s, sizeof s, "%02X:%02X %02X:%02X", lowCode, value & 0xFF, lowCode + 1, value >> 8);
  return s;
}

TEST(Editor, ListEntriesAndWhatTheyShowWithoutABoard) {
  Rig rig;
  const auto& ui = rig.load().controls();
  auto entries = [](const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
    return out.join('|');
  };
  EXPECT_EQ(entries(ui.analogInputModeList), "Dual Clutch|Throttle and Brake");
  EXPECT_EQ(entries(ui.masterClutchList), "Left|Right");
  EXPECT_EQ(entries(ui.rotaryLeftList),
            "12 Way Rotary|12 Way Rotary Pulsed|Encoder|Shift (R-Encoder)|Encoder (R-Shifted)");
  EXPECT_EQ(entries(ui.rotaryRightList),
            "12 Way Rotary|12 Way Rotary Pulsed|Encoder|Encoder (L-Shifted)|Shift (L-Encoder)");
  EXPECT_EQ(entries(ui.xCurveTypeList), "Linear|S-Curve|Progressive/Degressive");
  EXPECT_EQ(entries(ui.yCurveTypeList), entries(ui.xCurveTypeList));
  EXPECT_EQ(ui.pulseWidthList->count(), 25);
  EXPECT_EQ(ui.pulseWidthList->currentText(), "64 ms");
  EXPECT_EQ(ui.clutchBiteField->text(), "50.0");
  EXPECT_EQ(ui.ledField->text(), "100.0");
}

// Modes 3 and 4 pair the rotary inputs: the left list owns a pairing and the
// right one follows it, locked; leaving a pairing resets the right list.
TEST(Editor, EachPickSendsItsSettingsInOrder) {
  const struct {
    const char* name;
    std::vector<std::pair<const char*, int>> before;
    const char* list;
    int index;
    const char* sent;
    int left, right;
    bool rightEnabled;
  } cases[] = {
      {"analog", {}, "analogInputModeList", 1, "45:01", 0, 0, true},
      {"same index", {}, "analogInputModeList", 0, "", 0, 0, true},
      {"master", {}, "masterClutchList", 1, "48:01", 0, 0, true},
      {"pulse width", {}, "pulseWidthList", 4, "40:05", 0, 0, true},
      {"reset", {}, "resetAllButton", 0, "3/04:05", 0, 0, true},
      {"x curve", {}, "xCurveTypeList", 2, "5C:02", 0, 0, true},
      {"y curve", {}, "yCurveTypeList", 1, "5D:01", 0, 0, true},
      {"left plain", {{"rotaryRightList", 2}}, "rotaryLeftList", 1, "49:01", 1, 2, true},
      {"left pairs",
       {{"rotaryRightList", 2}},
       "rotaryLeftList",
       3,
       "49:03 4A:03 49:03 4A:03",
       3,
       3,
       false},
      {"left 3 to 4",
       {{"rotaryLeftList", 3}},
       "rotaryLeftList",
       4,
       "49:04 4A:04 49:04 4A:04",
       4,
       4,
       false},
      {"left leaves pairing",
       {{"rotaryLeftList", 3}},
       "rotaryLeftList",
       2,
       "49:02 4A:00 4A:00",
       2,
       0,
       true},
      {"right plain", {{"rotaryLeftList", 1}}, "rotaryRightList", 2, "4A:02", 1, 2, true},
      {"right pairs", {}, "rotaryRightList", 4, "4A:04 49:04 4A:04 49:04", 4, 4, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    gui::MainWindow& w = rig.loadConnected();
    for (auto [list, index] : c.before) Act(w, list, index);
    rig.platform.clearLog();
    Act(w, c.list, c.index);
    EXPECT_EQ(rig.sent(), c.sent);
    EXPECT_EQ(w.controls().rotaryLeftList->currentIndex(), c.left);
    EXPECT_EQ(w.controls().rotaryRightList->currentIndex(), c.right);
    EXPECT_EQ(w.controls().rotaryRightList->isEnabled(), c.rightEnabled);
    EXPECT_EQ(rig.platform.firmware(0).setting(0x4A), c.right);
  }
}

// "Linear" has no curve number: its slider is disabled, keeping its place.
TEST(Editor, CurveTypeEnablesOnlyItsAxisCurveNumber) {
  const struct {
    const char* list;
    int before, index;
    bool x, y;
  } cases[] = {{"xCurveTypeList", 0, 1, true, false},
               {"yCurveTypeList", 0, 2, false, true},
               {"xCurveTypeList", 2, 0, false, false}};
  for (const auto& c : cases) {
    Rig rig;
    gui::MainWindow& w = rig.loadConnected();
    Act(w, c.list, c.before);
    w.controls().xCurveNumberSlider->setValue(3);
    Act(w, c.list, c.index);
    EXPECT_EQ(w.controls().xCurveNumberSlider->isEnabled(), c.x) << c.list << c.index;
    EXPECT_EQ(w.controls().yCurveNumberSlider->isEnabled(), c.y) << c.list << c.index;
    EXPECT_EQ(w.controls().xCurveNumberSlider->value(), 3);
  }
}

// A drag sends every position it passes and again on release, except the
// bite point (release only); a key step is sent as a release. The field
// beside a slider follows on release and shows the tip's last text.
TEST(Editor, SliderDragAndKeyStepSends) {
  const struct {
    const char* slider;
    const char* field;
    std::array<int, 3> dragged;
    const char* dragSent;
    int stepFrom;
    const char* stepSent;
  } cases[] = {
      {"xCurveNumberSlider", nullptr, {-5, 0, 5}, "5E:00 5E:05 5E:0A 5E:0A", 4, "5E:0A 5E:0A"},
      {"yCurveNumberSlider", nullptr, {-5, 0, 5}, "5F:00 5F:05 5F:0A 5F:0A", -5, "5F:01 5F:01"},
      {"ledSlider",
       "ledField",
       {10, 11, 255},
       "60:0A 61:00 60:0B 61:00 60:FF 61:00 60:FF 61:00",
       9,
       "60:0A 61:00 60:0A 61:00"},
      {"clutchBiteSlider", "clutchBiteField", {100, 200, 300}, "46:2C 47:01", 655, "46:90 47:02"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slider);
    Rig rig;
    gui::MainWindow& w = rig.loadConnected();
    auto* slider = Find<QSlider>(w, c.slider);
    auto* field = c.field ? Find<QLineEdit>(w, c.field) : nullptr;
    auto fieldText = [&] { return field ? field->text() : slider->toolTip(); };
    const QString before = fieldText();
    slider->setSliderDown(true);
    for (int position : c.dragged) slider->setSliderPosition(position);
    EXPECT_EQ(fieldText(), before);
    slider->setSliderDown(false);
    EXPECT_EQ(rig.sent(), c.dragSent);
    EXPECT_EQ(fieldText(), slider->toolTip());
    slider->setValue(c.stepFrom);  // from code: nothing sent
    rig.platform.clearLog();
    slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(rig.sent(), c.stepSent);
    EXPECT_EQ(fieldText(), slider->toolTip());
  }
}

// Both "." and "," type the locale's separator; a slider field refuses text
// that is not a number, a dead zone takes it as 0 and is limited to 10 %.
TEST(Editor, TypedEntriesInBothLocales) {
  const struct {
    const char* typed;
    int bite;  // -1: refused, nothing sent, the text left as typed
    const char* biteShown;
    int led;
    const char* ledShown;
    int dead;
    const char* deadShown;
  } cases[] = {
      {"7,3", 4788, "7.3", 18, "7.0", 4782, "7.3"},
      {"7.3", 4788, "7.3", 18, "7.0", 4782, "7.3"},
      {"1,234.5", -1, "1.234.5", -1, "1.234.5", 0, "0.0"},
      {"abc", -1, "abc", -1, "abc", 0, "0.0"},
      {"15", 9840, "15.0", 38, "14.9", 6550, "10.0"},
      {"1.05", 688, "1.0", 2, "0.7", 721, "1.1"},
  };
  const std::pair<const char*, int> deadZones[] = {{"xDeadLowField", 0x54},
                                                   {"xDeadHighField", 0x56},
                                                   {"yDeadLowField", 0x58},
                                                   {"yDeadHighField", 0x5A}};
  for (const QLocale& locale : {kEnglish, kGerman}) {
    Rig rig;
    gui::MainWindow& w = rig.loadConnected(locale);
    const auto& ui = w.controls();
    const Qt::Key enter = locale == kGerman ? Qt::Key_Enter : Qt::Key_Return;
    auto type = [&](QLineEdit* field, const char* text) {
      field->clear();
      rig.platform.clearLog();
      QTest::keyClicks(field, text);
      QTest::keyClick(field, enter);
    };
    auto local = [&](const char* s) { return QString(s).replace('.', locale.decimalPoint()); };
    for (const auto& c : cases) {
      SCOPED_TRACE(locale.name().toStdString() + " " + c.typed);
      for (auto [field, slider, code, value, shown] :
           {std::tuple{ui.clutchBiteField, ui.clutchBiteSlider, 0x46, c.bite, c.biteShown},
            std::tuple{ui.ledField, ui.ledSlider, 0x60, c.led, c.ledShown}}) {
        slider->setValue(7);
        type(field, c.typed);
        EXPECT_EQ(field->text(), local(shown));
        EXPECT_EQ(slider->value(), value < 0 ? 7 : value);
        EXPECT_EQ(rig.sent(), value < 0 ? "" : Word(code, value));
      }
      for (auto [name, code] : deadZones) {
        type(Find<QLineEdit>(w, name), c.typed);
        EXPECT_EQ(Find<QLineEdit>(w, name)->text(), local(c.deadShown)) << name;
        EXPECT_EQ(rig.sent(), Word(code, c.dead)) << name;
      }
    }
  }
}

// The bite point follows the board on each tick, except while the user drags
// it or for 2 s after a key in a percentage field; a committed bite entry
// follows again at once, a dead zone never holds it.
TEST(Editor, ClutchBiteFollowsTheBoardUnlessHeld) {
  const struct {
    const char* name;
    const char* field;  // nullptr: the slider is dragged
    const char* keys;
    bool enter, held;
  } cases[] = {{"drag", nullptr, "", false, true},
               {"bite key", "clutchBiteField", "4", false, true},
               {"LED key", "ledField", "4", false, true},
               {"LED entry", "ledField", "40", true, true},
               {"bite entry", "clutchBiteField", "40", true, false},
               {"dead zone entry", "xDeadLowField", "4", true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    gui::MainWindow& w = rig.loadConnected();
    QSlider* slider = w.controls().clutchBiteSlider;
    if (!c.field) slider->setSliderDown(true);
    if (c.field) QTest::keyClicks(Find<QLineEdit>(w, c.field), c.keys);
    if (c.enter) QTest::keyClick(Find<QLineEdit>(w, c.field), Qt::Key_Return);
    const int shown = slider->value();
    rig.platform.firmware(0).setSettingWord(0x46, 1000);
    rig.tick();
    EXPECT_EQ(slider->value(), c.held ? shown : 1000);
    if (!c.held) continue;
    if (c.field) {
      EXPECT_TRUE(w.biteHoldTimer()->isActive());
      EXPECT_EQ(w.biteHoldTimer()->interval(), 2000);
    }
    c.field ? w.onBiteHoldElapsed() : slider->setSliderDown(false);
    rig.platform.firmware(0).setSettingWord(0x46, 1000);
    rig.tick();
    EXPECT_EQ(slider->value(), 1000);
    EXPECT_EQ(w.controls().clutchBiteField->text(), "1.5");
  }
}

}  // namespace
}  // namespace torvex::test
