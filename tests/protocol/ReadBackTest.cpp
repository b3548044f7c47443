// Reading a board's configuration into the window: order, pacing, guards.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include "protocol/BoardSession.h"

namespace torvex::test {
namespace {

namespace code = protocol::code;
using protocol::kLedRecordBase;
using protocol::kSettingsRecordBase;

int Reads(const Rig& rig) {
  int n = 0;
  for (const auto& e : rig.platform.featureLog()) n += e.isSet ? 0 : 1;
  return n;
}

struct Session {
  Rig rig;
  frmMain* form = nullptr;
  explicit Session(const QLocale& locale = kEnglish) {
    rig.addBoard(u"A");
    form = &LoadConnected(rig, locale);
  }
  sim::BoardFirmware& fw() { return rig.platform.firmware(0); }
  // Runs a read-back and returns the virtual milliseconds it took.
  std::int64_t readBack() {
    rig.platform.clearLog();
    const auto t0 = rig.nowMs();
    form->ReadDeviceConfiguration();
    return rig.nowMs() - t0;
  }
};

// 60 ms of fixed pauses, then 20 ms after each read that succeeded, until
// both records came or ten attempts were spent.
TEST(ReadBack, AttemptsAndPacing) {
  const auto settings = Record(kSettingsRecordBase, {{code::SetClutchBiteMsb, 0x80}});
  const auto led = Record(kLedRecordBase, {{code::SetLedIntensityLsb, 77}});
  const auto unknown = Record(0x50, {});
  struct Case {
    const char* name;
    std::vector<protocol::Bytes> replies;  // none: the board's own alternation
    int failures;
    int reads;
    std::int64_t ms;
    int led;  // 100: never loaded
    int apiResult;
  } cases[] = {
      {"settings every time", std::vector(12, settings), 0, 10, 260, 100, 1},
      {"settings then LED", {settings, led, settings}, 0, 2, 100, 77, 1},
      {"unknown replies", std::vector(10, unknown), 0, 10, 260, 100, 1},
      {"board", {}, 0, 2, 100, 255, 1},
      {"8 failures", {}, 8, 10, 100, 255, 1},
      {"9 failures", {}, 9, 10, 80, 100, 1},
      {"10 failures", {}, 10, 10, 60, 100, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session s;
    s.form->ledSlider->setValue(100);
    for (const auto& r : c.replies) s.rig.platform.device(0).scriptedReplies.push_back({false, r});
    s.rig.platform.device(0).failNext[sim::Op::GetFeature] = c.failures;
    EXPECT_EQ(s.readBack(), c.ms);
    EXPECT_EQ(Reads(s.rig), c.reads);
    EXPECT_EQ(s.form->ledSlider->value(), c.led);
    EXPECT_EQ(s.form->LastApiResult, c.apiResult);
    EXPECT_TRUE(s.form->ConfigurationLoaded);
    EXPECT_TRUE(s.rig.sent(0).empty());
  }
}

TEST(ReadBack, HeldClutchBiteIsNotLoaded) {
  Session s;
  s.fw().setSettingWord(code::SetClutchBiteLsb, 300);
  s.fw().setSetting(code::SetAnalogInputMode, 1);
  s.form->clutchBiteSlider->setValue(1000);
  s.form->clutchBitePercentLabel->setText("typed");
  s.form->BiteRefreshEnabled = false;
  s.readBack();
  EXPECT_EQ(s.form->clutchBiteSlider->value(), 1000);
  EXPECT_EQ(s.form->clutchBitePercentLabel->text(), "typed");
  EXPECT_EQ(s.form->analogInputModeCombo->currentIndex(), 1);

  s.form->BiteRefreshEnabled = true;
  s.readBack();
  EXPECT_EQ(s.form->clutchBiteSlider->value(), 300);
  EXPECT_EQ(s.form->clutchBitePercentLabel->text(), "0.4");
}

// What a control shows, found by its object name.
QString Shown(frmMain& form, const char* name) {
  if (auto* l = Find<QComboBox>(form, name)) return l->currentText();
  if (auto* sl = Find<QSlider>(form, name)) return QString::number(sl->value());
  return Find<QLineEdit>(form, name)->text();
}

// Lists whose index changes run their handlers: each muted send still takes
// its 10 ms, and nothing reaches the board.
TEST(ReadBack, ValuesPlaceTheirControlsWithMutedSends) {
  const struct {
    std::uint8_t code;
    int value;  // above 255: a two-byte setting
    const char* control;
    const char* expected;
  } cases[] = {
      {code::SetEncoderPulseWidth, 25, "delay", "200 ms"},  // its report never pauses
      {code::SetAnalogInputMode, 1, "analogInputModeCombo", "Throttle and Brake"},
      {code::SetMasterClutchMode, 1, "masterClutchModeCombo", "Right"},
      {code::SetYCurveType, 2, "yClutchCurveCombo", "Progressive/Degressive"},
      {code::SetXCurveNumber, 0, "xSliderCurveNumber", "-5"},
      {code::SetYCurveNumber, 10, "ySliderCurveNumber", "5"},
      {code::SetClutchBiteLsb, 65535, "clutchBiteSlider", "65535"},
      {code::SetLedIntensityLsb, 255, "ledSlider", "255"},
      {code::SetXDeadLowLsb, 0x1996, "xDeadLow", "10.0"},
      {code::SetXDeadHighLsb, 0x8000, "xDeadHigh", "50.0"},
      {code::SetYDeadLowLsb, 0xFFFF, "yDeadLow", "100.0"},
      {code::SetYDeadHighLsb, 4782, "yDeadHigh", "7.3"},
  };
  Session s;
  for (const auto& c : cases) {
    if (c.value > 255)
      s.fw().setSettingWord(c.code, static_cast<std::uint16_t>(c.value));
    else
      s.fw().setSetting(c.code, static_cast<std::uint8_t>(c.value));
  }
  EXPECT_EQ(s.readBack(), 60 + 2 * 20 + 3 * 10);
  EXPECT_TRUE(s.rig.sent(0).empty());
  for (const auto& c : cases) EXPECT_EQ(Shown(*s.form, c.control), c.expected) << c.control;

  Session german(kGerman);
  german.fw().setSettingWord(code::SetXDeadLowLsb, 4782);
  german.readBack();
  EXPECT_EQ(german.form->xDeadLow->text(), "7,3");
}

// The board keeps both rotary inputs' modes; the window's pairing rule runs
// as they land, without sending anything back.
TEST(ReadBack, RotaryPairingFollowsWithoutSending) {
  struct Case {
    int left, right;
    int shownLeft, shownRight;
    bool rightEnabled;
  } cases[] = {{0, 3, 3, 3, false}, {1, 4, 4, 4, false}, {3, 3, 3, 3, false}, {2, 1, 2, 1, true}};
  for (const auto& c : cases) {
    Session s;
    s.fw().setSetting(code::SetRotarySwitchLeftMode, static_cast<std::uint8_t>(c.left));
    s.fw().setSetting(code::SetRotarySwitchRightMode, static_cast<std::uint8_t>(c.right));
    s.readBack();
    EXPECT_EQ(s.form->rotarySwitchLeftCombo->currentIndex(), c.shownLeft) << c.left << c.right;
    EXPECT_EQ(s.form->rotarySwitchRightCombo->currentIndex(), c.shownRight) << c.left << c.right;
    EXPECT_EQ(s.form->rotarySwitchRightCombo->isEnabled(), c.rightEnabled) << c.left << c.right;
    EXPECT_TRUE(s.rig.sent(0).empty());
  }
}

// A string the board does not give leaves its label (and, for the
// manufacturer, the version) empty but costs its pause all the same.
TEST(ReadBack, IdentityLabels) {
  struct Case {
    std::optional<std::u16string> manufacturer, product;
    const char *manuf, *prod, *ver;
  } cases[] = {
      {std::nullopt, u"Torvex", "", " Torvex", ""},
      {u"Corvane", std::nullopt, " Corvane", "", " 1.3"},
  };
  for (const auto& c : cases) {
    Rig rig;
    sim::Identity id;
    id.serialNumber = u"A";
    id.manufacturer = c.manufacturer;
    id.product = c.product;
    id.versionNumber = 0x0103;
    rig.platform.addBoard(id);
    frmMain& form = LoadConnected(rig);
    EXPECT_EQ(form.lblManuf->text().toStdString(), c.manuf);
    EXPECT_EQ(form.lblProduct->text().toStdString(), c.prod);
    EXPECT_EQ(form.lblVersion->text().toStdString(), c.ver);
    const auto t0 = rig.nowMs();
    rig.platform.device(0).failAlways[sim::Op::GetFeature] = true;
    form.ReadDeviceConfiguration();
    EXPECT_EQ(rig.nowMs() - t0, 60);
  }
}

TEST(ReadBack, NoBoardAsksNothingAndStaysUnloaded) {
  Rig rig;
  frmMain& form = rig.load();
  rig.platform.clearLog();
  const auto t0 = rig.nowMs();
  form.ConfigurationLoaded = true;
  form.ReadDeviceConfiguration();
  EXPECT_FALSE(form.ConfigurationLoaded);
  EXPECT_EQ(rig.nowMs() - t0, 0);
  EXPECT_TRUE(rig.platform.featureLog().empty());
  EXPECT_EQ(form.lblManuf->text(), "");
}

// The timer's refresh moves only the bite point, and asks nothing while the
// slider is disabled or no board is open.
TEST(RefreshDeviceStatus, FollowsTheBoardsBitePointOnly) {
  enum class Guard { None, SliderDisabled, NoBoard };
  const auto settings = Record(kSettingsRecordBase, {{code::SetClutchBiteLsb, 0x2C},
                                                     {code::SetClutchBiteMsb, 0x01},
                                                     {code::SetAnalogInputMode, 1}});
  struct Case {
    const char* name;
    std::optional<protocol::Bytes> reply;  // nothing: the read fails
    Guard guard;
    int reads, slider;
    const char* label;
    int apiResult;
  } cases[] = {
      {"settings", settings, Guard::None, 1, 300, "0.4", 1},
      {"led", Record(kLedRecordBase, {{code::SetLedIntensityLsb, 0x2C}}), Guard::None, 1, 5000,
       "7.6", 1},
      {"failed", std::nullopt, Guard::None, 1, 5000, "7.6", 0},
      {"slider disabled", settings, Guard::SliderDisabled, 0, 5000, "7.6", 77},
      {"no board", settings, Guard::NoBoard, 0, 5000, "7.6", 77},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session s;
    s.form->clutchBiteSlider->setValue(5000);
    s.form->UpdateClutchBiteLabel();
    s.form->clutchBiteSlider->setEnabled(c.guard != Guard::SliderDisabled);
    s.form->DeviceDetected = c.guard != Guard::NoBoard;
    s.form->LastApiResult = 77;
    s.rig.platform.device(0).scriptedReplies.push_back(
        {!c.reply, c.reply.value_or(protocol::Bytes{})});
    const auto t0 = s.rig.nowMs();
    s.form->RefreshDeviceStatus();
    EXPECT_EQ(s.rig.nowMs() - t0, 0);
    EXPECT_EQ(Reads(s.rig), c.reads);
    EXPECT_EQ(s.form->clutchBiteSlider->value(), c.slider);
    EXPECT_EQ(s.form->clutchBitePercentLabel->text().toStdString(), c.label);
    EXPECT_EQ(s.form->analogInputModeCombo->currentIndex(), 0);
    EXPECT_EQ(s.form->LastApiResult, c.apiResult);
  }
}

}  // namespace
}  // namespace torvex::test
