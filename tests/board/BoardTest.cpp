// The board core against emulated boards: exact frames and pacing, read-back,
// finding and opening boards, input and loss.
#include <functional>

#include "board/Bench.h"
#include "hid/Config.h"

namespace torvex::test {
namespace {

namespace p = protocol;
using hid::OpenError;
using sim::Op;

// Frames board 0 received since t0 as "kind/code:value@ms"; each must be a
// whole feature report with report ID 0 and zeros past its head.
std::string Wire(Bench& b, std::int64_t t0) {
  std::string out;
  char item[32];
  for (const auto& e : b.boards.sentTo(0)) {
    const auto& f = e.bytes;
    EXPECT_EQ(f, Frame({0, f.at(1), f.at(2), f.at(3)}, b.b().featureLength()));
    std::snprintf(item, sizeof item, "%s%d/%02X:%02X@%d", out.empty() ? "" : " ", f[1], f[2], f[3],
                  static_cast<int>(e.timeUs / 1000 - t0));
    out += item;
  }
  return out;
}

TEST(Writes, ExactFramesAndPacingInEveryState) {
  using B = board::Board;
  const struct {
    const char* name;
    std::function<void(B&)> op;
    const char* wire;
    int ms;
  } cases[] = {
      {"setting", [](B& b) { b.writeSetting(0x45, 1); }, "1/45:01@0", 10},
      {"setting 0xFF", [](B& b) { b.writeSetting(0x60, 255); }, "1/60:FF@0", 10},
      {"word", [](B& b) { b.writeWord(0x46, 0x1234); }, "1/46:34@0 1/47:12@10", 20},
      {"dead zone", [](B& b) { b.writeDeadZone(0x54, 0x1996); }, "1/54:96@0 1/55:19@20", 40},
      {"reset", [](B& b) { b.sendReset(); }, "3/04:05@0", 0},
      {"monitor Y", [](B& b) { b.sendMonitorMode(p::MonitorMode::AxisY); }, "4/0A:02@0", 0},
      {"calibrate", [](B& b) { b.sendCalibration(p::CalibrationStep::XLow); }, "5/0B:03@0", 0},
      {"pulse width", [](B& b) { b.sendPulseWidth(25); }, "1/40:19@0", 0},
      {"code -1", [](B& b) { b.writeSetting(-1, 0); }, "", 0},
      {"code 256", [](B& b) { b.writeSetting(256, 0); }, "", 0},
      {"value -1", [](B& b) { b.writeSetting(0x45, -1); }, "", 0},
      {"value 2^40", [](B& b) { b.writeSetting(0x45, 1LL << 40); }, "", 0},
  };
  // Refused by the board: sent once, no retry. Otherwise nothing is sent.
  enum State { Loaded, Refusing, OpenOnly, Unloaded, Closed, ThreeByteReports };
  for (int state = Loaded; state <= ThreeByteReports; ++state) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << ", state " << state);
      Bench b;
      if (state == ThreeByteReports) b.boards.device(0).descriptor = {0x75, 8, 0x95, 2, 0xB1, 2};
      if (state == OpenOnly) ASSERT_TRUE(b.b().open("TVX0001"));
      else b.load();
      b.boards.device(0).failAlways[Op::SetFeature] = state == Refusing;
      if (state == Unloaded) b.b().unload();
      if (state == Closed) b.b().close();
      const auto t0 = b.ms();
      c.op(b.b());
      EXPECT_EQ(Wire(b, t0), state <= Refusing ? c.wire : "");
      EXPECT_EQ(b.ms() - t0, c.ms);
    }
  }
}

struct Events : board::ReadBackObserver {
  std::string log;
  void identityRead(const board::IdentityStrings& s) override {
    const QString none = QStringLiteral("-");
    log += "[" + s.manufacturer.value_or(none).toStdString() + "|" +
           s.product.value_or(none).toStdString() + "]";
  }
  void recordsNext() override { log += "n"; }
  void settingsRead(const p::SettingsRecord&) override { log += "s"; }
  void ledRead(const p::LedRecord&) override { log += "l"; }
};

// 10 ms after each identity string, 40 ms, then 20 ms after each read that
// succeeded, until both records came or ten attempts were spent.
TEST(ReadBack, AttemptsPacingAndOrder) {
  const Bytes settings = Record(p::kSettingsRecordBase, {});
  const Bytes led = Record(p::kLedRecordBase, {});
  const std::string id = "[Corvane|Torvex Wheel]n";
  const struct {
    const char* name;
    std::vector<Bytes> replies;  // none: the board's own alternation
    int failures;
    bool mute;  // no identity strings
    int reads, ms;
    std::string events;
  } cases[] = {
      {"board", {}, 0, false, 2, 100, id + "sl"},
      {"LED first", {led, settings}, 0, false, 2, 100, id + "ls"},
      {"settings only", std::vector(12, settings), 0, false, 10, 260, id + std::string(10, 's')},
      {"unknown records", std::vector(10, Record(0x50, {})), 0, false, 10, 260, id},
      {"8 failures", {}, 8, false, 10, 100, id + "sl"},
      {"9 failures", {}, 9, false, 10, 80, id + "s"},
      {"silent board", {}, 10, true, 10, 60, "[-|-]n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    b.load();
    auto& d = b.boards.device(0);
    for (const auto& r : c.replies) d.scriptedReplies.push_back({false, r});
    d.failNext[Op::GetFeature] = c.failures;
    d.failAlways[Op::Manufacturer] = d.failAlways[Op::Product] = c.mute;
    int stringsElsewhere = 0, reads = 0;
    bool loadedDuring = false;
    b.platform.before = [&](Call call, hid::Handle h) {
      stringsElsewhere += call == Call::String && h != b.b().inputHandle();
      reads += call == Call::GetFeature;
      loadedDuring |= b.b().isLoaded();
      return false;
    };
    Events events;
    const auto t0 = b.ms();
    const auto r = b.b().readBack(&events);
    EXPECT_EQ(b.ms() - t0, c.ms);
    EXPECT_EQ(reads, c.reads);
    EXPECT_EQ(events.log, c.events);
    EXPECT_EQ(r.complete(), c.events.ends_with("sl") || c.events.ends_with("ls"));
    EXPECT_EQ(stringsElsewhere, 0);
    EXPECT_FALSE(loadedDuring);
    EXPECT_TRUE(b.b().isLoaded());
    EXPECT_TRUE(b.boards.featureLog().size() == static_cast<std::size_t>(c.reads));
  }
}

TEST(ReadBack, SettingsAsTheBoardStoresThem) {
  Bench b;
  for (int code = 0x40; code <= 0x61; ++code) b.boards.firmware(0).setSetting(code, code + 0x80);
  ASSERT_TRUE(b.b().open("TVX0001"));
  const board::Settings expected{
      .pulseWidthStep = 0xC0, .analogInputMode = 0xC5, .clutchBite = 0xC7C6, .masterClutch = 0xC8,
      .rotaryLeft = 0xC9, .rotaryRight = 0xCA, .xDeadLow = 0xD5D4, .xDeadHigh = 0xD7D6,
      .yDeadLow = 0xD9D8, .yDeadHigh = 0xDBDA, .xCurveType = 0xDC, .yCurveType = 0xDD,
      .xCurveNumber = 0xDE, .yCurveNumber = 0xDF, .ledIntensity = 0xE1E0};
  EXPECT_TRUE(b.b().readBack().settings == expected);
}

TEST(ReadBack, OneSettingsRecordOnRequestWithoutPause) {
  const auto bite = Record(p::kSettingsRecordBase, {{p::code::SetClutchBiteLsb, 0x2C}, {0x47, 1}});
  const struct {
    std::optional<Bytes> reply;  // nothing: the read fails
    bool open;
    int reads;
    std::optional<int> clutchBite;
  } cases[] = {{bite, true, 1, 300},
               {Record(p::kLedRecordBase, {}), true, 1, std::nullopt},
               {std::nullopt, true, 1, std::nullopt},
               {bite, false, 0, std::nullopt}};
  for (const auto& c : cases) {
    Bench b;
    b.load();
    if (!c.open) b.b().close();
    b.boards.device(0).scriptedReplies.push_back({!c.reply, c.reply.value_or(Bytes{})});
    const auto t0 = b.ms();
    const auto r = b.b().readSettingsRecord();
    EXPECT_EQ(r ? std::optional<int>(r->clutchBite) : std::nullopt, c.clutchBite);
    EXPECT_EQ(b.boards.featureLog().size(), static_cast<std::size_t>(c.reads));
    EXPECT_EQ(b.ms(), t0);
  }
}

TEST(Discovery, ScanListsBoardsInOsOrderAndClosesEveryProbe) {
  const struct {
    const char* name;
    Serials serials;
    std::function<void(sim::VirtualPlatform&)> setup;
    std::vector<QString> listed;
    OpenError error;
    bool locked;
  } cases[] = {
      {"OS order", {u"C", u"A", u"B"}, {}, {"C", "A", "B"}, OpenError::None, false},
      {"one serial twice", {u"T", u"T"}, {}, {"T", "T"}, OpenError::None, false},
      {"no serial", {std::nullopt, u"B"}, {}, {"B"}, OpenError::None, false},
      {"no attributes", {u"A", u"B"}, [](auto& p) { p.device(1).failAlways[Op::Attributes] = true; },
       {"A"}, OpenError::None, false},
      {"access denied", {u"A"}, [](auto& p) { p.device(0).openError = OpenError::AccessDenied; }, {},
       OpenError::AccessDenied, true},
      {"busy", {u"A"}, [](auto& p) { p.device(0).openError = OpenError::Busy; }, {}, OpenError::Busy,
       true},
      {"gone while opening", {u"A"}, [](auto& p) { p.device(0).openError = OpenError::NotFound; },
       {}, OpenError::NotFound, false},
      {"one of two locked", {u"A", u"B"},
       [](auto& p) { p.device(1).openError = OpenError::AccessDenied; }, {"A"},
       OpenError::AccessDenied, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b(c.serials);
    // Open attempts on these would count down.
    const int foreign[] = {b.boards.addForeign(0x046D, 0xC31C),
                           b.boards.addForeign(DeviceVendorId, DeviceProductId + 1),
                           b.boards.addForeign(DeviceVendorId + 1, DeviceProductId)};
    for (int f : foreign) b.boards.device(f).failNext[Op::Open] = 1000;
    if (c.setup) c.setup(b.boards);
    const auto r = b.b().scan();
    EXPECT_EQ(r.serials, c.listed);
    EXPECT_EQ(r.lastOpenError, c.error);
    EXPECT_EQ(r.boardLocked(), c.locked);
    EXPECT_EQ(b.boards.openHandleCount(), 0);
    for (int f : foreign) EXPECT_EQ(b.boards.device(f).failNext[Op::Open], 1000);
  }
}

TEST(Discovery, OpenTakesTheFirstBoardWithTheWholeSerial) {
  const struct {
    Serials serials;
    QString pick;
    int opened;  // -1: none
    int locked = -1;
  } cases[] = {
      {{u"A", u"B", u"C"}, "B", 1},
      {{u"T", u"T"}, "T", 0},
      {{u"\u0141\u0142", u"\u0241\u0242"}, QString::fromUtf16(u"\u0241\u0242"), 1},
      {{u"abc", u"ABC"}, "ABC", 1},
      {{u"A"}, "Z", -1},
      {{u"A", u"B"}, "B", 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pick.toStdString());
    Bench b(c.serials);
    if (c.locked >= 0) b.boards.device(c.locked).openError = OpenError::AccessDenied;
    EXPECT_EQ(b.b().open(c.pick), c.opened >= 0);
    EXPECT_EQ(b.boards.openHandleCount(), c.opened >= 0 ? 2 : 0);
    if (c.opened < 0) continue;
    EXPECT_EQ(b.platform.deviceOf(b.b().featureHandle()), c.opened);
    EXPECT_EQ(b.platform.deviceOf(b.b().inputHandle()), c.opened);
  }
}

TEST(Discovery, LengthsFollowTheOpenBoardAndNoInputHandleLeavesNothingOpen) {
  Bench b({u"WIDE", u"OURS"});
  // Another firmware: 21-byte input, 32-byte feature reports.
  b.boards.device(0).descriptor = {0x75, 8, 0x95, 0x14, 0x81, 2, 0x95, 0x1F, 0xB1, 2};
  const auto lengths = [&] { return std::pair<int, int>(b.b().inputLength(), b.b().featureLength()); };
  ASSERT_TRUE(b.b().open("WIDE"));
  EXPECT_EQ(lengths(), std::pair(21, 32));
  ASSERT_TRUE(b.b().open("OURS"));
  EXPECT_EQ(lengths(), std::pair(13, 64));
  EXPECT_EQ(b.boards.openHandleCount(), 2);
  // Lengths that cannot be read leave the previous ones.
  b.boards.device(0).failAlways[Op::ReportLengths] = true;
  ASSERT_TRUE(b.b().open("WIDE"));
  EXPECT_EQ(lengths(), std::pair(13, 64));
  // The input handle is opened after the lengths are read.
  b.platform.before = [&](Call c, hid::Handle) {
    return c == Call::Open && b.platform.calls(Call::ReportLengths) == 4;
  };
  EXPECT_FALSE(b.b().open("OURS"));
  EXPECT_EQ(b.b().lastOpenError(), OpenError::Failed);
  EXPECT_FALSE(b.b().isOpen());
  EXPECT_EQ(b.boards.openHandleCount(), 0);
  EXPECT_TRUE(b.boards.featureLog().empty());
}

TEST(Input, NewestReportQuietIsNotGoneLossClosesReplugFindsIt) {
  Bench b;
  b.load();
  b.boards.firmware(0).setButton(5, true);
  b.boards.firmware(0).setButton(6, true);
  auto poll = b.b().readInput();
  EXPECT_EQ(poll.reportsDrained, 2);
  ASSERT_TRUE(poll.newest && !poll.gone);
  EXPECT_EQ(poll.newest->buttons[0], 0x60);
  poll = b.b().readInput();
  EXPECT_FALSE(poll.gone || poll.newest);
  EXPECT_TRUE(b.b().isLoaded());

  b.boards.unplug(0);
  EXPECT_TRUE(b.b().readInput().gone);
  EXPECT_FALSE(b.b().isOpen() || b.b().isLoaded());
  EXPECT_EQ(b.boards.openHandleCount(), 0);
  EXPECT_FALSE(b.b().readInput().gone);
  b.b().close();
  EXPECT_TRUE(b.b().scan().serials.empty());
  b.boards.plug(0);
  EXPECT_EQ(b.b().scan().serials, std::vector<QString>{"TVX0001"});
  EXPECT_TRUE(b.b().open("TVX0001"));
}

}  // namespace
}  // namespace torvex::test
