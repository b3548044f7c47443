// Finding boards, and the read-back as the window shows it.
#include "Gui.h"

namespace torvex::test {
namespace {

// Values no control can show leave it as it was; the lists' handlers run as
// values land, left rotary list first (a pairing locks the right list; curve
// types enable their numbers), and send nothing back.
TEST(ReadBack, ControlsShowWhatTheBoardHoldsAndNothingIsSent) {
  const char* const shown =
      "pulseWidthList analogInputModeList masterClutchList rotaryLeftList rotaryRightList "
      "xCurveTypeList yCurveTypeList xCurveNumberSlider yCurveNumberSlider clutchBiteSlider "
      "clutchBiteField ledSlider ledField xDeadLowField xDeadHighField yDeadLowField "
      "yDeadHighField";
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"40:03 45:01 48:01 49:04 4A:02 5C:02 5D:01 5E:08 5F:00 46:00 47:40 60:28 54:CB 55:0C 56:96 "
       "57:19 58:66 59:06",
       "2 1 1 4 2- 2 1 3 -5 16384 25.0 40 15.6 5.0 10.0 2.5 0.0"},
      {"40:1A 45:02 48:C8 49:05 4A:FF 5C:03 5D:03 5E:0B 5F:FF 60:00 61:01",
       "7 0 0 0 0 0 0 0- 0- 32768 50.0 255 100.0 0.0 0.0 0.0 0.0"},
  };
  // clang-format on
  for (auto [stored, expected] : cases) {
    Rig rig;
    Store(rig.platform.firmware(rig.addBoard()), stored);
    EXPECT_EQ(ShownAll(rig.load(), shown), expected) << stored;
    EXPECT_EQ(rig.sent(), "");
  }
}

// The list is usable only with a choice to make, its placeholder telling why
// none is listed; the editor only with a board. Without one the bite point
// shows the middle of its range.
TEST(Boards, SerialNumberListAndEditorFollowTheBoardsFound) {
  const char* const locked = "Board found but not accessible: install the udev rule|-1- 50.0-";
  // clang-format off
  const struct { int boards; hid::OpenError error; const char *list, *disabled; } cases[] = {
      {0, {}, "No board connected|-1- 50.0-", kNoBoard},
      {1, hid::OpenError::AccessDenied, locked, kNoBoard},
      {1, {}, "|0- 50.0", "serialNumberList xCurveNumberSlider yCurveNumberSlider"},
      {2, {}, "|1 50.0", "xCurveNumberSlider yCurveNumberSlider"}};
  // clang-format on
  for (const auto& c : cases) {
    Rig rig;
    for (int i = 0; i < c.boards; ++i)
      rig.platform.device(rig.addBoard(i ? u"B" : u"A")).openError = c.error;
    gui::MainWindow& w = rig.load();
    EXPECT_EQ(w.controls().serialNumberList->lineEdit()->placeholderText().toStdString() + "|" +
                  ShownAll(w, "serialNumberList clutchBiteField"),
              c.list);
    EXPECT_EQ(Disabled(w), c.disabled) << c.list;
    EXPECT_EQ(rig.platform.openHandleCount(c.boards - 1),
              c.boards && c.error == hid::OpenError::None ? 2 : 0);
  }
}

}  // namespace
}  // namespace torvex::test
