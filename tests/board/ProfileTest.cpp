// SPDX-License-Identifier: MIT
// Profiles: every stored value survives a file exactly, a saved board
// restores byte for byte after a reset, an apply cut short by an unplug at
// any call says truly what reached the board, and the store keeps its names
// and the newest backups.
#include <gmock/gmock.h>

#include <QTemporaryDir>

#include "board/ProfileStore.h"
#include "board/SettingWrites.h"
#include "support/FaultPlatform.h"

namespace torvex::test {
namespace {

using board::SettingId;
using board::Settings;
using Memory = std::array<std::uint8_t, 256>;

Memory MemoryOf(sim::VirtualPlatform& p) {
  Memory m{};
  for (int code = 0; code < 256; ++code) m[code] = p.firmware(0).setting(code);
  return m;
}

Settings Make(std::initializer_list<std::pair<SettingId, int>> values) {
  Settings s;
  for (SettingId id : board::AllSettings()) board::Store(s, id, board::StoredValue(Settings{}, id));
  s.pulseWidthStep = 1;
  for (auto [id, v] : values) board::Store(s, id, v);
  return s;
}

Settings RoundTrip(const Settings& s) {
  const auto text = board::ProfileText({s, {"TVX \"01\"\\ é", "", QDateTime()}});
  EXPECT_TRUE(text);
  const board::ProfileParse back = board::ParseProfile(text.value_or(QByteArray()));
  EXPECT_TRUE(back.profile) << back.error.text().toStdString();
  return back.profile ? back.profile->settings : Settings{};
}

TEST(Profile, EveryValueAPercentCanNameComesBackExactly) {
  for (int raw = 0; raw <= board::kClutchBiteMax; ++raw) {
    const int dead = raw % 6551;  // 0 .. 10 % x 655
    const Settings s = Make({{SettingId::ClutchBite, raw},
                             {SettingId::Led, raw % 256},
                             {SettingId::XDeadLow, dead},
                             {SettingId::XDeadHigh, 6550 - dead},
                             {SettingId::YDeadLow, (dead * 7) % 6551},
                             {SettingId::YDeadHigh, (dead + 3275) % 6551}});
    ASSERT_EQ(RoundTrip(s), s) << "raw " << raw;
  }
  // Beyond the limit a dead zone has no entry: the file is not written.
  SettingId unsaved{};
  EXPECT_FALSE(board::ProfileText({Make({{SettingId::YDeadHigh, 6551}}), {}}, &unsaved));
  EXPECT_EQ(unsaved, SettingId::YDeadHigh);
}

// Save a board, reset it, apply the file: the board's memory is as before.
TEST(Profile, SavedBoardRestoresEveryByteAfterAReset) {
  using S = SettingId;
  const Settings cases[] = {
      Make({}),
      Make({{S::AnalogMode, 1},
            {S::MasterClutch, 1},
            {S::ClutchBite, 65535},
            {S::RotaryLeft, 4},
            {S::RotaryRight, 4},
            {S::PulseWidth, 25},
            {S::Led, 255},
            {S::XCurve, 2},
            {S::YCurve, 2},
            {S::XCurveNumber, 10},
            {S::YCurveNumber, 10},
            {S::XDeadLow, 6550},
            {S::XDeadHigh, 6550},
            {S::YDeadLow, 6550},
            {S::YDeadHigh, 6550}}),
      Make({{S::ClutchBite, 1},
            {S::Led, 1},
            {S::RotaryLeft, 3},
            {S::RotaryRight, 3},
            {S::XDeadLow, 1},
            {S::XDeadHigh, 66},
            {S::YDeadLow, 6549},
            {S::YDeadHigh, 655}}),
  };
  for (const Settings& held : cases) {
    sim::VirtualPlatform boards;
    boards.addBoard({});
    board::Board b(boards);
    ASSERT_TRUE(b.open(b.scan().serials.at(0)));
    const Settings factory = b.readBack().settings;
    for (const auto& f : board::PlanWrites(factory, board::ChangesTo(held)).frames)
      boards.firmware(0).setSetting(f.code, f.value);
    const Memory before = MemoryOf(boards);
    const auto text = board::ProfileText({b.readBack().settings, {}});
    ASSERT_TRUE(text);

    boards.firmware(0).factoryReset();
    const board::ProfileParse p = board::ParseProfile(*text);
    ASSERT_TRUE(p.profile);
    const auto outcome = board::ApplySettings(b, b.readBack().settings, p.profile->settings);
    EXPECT_TRUE(outcome.succeeded());
    EXPECT_EQ(MemoryOf(boards), before);
  }
}

// An unplug before each call of an apply: what it says reached the board
// did, nothing else changed, and only an uncut apply counts as done.
TEST(Profile, UnplugAtEveryPointOfAnApplyIsReportedTruly) {
  const Settings wanted = Make({{SettingId::ClutchBite, 4242},
                                {SettingId::RotaryLeft, 4},
                                {SettingId::RotaryRight, 4},
                                {SettingId::XDeadLow, 1310}});
  for (int cut = 1;; ++cut) {
    SCOPED_TRACE(cut);
    sim::VirtualPlatform boards;
    FaultPlatform platform(boards);
    boards.addBoard({});
    board::Board b(platform);
    ASSERT_TRUE(b.open(b.scan().serials.at(0)));
    const Settings before = b.readBack().settings;
    int calls = 0;
    platform.before = [&](Call, hid::Handle) {
      if (++calls == cut) boards.unplug(0);
      return false;
    };
    const auto outcome = board::ApplySettings(b, before, wanted);
    b.close();
    if (calls >= cut) boards.plug(0);
    board::Board reader(boards);
    ASSERT_TRUE(reader.open(reader.scan().serials.at(0)));
    const Settings now = reader.readBack().settings;
    const auto has = [](const std::vector<SettingId>& ids, SettingId id) {
      return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    for (SettingId id : board::AllSettings()) {
      if (has(outcome.sent.partly, id)) continue;  // said to hold neither for sure
      const bool reached = has(outcome.sent.reached, id);
      EXPECT_EQ(board::StoredValue(now, id), board::StoredValue(reached ? wanted : before, id))
          << board::SettingName(id).toStdString();
    }
    if (outcome.succeeded()) {
      EXPECT_EQ(now, wanted);
    }
    if (calls < cut) {  // the apply ended before the cut
      EXPECT_TRUE(outcome.succeeded());
      break;
    }
  }
}

TEST(ProfileStore, NamesBackupsAndCopies) {
  QTemporaryDir dir;
  const board::ProfileStore store(dir.path() + "/profiles");
  const board::Profile p{Make({{SettingId::Led, 200}}), {"TVX/1", "Torvex Wheel", {}}};
  const QDateTime t0(QDate(2026, 12, 7), QTime(10, 0, 0));
  for (int i = 0; i < 13; ++i)
    ASSERT_NE(store.saveBackup(p, t0.addSecs(std::min(i, 11)), nullptr), "");
  ASSERT_NE(store.saveBackup({p.settings, {"TVX", "", {}}}, t0, nullptr), "");
  EXPECT_EQ(store.save("backup-TVX_1-my-notes", p), "");
  EXPECT_EQ(store.save("a/b", p), "a name cannot hold '/', '\\' or control characters");
  EXPECT_EQ(store.rename("backup-TVX_1-my-notes", "gt3 spa"), "");
  QStringList kept;
  for (int i = 3; i < 12; ++i) kept << store.BackupName("TVX/1", t0.addSecs(i));
  kept << kept.back() + "-2";  // the same second again: never over the first
  EXPECT_EQ(store.names(),
            QStringList{"backup-TVX-20261207-100000"} + kept + QStringList{"gt3 spa"});

  EXPECT_EQ(store.exportTo("gt3 spa", dir.path() + "/out/shared.toml"), "");
  EXPECT_EQ(store.importFile(dir.path() + "/out/shared.toml", "copy"), "");
  EXPECT_EQ(store.read("copy").profile->settings, p.settings);
  EXPECT_EQ(store.remove("copy"), "");
  EXPECT_FALSE(store.contains("copy"));
}

}  // namespace
}  // namespace torvex::test
