// Boards that do not behave: report lengths from none to far too many bytes,
// descriptors claiming lengths the board does not honour, identity strings of
// no and of too many characters, replies that are not records, many boards.
// Whatever they do, the core must not hand over a wrong-sized buffer, hang,
// leak or double-close (the bench checks), nor send what cannot fit.
#include <algorithm>
#include <functional>

#include "board/Bench.h"
#include "board/Identity.h"

namespace torvex::test {
namespace {

namespace p = protocol;

// A vendor collection of `input`- and `feature`-byte reports, ID byte included.
Bytes Descriptor(int input, int feature) {
  Bytes d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
  for (auto [length, main] : {std::pair(input, 0x81), std::pair(feature, 0xB1)})
    if (length >= 2)
      d.insert(d.end(), {0x75, 8, 0x96, static_cast<std::uint8_t>((length - 1) & 0xFF),
                         static_cast<std::uint8_t>((length - 1) >> 8), 0x09, 1,
                         static_cast<std::uint8_t>(main), 2});
  d.push_back(0xC0);
  return d;
}

TEST(HostileBoard, ReportLengths) {
  const struct {
    const char* name;
    std::uint16_t input, feature;
    bool honest;  // the descriptor and the reports agree with the claim
  } cases[] = {
      {"none", 0, 0, true},
      {"one byte", 1, 1, false},
      {"three", 3, 3, true},
      {"four", 4, 4, true},
      {"five", 5, 5, true},
      {"thirteen", 13, 13, true},
      {"thirty-four", 34, 34, true},
      {"thirty-five", 35, 35, true},
      {"ours", 13, 64, true},
      {"4096", 4096, 4096, true},
      {"the parser's ceiling", 8192, 8192, true},
      {"past any descriptor", 65535, 65535, false},
      {"claims 4, sends 13 and takes 64", 4, 4, false},
      {"claims 34 input, sends 13", 34, 64, false},
      {"claims 35 feature, takes 64", 13, 35, false},
      {"claims 4096, takes 64", 4096, 4096, false},
      {"input shorter than the feature", 12, 500, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    auto& fw = b.boards.firmware(0);
    if (c.honest) b.boards.device(0).descriptor = Descriptor(c.input, c.feature);
    b.platform.lengths = [&](hid::Handle, hid::ReportLengths& l) {
      l.input = c.input;
      l.feature = c.feature;
    };
    // An honest board sends two reports of its length (button byte 0x60); those that fit.
    if (c.honest)
      b.platform.input = [&](hid::Handle, std::size_t maxBytes, hid::InputRead& r) {
        Bytes one(c.input, 0);
        if (c.input > 1) one[1] = 0x60;
        r.bytes.clear();
        for (std::size_t n = 1; n <= 2 && n * c.input <= maxBytes; ++n)
          r.bytes.insert(r.bytes.end(), one.begin(), one.end());
      };
    ASSERT_TRUE(b.b().open("TVX0001"));
    EXPECT_EQ(std::pair(b.b().inputLength(), b.b().featureLength()), std::pair(c.input, c.feature));
    const auto r = b.b().readBack();
    EXPECT_TRUE(b.b().isLoaded());
    EXPECT_EQ(r.settingsReceived, c.feature >= p::kSettingsRecordMinLength);
    EXPECT_EQ(r.ledReceived, c.feature >= p::kLedRecordMinLength);
    EXPECT_LE(b.ms(), 300);

    b.boards.clearLog();
    b.b().writeWord(p::code::SetLedIntensityLsb, 0x0102);
    b.b().sendReset();
    b.b().sendMonitorMode(p::MonitorMode::AxisX);
    b.b().sendCalibration(p::CalibrationStep::YLow);
    b.b().sendPulseWidth(5);
    std::string kinds;
    for (const auto& e : b.boards.sentTo(0)) {
      EXPECT_EQ(e.bytes.size(), c.feature);
      kinds += std::to_string(e.bytes.at(1));
    }
    EXPECT_EQ(kinds, c.feature < 4 ? "" : c.feature < 5 ? "1131" : "113451");
    const bool taken = (c.honest || c.feature == 64) && c.feature >= 4;
    EXPECT_EQ(fw.setting(p::code::SetEncoderPulseWidth) == 5, taken);

    fw.setButton(5, true);
    fw.setButton(6, true);
    const auto poll = b.b().readInput();
    EXPECT_FALSE(poll.gone);  // an odd board is not a lost one
    if (c.honest)
      EXPECT_EQ(poll.newest ? poll.newest->buttons[0] : -1,
                c.input >= 13 && c.input <= 500 ? 0x60 : -1);
  }
}

TEST(HostileBoard, RepliesThatAreNotRecords) {
  const struct {
    const char* name;
    std::function<void(std::span<std::uint8_t>)> mangle;
    bool records;
  } cases[] = {
      {"all 0xFF", [](auto r) { std::ranges::fill(r, 0xFF); }, false},
      {"all zero", [](auto r) { std::ranges::fill(r, 0); }, false},
      {"wrong kind", [](auto r) { r[1] = 3; }, false},
      {"wrong base", [](auto r) { r[2] = 0x41; }, false},
      {"cut after byte 20", [](auto r) { std::fill(r.begin() + 20, r.end(), 0); }, true},
      {"report ID 7", [](auto r) { r[0] = 7; }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    b.boards.firmware(0).setSetting(p::code::SetEncoderPulseWidth, 3);
    b.platform.reply = [&](hid::Handle, std::span<std::uint8_t> r) { c.mangle(r); };
    ASSERT_TRUE(b.b().open("TVX0001"));
    EXPECT_EQ(b.b().readBack().settings.pulseWidthStep, c.records ? 3 : 0);
    EXPECT_TRUE(b.b().isLoaded());
    EXPECT_EQ(b.platform.calls(Call::GetFeature), c.records ? 2 : 10);
  }
}

// Listed serials reopen their board; identity texts are cut at 50 units.
TEST(HostileBoard, IdentityStringsOfAnySize) {
  const struct {
    const char* name;
    std::optional<std::u16string> manufacturer;
    std::u16string serial;
    std::optional<QString> shown;
  } cases[] = {
      {"empty", u"", u"S1", QString()},
      {"absent", std::nullopt, u"S1", std::nullopt},
      {"fifty-one", std::u16string(51, u'm'), u"S1", QString(50, u'm')},
      {"four thousand", std::u16string(4000, u'z'), u"S1", QString(50, u'z')},
      {"empty serial", u"M", u"", "M"},
      {"serial of 80", u"M", std::u16string(80, u'7'), "M"},
      {"non-ASCII serial", u"M", u"\u00c5\u00c4-\u0416-\U0001F600", "M"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b({c.serial});
    b.boards.device(0).identity.manufacturer = c.manufacturer;
    const auto listed = b.b().scan().serials;
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0], board::IdentityText(c.serial));
    ASSERT_TRUE(b.b().open(listed[0]));
    EXPECT_EQ(b.b().readBack().identity.manufacturer, c.shown);
  }
}

TEST(HostileBoard, SixteenBoardsOpenedInTurn) {
  Serials serials;
  for (char16_t i = 0; i < 16; ++i) serials.push_back(u"B" + std::u16string(1, u'A' + i));
  Bench b(serials);
  b.boards.addForeign(0x046D, 0xC52B);
  const auto listed = b.b().scan().serials;
  ASSERT_EQ(listed.size(), 16u);
  for (int i = 0; i < 16; ++i) {
    ASSERT_TRUE(b.b().open(listed[i]));
    EXPECT_EQ(b.platform.deviceOf(b.b().inputHandle()), i);
    EXPECT_EQ(b.boards.openHandleCount(), 2);
  }
}

}  // namespace
}  // namespace torvex::test
