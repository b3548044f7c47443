// SPDX-License-Identifier: MIT
// The settings half of the window: every control with its text and place in
// twips (pixels are twips / 15, rounded); finding boards and the read-back as
// the window shows it; then the editor: which settings each user action sends
// and in which order, typed entries, and the clutch bite point held off the board.
#include "Gui.h"

namespace torvex::test {
namespace {

// "name left top width height text" relative to the control's frame, after
// start-up with a board; "*": not checked. The frames, and in them a control
// of each kind: the Y axis mirrors the X axis, the lists' places and the other
// captions, labels and fields are plain constants. Button indicators lie in
// eight columns with nine equal gaps, rows 1.2 heights apart, each number a
// quarter down its indicator.
// clang-format off
const char* const kControls = R"(
deviceFrame 120 120 3735 1935 Device Details | serialNumberList 1320 360 2055 315 *
serialNumberCaption 120 360 1170 255 Serial Number: | manufacturerLabel 1200 720 1575 255  Corvane
resetAllButton 2760 1400 855 375 Reset All | analogInputFrame 120 2160 3735 975 Analog Input Mode
masterClutchFrame 120 3240 3735 975 Master Clutch | clutchBiteFrame 120 4320 3735 1575 Clutch Bite Point
rotarySwitchFrame 120 6000 3735 1575 Rotary Switch Mode | pulseWidthFrame 120 7680 3735 975 Encoder Pulse Width
ledFrame 120 8760 3735 1575 LED Intensity | ledSlider 240 600 3255 345 255
ledField 1560 1080 615 285 100.0 | clutchBiteSlider 240 600 3255 345 32768
inputsFrame 3960 120 4815 4095 Inputs | xAxisFrame 3960 4320 4815 3015 X Axis
xCurveNumberSlider 840 1080 3255 345 0 | xAxisBar 120 1680 3855 255 0
xAxisPercentLabel 4080 1680 615 375 0 % | showCurveXButton 120 2040 1455 375 Show Curve >>
yAxisFrame 3960 7440 4815 2895 Y Axis | clearChartButton 12240 4680 1695 495 Clear Chart
curveChart 9720 5400 5175 4575 * | buttonIndicator_0 202 375 375 375 *
buttonIndicator_63 4238 3525 375 375 *
)";
// clang-format on

// Notes what the platform had seen when the window was first drawn.
struct FirstPaint : QObject {
  sim::VirtualPlatform* platform = nullptr;
  std::string seen;  // scans so far @ virtual microseconds
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && seen.empty())
      seen = std::to_string(platform->enumerateCount()) + "@" + std::to_string(platform->nowUs());
    return false;
  }
};

// The window is drawn before start-up scans for boards and reads one back.
TEST(Layout, DrawnFirstThenEveryControlWithItsTextInItsPlace) {
  Rig rig;
  rig.platform.addBoard({});
  FirstPaint watch;
  watch.platform = &rig.platform;
  gui::MainWindow& w = rig.load(kEnglish, false);
  w.installEventFilter(&watch);
  w.start();
  EXPECT_EQ(watch.seen, "0@60000");  // after the held sends of the lists' first selections
  EXPECT_EQ(w.windowTitle() + QString::asprintf(" %dx%d", w.width(), w.height()),
            "Corvane Torvex Configuration Tool v3.0 b4 592x703");
  for (const QString& row :
       QString(kControls).split(QRegularExpression(" \\| |\n"), Qt::SkipEmptyParts)) {
    const auto f = row.split(' ');
    auto* c = w.findChild<QWidget*>(f[0]);
    ASSERT_TRUE(c) << row.toStdString();
    EXPECT_EQ(c->geometry(), gui::TwipsRect(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt()))
        << row.toStdString();
    EXPECT_EQ(f.value(5) == "*" ? "*" : Shown(c), row.section(' ', 5)) << row.toStdString();
  }
}

// The serial list is usable only with a choice to make, its placeholder
// telling why none is listed; the editor only with a board, else the bite
// point shows the middle of its range. Values no control can show leave it as
// it was; the lists' handlers run as values land, left rotary list first (a
// pairing locks the right list; curve types enable their numbers), and send
// nothing back. Checked after a second read, which finds the same.
TEST(ReadBack, ControlsShowWhatTheBoardHoldsAndNothingIsSent) {
  const char* const shown =
      "serialNumberList pulseWidthList analogInputModeList masterClutchList rotaryLeftList "
      "rotaryRightList xCurveTypeList yCurveTypeList xCurveNumberSlider yCurveNumberSlider "
      "clutchBiteSlider clutchBiteField ledSlider ledField xDeadLowField xDeadHighField "
      "yDeadLowField yDeadHighField";
  // clang-format off
  const struct { int boards; hid::OpenError error; const char *stored, *shown; } cases[] = {
      {0, {}, "", "No board connected|-1- 7- 0- 0- 0- 0- 0- 0- 0- 0- 32768- 50.0- 255- 100.0- - - - -"},
      {1, hid::OpenError::AccessDenied, "", "Board found but not accessible: install the udev rule|-1- 7- 0- 0- 0- 0- 0- 0- 0- 0- 32768- 50.0- 255- 100.0- - - - -"},
      {1, {}, "40:03 45:01 48:01 49:04 4A:02 5C:02 5D:01 5E:08 5F:00 46:00 47:40 60:28 54:CB 55:0C 56:96 57:19 58:66 59:06",
       "|0- 2 1 1 4 2- 2 1 3 -5 16384 25.0 40 15.6 5.0 10.0 2.5 0.0"},
      {2, {}, "40:1A 45:02 48:C8 49:05 4A:FF 5C:03 5D:03 5E:0B 5F:FF 60:00 61:01",
       "|1 7 0 0 0 0 0 0 0- 0- 32768 50.0 255 100.0 0.0 0.0 0.0 0.0"}};
  // clang-format on
  for (const auto& c : cases) {
    Rig rig;
    for (int i = 0; i < c.boards; ++i) {
      const int board = rig.platform.addBoard({.serialNumber = i ? u"B" : u"A"});
      rig.platform.device(board).openError = c.error;
      Store(rig.platform.firmware(board), c.stored);
    }
    gui::MainWindow& w = rig.load();
    const std::string placeholder =
        w.controls().serialNumberList->lineEdit()->placeholderText().toStdString() + "|";
    rig.form().readBackBoard();
    EXPECT_EQ(placeholder + ShownAll(w, shown) + rig.sent(), c.shown);
  }
}

// Modes 3 and 4 pair the rotary inputs: the left list owns a pairing and the
// right one follows it, locked; leaving a pairing resets the right list.
// "Linear" has no curve number: its slider is disabled, keeping its place. A
// drag sends each position it passes and again on release, but the bite point
// only on release; a key step is sent as a release. Which code each control
// writes the soak checks on every edit.
TEST(Editor, EachActionSendsItsSettingsInOrder) {
  const char* const state = "rotaryLeftList rotaryRightList xCurveNumberSlider yCurveNumberSlider";
  // clang-format off
  const struct { const char *before, *action, *seen; } cases[] = {
      {"", "yCurveTypeList=1", "5D:01 | 0 0 0- 0"},
      {"xCurveTypeList=2 xCurveNumberSlider", "xCurveTypeList=0", "5C:00 | 0 0 1- 0-"},
      {"", "yCurveNumberSlider", "5F:06 5F:06 | 0 0 0- 1-"},
      {"", "ledSlider=10,254", "60:0A 61:00 60:FE 61:00 60:FE 61:00 | 0 0 0- 0-"},
      {"", "clutchBiteSlider=100,200,300", "46:2C 47:01 | 0 0 0- 0-"},
      {"rotaryRightList=2", "rotaryLeftList=3", "49:03 4A:03 49:03 4A:03 | 3 3- 0- 0-"},
      {"rotaryLeftList=3", "rotaryLeftList=2", "49:02 4A:00 4A:00 | 2 0 0- 0-"},
      {"", "rotaryRightList=4", "4A:04 49:04 4A:04 49:04 | 4 4- 0- 0-"}};
  // clang-format on
  for (const auto& c : cases) {
    Rig rig;
    gui::MainWindow& w = rig.loadConnected();
    Act(w, c.before);
    rig.platform.clearLog();
    Act(w, c.action);
    EXPECT_EQ(rig.sent() + " | " + ShownAll(w, state), c.seen) << c.before << " then " << c.action;
  }
}

// "." and "," both type the locale's separator, so no group separator can be
// typed; Return and keypad Enter commit. A slider field refuses what is not a
// number, keeping its text; a dead zone takes it as 0 (its limit is the
// board's rule).
TEST(Editor, TypedEntriesInBothLocales) {
  // clang-format off
  const struct { const char *typed, *bite, *led, *dead; } cases[] = {
      {"7,3", "7.3 46:B4 47:12", "7.0 60:12 61:00", "7.3 54:AE 55:12"},
      {"7.3", "7.3 46:B4 47:12", "7.0 60:12 61:00", "7.3 54:AE 55:12"},
      {"1,234.5", "1.234.5 ", "1.234.5 ", "0.0 54:00 55:00"}};
  // clang-format on
  for (const QLocale& locale : {kEnglish, kGerman}) {
    Rig rig;
    gui::MainWindow& w = rig.loadConnected(locale);
    for (const auto& c : cases) {
      for (auto [name, expected] :
           {std::pair{"clutchBiteField", c.bite}, {"ledField", c.led}, {"xDeadLowField", c.dead}}) {
        rig.platform.clearLog();
        Act(w, qPrintable(QString(name) + "=" + c.typed));
        QTest::keyClick(w.findChild<QLineEdit*>(name),
                        locale == kGerman ? Qt::Key_Enter : Qt::Key_Return);
        EXPECT_EQ(w.findChild<QLineEdit*>(name)->text() + " " + rig.sent().c_str(),
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
    if (!*keys) slider->setSliderDown(true), slider->setSliderPosition(300);  // dragged
    const int shown = slider->value();
    rig.platform.firmware(0).setSettingWord(0x46, 1000);
    rig.tick();
    EXPECT_EQ(slider->value(), held ? shown : 1000) << keys;
    if (!held) continue;
    EXPECT_EQ(w.biteHoldTimer()->isActive() ? w.biteHoldTimer()->interval() : 0, *keys ? 2000 : 0);
    if (!*keys) {  // a typing hold running out mid-drag does not let go of it
      w.onBiteHoldElapsed();
      rig.tick(2);
      EXPECT_EQ(slider->value(), shown);
    }
    *keys ? w.onBiteHoldElapsed() : slider->setSliderDown(false);
    rig.platform.firmware(0).setSettingWord(0x46, 1000);
    rig.tick();
    EXPECT_EQ(ShownAll(w, "clutchBiteSlider clutchBiteField"), "1000 1.5") << keys;
    // Ticks that find the same value keep the user's selection in the field.
    w.controls().clutchBiteField->setSelection(0, 2);
    rig.tick(2);  // the board answers its two records in turn
    EXPECT_EQ(w.controls().clutchBiteField->selectedText(), "1.") << keys;
  }
}

// A notice's re-read waits while the user holds a control: a slider held
// down, or typed text not yet committed in the focused field (a commit that
// leaves the text as it was holds nothing back). Then it reads, sends nothing
// and leaves the focus where it was; an abandoned entry gives way to the board.
TEST(Editor, NoticeRereadWaitsForTheUsersHand) {
  // clang-format off
  const struct { const char *control, *typed, *then, *sent, *shown; } cases[] = {
      {"clutchBiteSlider", "300", "", "46:2C 47:01", "300 1"},
      {"xDeadLowField", "4", "\r", "54:3C 55:0A", "4.0 1"},
      {"xDeadLowField", "4", "xDeadHighField", "", "0.0 1"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.control) + " then " + c.then);
    Rig rig;
    gui::MainWindow& w = rig.loadConnected();
    auto* control = w.findChild<QWidget*>(c.control);
    auto* slider = qobject_cast<QSlider*>(control);
    control->setFocus();
    if (slider)
      slider->setSliderDown(true), slider->setSliderPosition(QString(c.typed).toInt());
    else
      Act(w, qPrintable(QString(c.control) + "=" + c.typed));
    rig.platform.firmware(0).setSetting(0x48, 1);  // master clutch, by the command line
    w.onBoardChangedElsewhere("");
    w.onNoticeRereadDue();
    EXPECT_EQ(rig.platform.featureLog().size(), 0u);
    EXPECT_TRUE(w.noticeRereadTimer()->isActive());  // asks again soon
    QWidget* focus = *c.then && *c.then != '\r' ? w.findChild<QWidget*>(c.then) : control;
    if (slider)
      slider->setSliderDown(false);
    else if (*c.then == '\r')
      QTest::keyClick(control, Qt::Key_Return);
    else
      focus->setFocus();  // the typing left behind
    EXPECT_EQ(rig.sent(), c.sent);
    rig.platform.clearLog();
    w.onNoticeRereadDue();
    EXPECT_EQ((Shown(control) + " " + Shown(w.controls().masterClutchList)).toStdString(), c.shown);
    EXPECT_EQ(rig.sent() + (rig.platform.featureLog().empty() ? " unread" : ""), "");
    EXPECT_EQ(w.focusWidget(), focus);
  }
}

}  // namespace
}  // namespace torvex::test
