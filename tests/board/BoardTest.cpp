// SPDX-License-Identifier: MIT
// The board core against emulated boards: exact frames and pacing, read-back,
// finding and opening boards, input and loss; and its pure rules at their
// edges: percent texts and typed entries, input reports, identity strings.
#include <gmock/gmock.h>

#include "board/Identity.h"
#include "board/InputReport.h"
#include "board/PaddleRest.h"
#include "board/Percent.h"
#include "hid/Config.h"
#include "support/Bench.h"

namespace torvex::test {
namespace {

namespace p = protocol;
using sim::Op;
using B = board::Board;

TEST(Writes, ExactFramesAndPacingInEveryState) {
  // What to do, the frames the board receives with their times, the ms it takes.
  // A word is two settings, each paced.
  const std::tuple<std::function<void(B&)>, std::string, int> cases[] = {
      {[](B& b) { b.writeWord(0x46, 0xFF34); }, "1/46:34@0 1/47:FF@10", 20},
      {[](B& b) { b.writeDeadZone(0x54, 0x1996); }, "1/54:96@0 1/55:19@20", 40},
      {[](B& b) { b.sendReset(); }, "3/04:05@0", 0},
      {[](B& b) { b.sendMonitorMode(p::MonitorMode::AxisY); }, "4/0A:02@0", 0},
      {[](B& b) { b.sendCalibration(p::CalibrationStep::XLow); }, "5/0B:03@0", 0},
      {[](B& b) { b.sendPulseWidth(25); }, "1/40:19@0", 0},
      {[](B& b) { b.writeSetting(-1, 0); }, "", 0},
      {[](B& b) { b.writeSetting(256, 0); }, "", 0},
      {[](B& b) { b.writeSetting(0x45, -1); }, "", 0},
      {[](B& b) { b.writeSetting(0x45, 256); }, "", 0},
  };
  // A refusing board is sent each frame once; in the other states nothing is sent.
  enum State { Loaded, Refusing, OpenOnly, Unloaded, Closed };
  for (int state = Loaded; state <= Closed; ++state) {
    for (const auto& [op, wire, ms] : cases) {
      Bench b;
      b.load(state != OpenOnly);
      b.boards.device(0).failAlways[Op::SetFeature] = state == Refusing;
      if (state == Unloaded) b.board->unload();
      if (state == Closed) b.board->close();
      const auto t0 = b.ms();
      op(*b.board);
      EXPECT_EQ(b.wire(t0), state <= Refusing ? wire : "") << "state " << state;
      EXPECT_EQ(b.ms() - t0, ms) << wire << ", state " << state;
    }
  }
}

struct Events : board::ReadBackObserver {
  std::string log;
  void identityRead(const board::IdentityStrings& s) override { log += s.product ? "i" : "-"; }
  void recordsNext() override { log += "n"; }
  void settingsRead(const p::SettingsRecord&) override { log += "s"; }
  void ledRead(const p::LedRecord&) override { log += "l"; }
};

// 10 ms after each identity string, 40 ms, then 20 ms after each read that
// succeeded, until both records came or ten attempts were spent.
TEST(ReadBack, AttemptsPacingAndOrder) {
  const Bytes settings = Frame({0, 1, p::kSettingsRecordBase}),
              led = Frame({0, 1, p::kLedRecordBase});
  // Replies (none: the board's own), failed reads, identity strings given;
  // then the reads, the ms taken and what the observer was told.
  const std::tuple<std::vector<Bytes>, int, bool, int, int, std::string> cases[] = {
      {{}, 0, true, 2, 100, "insl"},
      {{led, settings}, 0, true, 2, 100, "inls"},
      {std::vector(12, settings), 0, true, 10, 260, "in" + std::string(10, 's')},
      {std::vector(10, Bytes(64, 0xFF)), 0, true, 10, 260, "in"},
      {{}, 8, true, 10, 100, "insl"},
      {{}, 9, true, 10, 80, "ins"},
      {{}, 10, false, 10, 60, "-n"},
  };
  for (const auto& [replies, failures, strings, reads, ms, told] : cases) {
    Bench b;
    b.load();
    auto& d = b.boards.device(0);
    d.identity.manufacturer = std::u16string(4000, u'm');
    for (const auto& r : replies) d.scriptedReplies.push_back({false, r});
    d.failNext[Op::GetFeature] = failures;
    d.failAlways[Op::Manufacturer] = d.failAlways[Op::Product] = !strings;
    // Strings come over the input handle; the board counts as loaded only after.
    int stringsElsewhere = 0, loadedDuring = 0;
    b.platform.before = [&](Call call, hid::Handle h) {
      stringsElsewhere += call == Call::String && h != b.board->inputHandle();
      loadedDuring += b.board->isLoaded();
      return false;
    };
    Events events;
    const auto t0 = b.ms();
    const auto r = b.board->readBack(&events);
    EXPECT_EQ(std::tuple(b.ms() - t0, b.platform.calls(Call::GetFeature) - 2, events.log,
                         stringsElsewhere + loadedDuring),
              std::tuple(ms, reads, told, 0));
    EXPECT_EQ(r.identity.manufacturer.value_or("-"), strings ? QString(50, u'm') : "-");
    EXPECT_TRUE(b.board->isLoaded() && b.boards.sentTo(0).empty());
  }
}

using E = hid::OpenError;
using Prep = std::function<void(Bench&)>;

// Scan lists boards by serial, then open takes the first with the whole text.
// A last open error other than none is board 0 refusing to open.
TEST(Discovery, ScanThenOpen) {
  Serials sixteen;
  for (char16_t i = 0; i < 16; ++i) sixteen.push_back(u"B" + std::u16string(1, u'A' + i));
  // Serials, what goes wrong, what the scan lists and its last open error,
  // the serial to open and the board opened (-1: none).
  const Prep noAttributes = [](Bench& b) { b.boards.device(0).failAlways[Op::Attributes] = true; };
  // The input handle is opened after the lengths are read.
  const Prep noInputHandle = [](Bench& b) {
    b.platform.before = [&b](Call c, hid::Handle) {
      return c == Call::Open && b.platform.calls(Call::ReportLengths) > 0;
    };
  };
  const std::tuple<Serials, Prep, QString, E, QString, int> cases[] = {
      {{u"C", u"A", u"B"}, {}, "C A B", E::None, "A", 1},
      {{u"T", u"T"}, {}, "T T", E::None, "T", 0},
      {{u"abc", u"ABC"}, {}, "abc ABC", E::None, "ABC", 1},
      {{u"\u0141", u"\u0241"}, {}, "\u0141 \u0241", E::None, "\u0241", 1},
      {{std::u16string(80, u'7')}, {}, QString(50, u'7'), E::None, QString(50, u'7'), 0},
      {{std::nullopt, u"B"}, {}, "B", E::None, "B", 1},
      {{u"A", u"B"}, noAttributes, "B", E::None, "A", -1},
      {{u"A"}, {}, "", E::AccessDenied, "A", -1},
      {{u"A"}, {}, "", E::Busy, "A", -1},
      {{u"A"}, {}, "", E::NotFound, "A", -1},
      {{u"A", u"B"}, {}, "B", E::AccessDenied, "A", -1},
      {sixteen, {}, "BA BB BC BD BE BF BG BH BI BJ BK BL BM BN BO BP", E::None, "BP", 15},
      {{u"A"}, noInputHandle, "A", E::None, "A", -1}};
  for (const auto& [serials, prep, listed, error, pick, opened] : cases) {
    SCOPED_TRACE(listed.toStdString());
    Bench b(serials);
    // Interfaces that are not boards: opening one would show in the last error.
    b.boards.device(b.boards.addForeign(DeviceVendorId + 1, DeviceProductId)).openError = E::Busy;
    b.boards.device(b.boards.addForeign(DeviceVendorId, DeviceProductId + 1)).openError = E::Busy;
    if (prep) prep(b);
    b.boards.device(0).openError = error;
    const auto r = b.board->scan();
    EXPECT_EQ(std::tuple(QStringList(r.serials.begin(), r.serials.end()).join(' '), r.lastOpenError,
                         r.boardLocked(), b.boards.openHandleCount()),
              std::tuple(listed, error, error == E::AccessDenied || error == E::Busy, 0));
    EXPECT_EQ(b.board->open(pick), opened >= 0);
    EXPECT_EQ(std::tuple(b.boards.openHandleCount(), b.platform.deviceOf(b.board->featureHandle()),
                         b.platform.deviceOf(b.board->inputHandle())),
              std::tuple(opened >= 0 ? 2 : 0, opened, opened));
  }
}

TEST(Input, NewestReportQuietIsNotGoneLossCloses) {
  Bench b;
  b.load();
  for (int button : {5, 6}) b.boards.firmware(0).setButton(button, true);
  auto poll = b.board->readInput();
  ASSERT_TRUE(poll.newest && !poll.gone && poll.reportsDrained == 2);
  EXPECT_EQ(poll.newest->buttons[0], 0x60);
  poll = b.board->readInput();
  EXPECT_FALSE(poll.gone || poll.newest || !b.board->isLoaded());
  b.boards.unplug(0);
  EXPECT_TRUE(b.board->readInput().gone);
  EXPECT_FALSE(b.board->isOpen() || b.board->isLoaded() || b.boards.openHandleCount());
  EXPECT_FALSE(b.board->readInput().gone);  // told once, and the bench sees no second close
}

// Boards that claim report lengths from none to far too many bytes, and may
// not send reports of the length they claim. Whatever they claim, the core
// must not hand over a wrong-sized buffer, hang, leak or double-close (the
// bench checks), nor send a frame the feature report cannot hold.
TEST(HostileBoard, ReportLengths) {
  // Claimed input and feature lengths; honest: input reports of the claimed length.
  const std::tuple<std::uint16_t, std::uint16_t, bool> cases[] = {
      {0, 0, true},   {1, 1, false},      {3, 3, true},       {4, 4, true},
      {5, 5, true},   {13, 13, true},     {34, 34, true},     {35, 35, true},
      {13, 64, true}, {4096, 4096, true}, {8192, 8192, true}, {65535, 65535, false},
      {4, 4, false},  {34, 64, false},    {13, 35, false},    {12, 500, true},
  };
  for (const auto& [input, feature, honest] : cases) {
    SCOPED_TRACE(testing::Message() << input << "/" << feature << (honest ? "" : " claimed"));
    Bench b;
    b.platform.lengths = [&](hid::Handle, hid::ReportLengths& l) { l = {input, 0, feature}; };
    // An honest board's report (button byte 0 = 0x60) when it fits the read.
    if (honest)
      b.platform.input = [&](hid::Handle, std::size_t max, hid::InputRead& r) {
        r.bytes.assign(input <= max ? input : 0, 0x60);
      };
    ASSERT_TRUE(b.board->open("TVX0001"));
    EXPECT_TRUE(b.board->inputLength() == input && b.board->featureLength() == feature);
    const auto r = b.board->readBack();
    EXPECT_EQ(std::pair(r.settingsReceived, r.ledReceived),
              std::pair(feature >= p::kSettingsRecordMinLength, feature >= p::kLedRecordMinLength));
    EXPECT_TRUE(b.board->isLoaded() && b.ms() <= 300);
    b.boards.clearLog();
    // Settings, reset and pulse width need 4 bytes, monitor and calibration 5.
    b.board->writeSetting(p::code::SetMasterClutchMode, 1);
    b.board->sendReset();
    b.board->sendPulseWidth(2);
    b.board->sendMonitorMode(p::MonitorMode::AxisX);
    b.board->sendCalibration(p::CalibrationStep::YHigh);
    EXPECT_EQ(b.boards.sentTo(0).size(), 3 * (feature >= 4) + 2 * (feature >= 5));
    b.boards.firmware(0).setButton(5, true);
    const auto poll = b.board->readInput();
    EXPECT_FALSE(poll.gone);  // an odd board is not a lost one
    EXPECT_EQ(honest && poll.newest ? poll.newest->buttons[0] : -1,
              honest && input >= 13 ? 0x60 : -1);
  }
}

// Pure rules at their edges.
using namespace board;
// What `f` gives for each input, space separated.
template <typename T, typename F>
std::string Each(std::initializer_list<T> inputs, F f) {
  QStringList out;
  for (const auto& x : inputs) out << f(x);
  return out.join(' ').toStdString();
}
const auto Num = [](std::optional<double> v) { return v ? QString::number(*v) : "-"; };

// Each entry truncated (PercentText) and rounded (FormatOneDecimal) to one decimal.
TEST(Rules, PercentTextsAndTypedNumbers) {
  EXPECT_EQ(Each({32768.0 / 65535.0 * 100.0, 12.99, 19.999999999999996, 1.0 / 65535.0 * 100.0, -0.0,
                  -0.04, 123456789012.75, 1e20, 2.25, 1.05, 99.95, -2.25},
                 [](double x) { return PercentText(x, u'.') + "|" + FormatOneDecimal(x, u','); }),
            "50.0|50,0 12.9|13,0 20.0|20,0 0.0|0,0 0.0|0,0 -0.0|-0,0 123456789012.7|123456789012,8 "
            "100000000000000000000.0|100000000000000000000,0 2.2|2,3 1.0|1,1 99.9|100,0 -2.2|-2,3");
  EXPECT_EQ(Each({"10.5", "10.6", "-0.4", "x", "1e300"},
                 [](auto t) { return ClampDeadZone(t, kDeadZoneLimit, kEnglish, u'.'); }),
            "10.5 10.0 0.0 0.0 10.0");
  EXPECT_EQ(ClampDeadZone("2,25", kDeadZoneLimit, kGerman, u','), "2,3");
  EXPECT_EQ(Each({33, 32767, 65534},
                 [](int v) { return AxisPercentText(v, kEnglish) + AxisPercentText(v, kGerman); }),
            "0.1 %0,1 % 50.0 %50,0 % 100.0 %100,0 %");
  // Typed numbers, slider positions and raw dead zones.
  EXPECT_EQ(Each({" 7.3 ", "7.3\r", "1e2", "7,3", "inf", "1e400"},
                 [](auto t) { return Num(ParseLocaleNumber(t, kEnglish)); }),
            "7.3 7.3 100 - - -");
  EXPECT_EQ(
      Each({50.0, 99.9, 99.91, -0.1, 1e300},
           [](double x) { return Num(SliderPositionFromPercent(x, kClutchBiteFactor, 0, 65535)); }),
      "32800 65534 65535 0 65535");
  // Halves to even: 0.3 % is 196.5.
  EXPECT_EQ(Each({7.3, 0.3, -5.0, 1e12}, [](double x) { return Num(PercentToRaw(x)); }),
            "4782 196 0 65535");
  EXPECT_EQ(SliderPositionFromPercent(50, kLedFactor, 0, 255) + SliderPercent(5, 0), 128);
}

TEST(Rules, IdentityVersionAndInputReports) {
  // A zero low byte is no end, a NUL is; a pair the 50-unit limit would cut is left out.
  // clang-format off
  const std::pair<std::u16string, QString> cases[] = {
      {u"", ""}, {u"A\u0100B", "A\u0100B"}, {std::u16string(u"AB\0CD", 5), "AB"},
      {std::u16string(48, u'x') + u"\U0001D11Ez", QString(48, u'x') + "\U0001D11E"},
      {std::u16string(49, u'x') + u"\U0001D11E", QString(49, u'x')}};
  // clang-format on
  for (const auto& [units, text] : cases) EXPECT_EQ(IdentityText(units), text);
  EXPECT_EQ(VersionLabel(0x0210) + VersionLabel(0xFFAB), " 2.10 255.AB");
  // Bytes past the fields of a longer report are not examined. On the chart
  // input goes across, output up; a line joins only a point with both coordinates.
  const auto s =
      DecodeNewestReport(Bytes{0, 1, 0, 0, 0, 0, 0, 0, 0x80, 0x34, 0x12, 0xCD, 0xAB, 9, 9}, 15);
  ASSERT_TRUE(s);
  EXPECT_THAT(s->buttons, testing::ElementsAre(1, 0, 0, 0, 0, 0, 0, 0x80));
  EXPECT_EQ(ChartPointFor(*s, false), (ChartPoint{0x1234, 65535 - 0xABCD}));
  EXPECT_EQ(ChartPointFor(*s, true), (ChartPoint{0xABCD, 65535 - 0x1234}));
  EXPECT_FALSE(JoinsPrevious({0, 1}) || JoinsPrevious({1, 0}) || !JoinsPrevious({1, 1}));
  EXPECT_FALSE(DecodeNewestReport(Bytes(24, 7), 12));  // too short for the fields
}

// At rest once the watched fields held within 1 % of where the rest began for
// half a second, a quiet board's last reading holding meanwhile; after the low
// end only 10 % of the scale away from it, in either field when both are watched.
TEST(Rules, PaddleRest) {
  using W = PaddleRest::Watch;
  using S = PaddleRest::State;
  using Readings = std::vector<std::array<int, 3>>;  // ms, x, y
  // What is watched, the readings, the low end the rest must be away from,
  // when it is asked and what it says.
  // clang-format off
  const std::tuple<W, Readings, std::optional<AxisFields>, int, S> cases[] = {
      {W::Y, {}, {}, 5000, S::Unknown},
      {W::Y, {{0, 0, 1000}}, {}, 499, S::Moving},
      {W::Y, {{0, 0, 1000}}, {}, 500, S::Settled},
      {W::Y, {{0, 0, 1000}, {200, 0, 1600}, {400, 0, 400}}, {}, 500, S::Settled},
      {W::Y, {{0, 0, 1000}, {200, 0, 1600}, {400, 0, 2200}}, {}, 899, S::Moving},  // creeping
      {W::Y, {{0, 0, 1000}, {300, 9000, 1000}}, {}, 500, S::Settled},
      {W::Both, {{0, 0, 1000}, {300, 9000, 1000}}, {}, 500, S::Moving},
      {W::Y, {{0, 0, 7053}}, AxisFields{0, 500}, 500, S::TooClose},
      {W::Y, {{0, 0, 7054}}, AxisFields{0, 500}, 500, S::Settled},
      {W::Both, {{0, 7054, 0}}, AxisFields{500, 0}, 500, S::Settled}};
  // clang-format on
  for (const auto& [watch, readings, lowEnd, atMs, state] : cases) {
    PaddleRest rest(watch);
    for (auto [ms, x, y] : readings)
      rest.feed(ms, {static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y)});
    if (lowEnd) rest.needTravelFrom(*lowEnd);
    EXPECT_EQ(rest.state(atMs), state) << readings.size() << " readings, at " << atMs;
  }
}

}  // namespace
}  // namespace torvex::test
