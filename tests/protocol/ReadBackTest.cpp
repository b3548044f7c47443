// Reading a board's configuration into the window: order, pacing, guards.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <functional>

#include "protocol/BoardSession.h"

namespace torvex::test {
namespace {

namespace code = protocol::code;
using protocol::kLedRecordBase;
using protocol::kSettingsRecordBase;

// The factory state of the emulated board, as a settings record.
protocol::Bytes DefaultSettings() {
  return Record(kSettingsRecordBase, {{code::SetEncoderPulseWidth, 8},
                                      {code::SetClutchBiteMsb, 0x80},
                                      {code::SetXCurveNumber, 5},
                                      {code::SetYCurveNumber, 5}});
}

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
  sim::VirtualPlatform::Device& board() { return rig.platform.device(0); }
  void script(const protocol::Bytes& reply, int times = 1) {
    for (int i = 0; i < times; ++i) board().scriptedReplies.push_back({false, reply});
  }
  // Runs a read-back and returns the virtual milliseconds it took.
  std::int64_t readBack() {
    rig.platform.clearLog();
    const auto t0 = rig.nowMs();
    form->ReadDeviceConfiguration();
    return rig.nowMs() - t0;
  }
};

TEST(ReadBack, SettingsEveryTimeIsReadTenTimesAndLedKeepsItsValue) {
  Session s;
  s.form->ledSlider->setValue(100);
  s.script(DefaultSettings(), 12);
  // 60 ms of fixed pauses, 20 ms after each of the 10 reads, no handler ran.
  EXPECT_EQ(s.readBack(), 60 + 10 * 20);
  EXPECT_EQ(Reads(s.rig), 10);
  EXPECT_EQ(s.form->ledSlider->value(), 100);
  EXPECT_TRUE(s.form->ConfigurationLoaded);
  EXPECT_TRUE(s.rig.sent(0).empty());
}

TEST(ReadBack, SettingsThenLedEndsAfterTwoReads) {
  Session s;
  s.script(DefaultSettings());
  s.script(Record(kLedRecordBase, {{code::SetLedIntensityLsb, 77}}));
  s.script(DefaultSettings());  // never asked for
  EXPECT_EQ(s.readBack(), 60 + 2 * 20);
  EXPECT_EQ(Reads(s.rig), 2);
  EXPECT_EQ(s.form->ledSlider->value(), 77);
  EXPECT_EQ(s.form->ledPercentLabel->text(), "30.1");
}

TEST(ReadBack, FailedReadsSpendAttemptsWithoutPause) {
  struct Case {
    int failures;
    int reads;
    std::int64_t ms;
  } cases[] = {{0, 2, 100}, {3, 5, 100}, {8, 10, 100}, {9, 10, 80}, {10, 10, 60}};
  for (const auto& c : cases) {
    Session s;
    s.form->ledSlider->setValue(9);
    s.board().failNext[sim::Op::GetFeature] = c.failures;
    EXPECT_EQ(s.readBack(), c.ms) << c.failures;
    EXPECT_EQ(Reads(s.rig), c.reads) << c.failures;
    EXPECT_TRUE(s.form->ConfigurationLoaded);
    EXPECT_EQ(s.form->LastApiResult, c.failures >= 10 ? 0 : 1);
    EXPECT_EQ(s.form->ledSlider->value(), c.failures >= 9 ? 9 : 255) << c.failures;
  }
}

TEST(ReadBack, UnknownRepliesAreIgnoredButPaced) {
  Session s;
  s.script(Record(0x50, {}), 10);
  s.form->ledSlider->setValue(3);
  EXPECT_EQ(s.readBack(), 60 + 10 * 20);
  EXPECT_EQ(s.form->ledSlider->value(), 3);
  EXPECT_TRUE(s.form->ConfigurationLoaded);
}

// Lists whose index changes run their handlers; each muted send still takes
// its 10 ms, and nothing reaches the board.
TEST(ReadBack, TimeIsThePausesPlusTheMutedSends) {
  Session s;
  auto& fw = s.rig.platform.firmware(0);
  fw.setSetting(code::SetAnalogInputMode, 1);    // one send
  fw.setSetting(code::SetMasterClutchMode, 1);   // one send
  fw.setSetting(code::SetXCurveType, 1);         // one send
  fw.setSetting(code::SetEncoderPulseWidth, 3);  // its report never pauses
  EXPECT_EQ(s.readBack(), 60 + 2 * 20 + 3 * 10);
  EXPECT_TRUE(s.rig.sent(0).empty());
  EXPECT_EQ(s.form->delay->currentText(), "24 ms");
  EXPECT_TRUE(s.form->ConfigurationLoaded);
}

TEST(ReadBack, HeldClutchBiteIsTheOnlySettingNotLoaded) {
  Session s;
  auto& fw = s.rig.platform.firmware(0);
  fw.setSettingWord(code::SetClutchBiteLsb, 300);
  fw.setSetting(code::SetAnalogInputMode, 1);
  fw.setSetting(code::SetMasterClutchMode, 1);
  fw.setSetting(code::SetRotarySwitchLeftMode, 2);
  fw.setSetting(code::SetRotarySwitchRightMode, 1);
  fw.setSetting(code::SetYCurveType, 2);
  fw.setSetting(code::SetYCurveNumber, 9);
  fw.setSettingWord(code::SetYDeadHighLsb, 6550);
  fw.setSettingWord(code::SetLedIntensityLsb, 10);
  s.form->clutchBiteSlider->setValue(1000);
  s.form->clutchBitePercentLabel->setText("typed");
  s.form->BiteRefreshEnabled = false;
  s.readBack();
  EXPECT_EQ(s.form->clutchBiteSlider->value(), 1000);
  EXPECT_EQ(s.form->clutchBitePercentLabel->text(), "typed");
  EXPECT_EQ(s.form->analogInputModeCombo->currentIndex(), 1);
  EXPECT_EQ(s.form->masterClutchModeCombo->currentIndex(), 1);
  EXPECT_EQ(s.form->rotarySwitchLeftCombo->currentIndex(), 2);
  EXPECT_EQ(s.form->rotarySwitchRightCombo->currentIndex(), 1);
  EXPECT_EQ(s.form->yClutchCurveCombo->currentIndex(), 2);
  EXPECT_EQ(s.form->ySliderCurveNumber->value(), 4);
  EXPECT_EQ(s.form->yDeadHigh->text(), "10.0");
  EXPECT_EQ(s.form->ledSlider->value(), 10);

  s.form->BiteRefreshEnabled = true;
  s.readBack();
  EXPECT_EQ(s.form->clutchBiteSlider->value(), 300);
  EXPECT_EQ(s.form->clutchBitePercentLabel->text(), "0.4");
}

// Board values outside a control's range leave that control as it was.
TEST(ReadBack, ValuesPlaceControlsOrLeaveThemWhenOutOfRange) {
  struct Case {
    const char* name;
    std::uint8_t code;
    int value;  // a word for two-byte settings
    std::function<std::string(frmMain&)> shown;
    std::string expected;
  };
  auto list = [](QComboBox* frmMain::*l) {
    return [l](frmMain& f) { return (f.*l)->currentText().toStdString(); };
  };
  auto slider = [](QSlider* frmMain::*sl) {
    return [sl](frmMain& f) { return std::to_string((f.*sl)->value()); };
  };
  auto text = [](QLineEdit* frmMain::*t) {
    return [t](frmMain& f) { return (f.*t)->text().toStdString(); };
  };
  const Case cases[] = {
      {"pulse 8", code::SetEncoderPulseWidth, 8, list(&frmMain::delay), "64 ms"},
      {"pulse 1", code::SetEncoderPulseWidth, 1, list(&frmMain::delay), "8 ms"},
      {"pulse 25", code::SetEncoderPulseWidth, 25, list(&frmMain::delay), "200 ms"},
      {"pulse 0", code::SetEncoderPulseWidth, 0, list(&frmMain::delay), "64 ms"},
      {"pulse 26", code::SetEncoderPulseWidth, 26, list(&frmMain::delay), "64 ms"},
      {"analog 1", code::SetAnalogInputMode, 1, list(&frmMain::analogInputModeCombo),
       "Throttle and Brake"},
      {"analog 2", code::SetAnalogInputMode, 2, list(&frmMain::analogInputModeCombo),
       "Dual Clutch"},
      {"master 7", code::SetMasterClutchMode, 7, list(&frmMain::masterClutchModeCombo), "Left"},
      {"left 5", code::SetRotarySwitchLeftMode, 5, list(&frmMain::rotarySwitchLeftCombo),
       "12 Way Rotary"},
      {"x type 2", code::SetXCurveType, 2, list(&frmMain::xClutchCurveCombo),
       "Progressive/Degressive"},
      {"x type 3", code::SetXCurveType, 3, list(&frmMain::xClutchCurveCombo), "Linear"},
      {"x number 0", code::SetXCurveNumber, 0, slider(&frmMain::xSliderCurveNumber), "-5"},
      {"x number 10", code::SetXCurveNumber, 10, slider(&frmMain::xSliderCurveNumber), "5"},
      {"y number 11", code::SetYCurveNumber, 11, slider(&frmMain::ySliderCurveNumber), "0"},
      {"y number 255", code::SetYCurveNumber, 255, slider(&frmMain::ySliderCurveNumber), "0"},
      {"clutch 65535", code::SetClutchBiteLsb, 65535, slider(&frmMain::clutchBiteSlider), "65535"},
      {"led 255", code::SetLedIntensityLsb, 255, slider(&frmMain::ledSlider), "255"},
      {"led 256", code::SetLedIntensityLsb, 256, slider(&frmMain::ledSlider), "200"},
      {"dead 0x1996", code::SetXDeadLowLsb, 0x1996, text(&frmMain::xDeadLow), "10.0"},
      {"dead 0x8000", code::SetXDeadHighLsb, 0x8000, text(&frmMain::xDeadHigh), "50.0"},
      {"dead 0xFFFF", code::SetYDeadLowLsb, 0xFFFF, text(&frmMain::yDeadLow), "100.0"},
      {"dead 4782", code::SetYDeadHighLsb, 4782, text(&frmMain::yDeadHigh), "7.3"},
  };
  const std::uint8_t words[] = {code::SetClutchBiteLsb, code::SetLedIntensityLsb,
                                code::SetXDeadLowLsb,   code::SetXDeadHighLsb,
                                code::SetYDeadLowLsb,   code::SetYDeadHighLsb};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session s;
    s.form->ledSlider->setValue(200);
    auto& fw = s.rig.platform.firmware(0);
    if (std::find(std::begin(words), std::end(words), c.code) != std::end(words))
      fw.setSettingWord(c.code, static_cast<std::uint16_t>(c.value));
    else
      fw.setSetting(c.code, static_cast<std::uint8_t>(c.value));
    s.readBack();
    EXPECT_EQ(c.shown(*s.form), c.expected);
    EXPECT_TRUE(s.rig.sent(0).empty());
  }
}

TEST(ReadBack, DeadZonesUseTheWindowsSeparator) {
  Session s(kGerman);
  s.rig.platform.firmware(0).setSettingWord(code::SetXDeadLowLsb, 4782);
  s.readBack();
  EXPECT_EQ(s.form->xDeadLow->text(), "7,3");
  EXPECT_EQ(s.form->xDeadHigh->text(), "0,0");
}

// The board keeps both rotary inputs' modes; the window's pairing rule runs
// as they land, without sending anything back.
TEST(ReadBack, RotaryPairingFollowsWithoutSending) {
  struct Case {
    int left, right;
    int shownLeft, shownRight;
    bool rightEnabled;
  } cases[] = {
      {0, 3, 3, 3, false}, {1, 4, 4, 4, false}, {3, 3, 3, 3, false},
      {4, 4, 4, 4, false}, {2, 1, 2, 1, true},
  };
  for (const auto& c : cases) {
    Session s;
    auto& fw = s.rig.platform.firmware(0);
    fw.setSetting(code::SetRotarySwitchLeftMode, static_cast<std::uint8_t>(c.left));
    fw.setSetting(code::SetRotarySwitchRightMode, static_cast<std::uint8_t>(c.right));
    s.readBack();
    EXPECT_EQ(s.form->rotarySwitchLeftCombo->currentIndex(), c.shownLeft) << c.left << c.right;
    EXPECT_EQ(s.form->rotarySwitchRightCombo->currentIndex(), c.shownRight) << c.left << c.right;
    EXPECT_EQ(s.form->rotarySwitchRightCombo->isEnabled(), c.rightEnabled) << c.left << c.right;
    EXPECT_TRUE(s.rig.sent(0).empty());
  }
}

TEST(ReadBack, FeatureReportTooShortForSettingsStillReadsLed) {
  Session s;
  s.form->FeatureReportLength = 34;
  s.rig.platform.firmware(0).setSetting(code::SetAnalogInputMode, 1);
  s.rig.platform.firmware(0).setSettingWord(code::SetLedIntensityLsb, 40);
  s.readBack();
  EXPECT_EQ(Reads(s.rig), 10);
  EXPECT_EQ(s.form->analogInputModeCombo->currentIndex(), 0);
  EXPECT_EQ(s.form->ledSlider->value(), 40);
  EXPECT_TRUE(s.form->ConfigurationLoaded);
  for (const auto& e : s.rig.platform.featureLog()) EXPECT_EQ(e.bytes.size(), 34u);
}

TEST(ReadBack, IdentityLabels) {
  struct Case {
    std::optional<std::u16string> manufacturer, product;
    std::uint16_t version;
    const char *manuf, *prod, *ver;
  } cases[] = {
      {u"Cor", u"Wheel", 0x0103, " Cor", " Wheel", " 1.3"},
      {u"Corvane", u"Torvex", 0x80FF, " Corvane", " Torvex", " 128.FF"},
      {std::nullopt, u"Torvex", 0x0210, "", " Torvex", ""},
      {u"Corvane", std::nullopt, 0x1000, " Corvane", "", " 16.0"},
  };
  for (const auto& c : cases) {
    Rig rig;
    sim::Identity id;
    id.serialNumber = u"A";
    id.manufacturer = c.manufacturer;
    id.product = c.product;
    id.versionNumber = c.version;
    rig.platform.addBoard(id);
    frmMain& form = LoadConnected(rig);
    EXPECT_EQ(form.lblManuf->text().toStdString(), c.manuf);
    EXPECT_EQ(form.lblProduct->text().toStdString(), c.prod);
    EXPECT_EQ(form.lblVersion->text().toStdString(), c.ver);
    // A failed string costs its pause all the same.
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
  EXPECT_EQ(form.lblVersion->text(), "");
}

TEST(RefreshDeviceStatus, FollowsTheBoardsBitePointOnly) {
  struct Case {
    const char* name;
    std::optional<protocol::Bytes> reply;  // nothing: the read fails
    int slider;
    const char* label;
    int apiResult;
  } cases[] = {
      {"settings",
       Record(kSettingsRecordBase, {{code::SetClutchBiteLsb, 0x2C},
                                    {code::SetClutchBiteMsb, 0x01},
                                    {code::SetAnalogInputMode, 1}}),
       300, "0.4", 1},
      {"led", Record(kLedRecordBase, {{code::SetLedIntensityLsb, 0x2C}}), 5000, "7.6", 1},
      {"failed", std::nullopt, 5000, "7.6", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session s;
    s.form->clutchBiteSlider->setValue(5000);
    s.form->UpdateClutchBiteLabel();
    s.board().scriptedReplies.push_back({!c.reply, c.reply.value_or(protocol::Bytes{})});
    const auto t0 = s.rig.nowMs();
    s.form->RefreshDeviceStatus();
    EXPECT_EQ(s.rig.nowMs() - t0, 0);
    EXPECT_EQ(Reads(s.rig), 1);
    EXPECT_EQ(s.form->clutchBiteSlider->value(), c.slider);
    EXPECT_EQ(s.form->clutchBitePercentLabel->text().toStdString(), c.label);
    EXPECT_EQ(s.form->analogInputModeCombo->currentIndex(), 0);
    EXPECT_EQ(s.form->LastApiResult, c.apiResult);
  }
}

TEST(RefreshDeviceStatus, ReadsNothingWithoutBoardOrEnabledSlider) {
  Session s;
  s.form->clutchBiteSlider->setEnabled(false);
  s.form->RefreshDeviceStatus();
  s.form->clutchBiteSlider->setEnabled(true);
  s.form->DeviceDetected = false;
  s.form->RefreshDeviceStatus();
  EXPECT_EQ(Reads(s.rig), 0);
}

}  // namespace
}  // namespace torvex::test
