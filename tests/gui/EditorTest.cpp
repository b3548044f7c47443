// The settings editor: which settings each user action sends and in which
// order, typed entries, and the clutch bite point held off the board.

#include "Gui.h"

namespace torvex::test {
namespace {

// Modes 3 and 4 pair the rotary inputs: the left list owns a pairing and the
// right one follows it, locked; leaving a pairing resets the right list.
// "Linear" has no curve number: its slider is disabled, keeping its place. A
// drag sends each position it passes and again on release, but the bite point
// only on release; a key step is sent as a release.
TEST(Editor, EachActionSendsItsSettingsInOrder) {
  const char* const state = "rotaryLeftList rotaryRightList xCurveNumberSlider yCurveNumberSlider";
  // clang-format off
  const struct { const char *before, *action, *sent, *state; } cases[] = {
      {"", "analogInputModeList=1", "45:01", "0 0 0- 0-"},
      {"", "masterClutchList=1", "48:01", "0 0 0- 0-"},
      {"", "pulseWidthList=4", "40:05", "0 0 0- 0-"},
      {"", "resetAllButton", "3/04:05", "0 0 0- 0-"},
      {"", "yCurveTypeList=1", "5D:01", "0 0 0- 0"},
      {"xCurveTypeList=2 xCurveNumberSlider", "xCurveTypeList=0", "5C:00", "0 0 1- 0-"},
      {"", "yCurveNumberSlider", "5F:06 5F:06", "0 0 0- 1-"},
      {"", "xCurveNumberSlider=-5,0,5", "5E:00 5E:05 5E:0A 5E:0A", "0 0 5- 0-"},
      {"", "ledSlider=10,254", "60:0A 61:00 60:FE 61:00 60:FE 61:00", "0 0 0- 0-"},
      {"", "clutchBiteSlider=100,200,300", "46:2C 47:01", "0 0 0- 0-"},
      {"", "clutchBiteSlider", "46:01 47:80", "0 0 0- 0-"},
      {"", "xDeadHighField=4\r", "56:3C 57:0A", "0 0 0- 0-"},
      {"", "yDeadLowField=4\r", "58:3C 59:0A", "0 0 0- 0-"},
      {"", "yDeadHighField=4\r", "5A:3C 5B:0A", "0 0 0- 0-"},
      {"rotaryRightList=2", "rotaryLeftList=3", "49:03 4A:03 49:03 4A:03", "3 3- 0- 0-"},
      {"rotaryLeftList=3", "rotaryLeftList=2", "49:02 4A:00 4A:00", "2 0 0- 0-"},
      {"", "rotaryRightList=4", "4A:04 49:04 4A:04 49:04", "4 4- 0- 0-"},
  };
  // clang-format on
  for (const auto& c : cases) {
    Rig rig;
    gui::MainWindow& w = rig.loadConnected();
    Act(w, c.before);
    rig.platform.clearLog();
    Act(w, c.action);
    EXPECT_EQ(rig.sent(), c.sent) << c.before << " then " << c.action;
    EXPECT_EQ(ShownAll(w, state), c.state) << c.before << " then " << c.action;
  }
}

// "." and "," both type the locale's separator, so no group separator can be
// typed; Return and keypad Enter commit. A slider field refuses what is not a
// number, keeping its text; a dead zone takes it as 0, limited to 10 %.
TEST(Editor, TypedEntriesInBothLocales) {
  // clang-format off
  const struct { const char *typed, *bite, *led, *dead; } cases[] = {
      {"7,3", "7.3 46:B4 47:12", "7.0 60:12 61:00", "7.3 54:AE 55:12"},
      {"7.3", "7.3 46:B4 47:12", "7.0 60:12 61:00", "7.3 54:AE 55:12"},
      {"1,234.5", "1.234.5 ", "1.234.5 ", "0.0 54:00 55:00"},
      {"15", "15.0 46:70 47:26", "14.9 60:26 61:00", "10.0 54:96 55:19"}};
  // clang-format on
  for (const QLocale& locale : {kEnglish, kGerman}) {
    Rig rig;
    gui::MainWindow& w = rig.loadConnected(locale);
    for (const auto& c : cases) {
      for (auto [name, expected] :
           {std::pair{"clutchBiteField", c.bite}, {"ledField", c.led}, {"xDeadLowField", c.dead}}) {
        rig.platform.clearLog();
        Act(w, qPrintable(QString(name) + "=" + c.typed));
        QTest::keyClick(Find<QLineEdit>(w, name),
                        locale == kGerman ? Qt::Key_Enter : Qt::Key_Return);
        EXPECT_EQ(Find<QLineEdit>(w, name)->text() + " " + rig.sent().c_str(),
                  QString(expected).replace('.', locale.decimalPoint()))
            << locale.name().toStdString() << " " << c.typed;
      }
    }
  }
}

// The bite point follows the board on each tick, except while the user drags
// it or for 2 s after a key in a percentage field; a committed bite entry
// follows again at once, a dead zone never holds it.
TEST(Editor, ClutchBiteFollowsTheBoardUnlessHeld) {
  // clang-format off
  for (auto [keys, held] : {std::pair{"", true}, {"clutchBiteField=4", true}, {"ledField=4", true},
       {"ledField=40\r", true}, {"clutchBiteField=40\r", false}, {"xDeadLowField=4\r", false}}) {
    // clang-format on
    Rig rig;
    gui::MainWindow& w = rig.loadConnected();
    QSlider* slider = w.controls().clutchBiteSlider;
    Act(w, keys);
    if (!*keys) {  // dragged: the tip follows at once, the field on release
      slider->setSliderDown(true);
      slider->setSliderPosition(300);
      EXPECT_EQ(QToolTip::text() + w.controls().clutchBiteField->text(), "0.450.0");
    }
    const int shown = slider->value();
    rig.platform.firmware(0).setSettingWord(0x46, 1000);
    rig.tick();
    EXPECT_EQ(slider->value(), held ? shown : 1000) << keys;
    if (!held) continue;
    EXPECT_EQ(w.biteHoldTimer()->isActive() ? w.biteHoldTimer()->interval() : 0, *keys ? 2000 : 0);
    if (!*keys) {  // a typing hold running out mid-drag does not let go of it
      w.onBiteHoldElapsed();
      rig.ticks(2);
      EXPECT_EQ(slider->value(), shown);
    }
    *keys ? w.onBiteHoldElapsed() : slider->setSliderDown(false);
    EXPECT_EQ(slider->toolTip(), "");  // the tip went with the move: hovering shows none
    rig.platform.firmware(0).setSettingWord(0x46, 1000);
    rig.tick();
    EXPECT_EQ(ShownAll(w, "clutchBiteSlider clutchBiteField"), "1000 1.5") << keys;
    // Ticks that find the same value keep the user's selection in the field.
    w.controls().clutchBiteField->setSelection(0, 2);
    rig.ticks(2);  // the board answers its two records in turn
    EXPECT_EQ(w.controls().clutchBiteField->selectedText(), "1.") << keys;
  }
}

}  // namespace
}  // namespace torvex::test
