// Start-up, finding boards and the read-back as the window shows them.
#include <QEvent>

#include "Gui.h"

namespace torvex::test {
namespace {

using Stored = std::vector<std::pair<std::uint8_t, std::uint8_t>>;

struct FirstPaint : QObject {
  explicit FirstPaint(sim::VirtualPlatform& p) : platform(p) {}
  sim::VirtualPlatform& platform;
  int scans = -1;
  std::int64_t timeUs = -1;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && scans < 0) {
      scans = platform.enumerateCount();
      timeUs = platform.nowUs();
    }
    return false;
  }
};

TEST(StartUp, WindowIsDrawnBeforeTheScanAndTheReadBack) {
  Rig rig;
  rig.addBoard();
  FirstPaint watch(rig.platform);
  rig.create().installEventFilter(&watch);
  rig.form().start();
  EXPECT_EQ(watch.scans, 0);
  // Only the held sends of the lists' first selections come before it.
  EXPECT_EQ(watch.timeUs, 60'000);
  EXPECT_TRUE(rig.form().board().isLoaded());
  EXPECT_TRUE(rig.form().pollTimer()->isActive());
}

// Values the controls cannot show leave them as they were; the lists'
// handlers run as values land and send nothing back.
TEST(ReadBack, ControlsShowWhatTheBoardHoldsAndNothingIsSent) {
  const struct {
    const char* control;
    Stored stored;
    const char* shown;
    bool enabled;
  } cases[] = {
      {"pulseWidthList", {{0x40, 3}}, "2", true},
      {"pulseWidthList", {{0x40, 0}}, "7", true},
      {"pulseWidthList", {{0x40, 26}}, "7", true},
      {"analogInputModeList", {{0x45, 1}}, "1", true},
      {"analogInputModeList", {{0x45, 2}}, "0", true},
      {"masterClutchList", {{0x48, 1}}, "1", true},
      {"masterClutchList", {{0x48, 200}}, "0", true},
      {"rotaryLeftList", {{0x49, 2}}, "2", true},
      {"rotaryLeftList", {{0x49, 5}}, "0", true},
      {"rotaryRightList", {{0x4A, 1}}, "1", true},
      {"rotaryRightList", {{0x4A, 255}}, "0", true},
      {"rotaryRightList", {{0x49, 4}, {0x4A, 4}}, "4", false},
      {"xCurveTypeList", {{0x5C, 2}}, "2", true},
      {"yCurveTypeList", {{0x5D, 3}}, "0", true},
      {"xCurveNumberSlider", {{0x5C, 1}, {0x5E, 8}}, "3", true},
      {"xCurveNumberSlider", {{0x5E, 11}}, "0", false},
      {"yCurveNumberSlider", {{0x5D, 2}, {0x5F, 0}}, "-5", true},
      {"yCurveNumberSlider", {{0x5D, 2}, {0x5F, 255}}, "0", true},
      {"clutchBiteSlider", {{0x46, 0x00}, {0x47, 0x40}}, "16384", true},
      {"clutchBiteField", {{0x46, 0x00}, {0x47, 0x40}}, "25.0", true},
      {"ledSlider", {{0x60, 40}}, "40", true},
      {"ledField", {{0x60, 40}}, "15.6", true},
      {"ledSlider", {{0x60, 0}, {0x61, 1}}, "255", true},
      {"xDeadLowField", {{0x54, 0xCB}, {0x55, 0x0C}}, "5.0", true},
      {"xDeadHighField", {{0x56, 0x96}, {0x57, 0x19}}, "10.0", true},
      {"yDeadLowField", {{0x58, 0x66}, {0x59, 0x06}}, "2.5", true},
      {"yDeadHighField", {}, "0.0", true},
      {"manufacturerLabel", {}, " Corvane", true},
      {"productLabel", {}, " Torvex Wheel", true},
      {"versionLabel", {}, " 1.0", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.control) + " " + c.shown);
    Rig rig;
    rig.addBoard();
    for (auto [code, value] : c.stored) rig.platform.firmware(0).setSetting(code, value);
    QWidget* control = Find<QWidget>(rig.load(), c.control);
    EXPECT_EQ(Shown(control), c.shown);
    EXPECT_EQ(control->isEnabled(), c.enabled);
    EXPECT_EQ(rig.sent(), "");
  }
}

TEST(Boards, SerialNumberListTellsWhichBoardsAreThereOrWhyNone) {
  const struct {
    std::vector<std::u16string> serials;
    hid::OpenError error;
    const char* placeholder;
    const char* current;
    bool listEnabled;
  } cases[] = {
      {{}, hid::OpenError::None, "No board connected", "", false},
      {{u"A"},
       hid::OpenError::AccessDenied,
       "Board found but not accessible: install the udev rule",
       "",
       false},
      {{u"A"},
       hid::OpenError::Busy,
       "Board found but not accessible: install the udev rule",
       "",
       false},
      {{u"A"}, hid::OpenError::None, "", "A", false},
      {{u"A", u"B"}, hid::OpenError::None, "", "B", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.placeholder + std::string(c.current));
    Rig rig;
    for (const auto& s : c.serials) rig.platform.device(rig.addBoard(s)).openError = c.error;
    const auto& ui = rig.load().controls();
    EXPECT_EQ(ui.serialNumberList->lineEdit()->placeholderText(), c.placeholder);
    EXPECT_EQ(ui.serialNumberList->currentText(), c.current);
    EXPECT_EQ(ui.serialNumberList->isEnabled(), c.listEnabled);
    EXPECT_EQ(ui.analogInputFrame->isEnabled(), *c.current != 0);
    if (*c.current) {
      EXPECT_EQ(rig.platform.openHandleCount(int(c.serials.size()) - 1), 2);
    }
  }
}

TEST(Boards, EditorUsableOnlyWithALoadedBoardAndALostBoardBlanksItsIdentity) {
  const QStringList editing =
      QStringLiteral(
          "clutchBiteFrame analogInputFrame masterClutchFrame rotarySwitchFrame xAxisFrame "
          "yAxisFrame xDeadLowField xDeadHighField yDeadLowField yDeadHighField xCurveTypeList "
          "yCurveTypeList rotaryLeftList rotaryRightList masterClutchList clutchBiteSlider "
          "clutchBiteField analogInputModeList pulseWidthList ledSlider ledField")
          .split(' ');
  const QStringList leftAlone =
      QStringLiteral(
          "deviceFrame resetAllButton showCurveYButton clearChartButton curveChart "
          "pulseWidthFrame ledFrame inputsFrame")
          .split(' ');
  Rig rig;
  gui::MainWindow& w = rig.loadConnected();
  for (bool plugged : {true, false}) {
    SCOPED_TRACE(plugged);
    if (!plugged) {
      rig.platform.unplug(0);
      rig.tick();
    }
    for (const QString& name : editing)
      EXPECT_EQ(Find<QWidget>(w, qPrintable(name))->isEnabled(), plugged) << name.toStdString();
    for (const QString& name : leftAlone)
      EXPECT_TRUE(Find<QWidget>(w, qPrintable(name))->isEnabled()) << name.toStdString();
    EXPECT_EQ(w.controls().productLabel->text(), plugged ? " Torvex Wheel" : "");
    EXPECT_EQ(w.controls().versionLabel->text(), plugged ? " 1.0" : "");
  }
}

}  // namespace
}  // namespace torvex::test
