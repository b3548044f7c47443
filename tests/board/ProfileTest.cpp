// SPDX-License-Identifier: MIT
// Applies and profiles: a saved board restores byte for byte after a reset,
// an apply cut short by an unplug at any call says truly what reached the
// board, an apply waits for another program's hold on the board, and the
// store keeps its names and the newest backups.
#include <gmock/gmock.h>

#include <QTemporaryDir>
#include <random>

#include "board/ProfileStore.h"
#include "board/SettingWrites.h"
#include "support/Bench.h"

namespace torvex::test {
namespace {

using board::SettingId;
using S = SettingId;
using board::Settings;
using Memory = std::array<std::uint8_t, 256>;
using Take = board::BoardLock::Take;

Memory MemoryOf(sim::VirtualPlatform& p) {
  Memory m{};
  for (int code = 0; code < 256; ++code) m[code] = p.firmware(0).setting(code);
  return m;
}

Settings Make(std::initializer_list<std::pair<SettingId, int>> values) {
  Settings s;
  s.pulseWidthStep = 1;
  for (auto [id, v] : values) board::Store(s, id, v);
  return s;
}

// A board's memory saved, reset and applied back: every byte as before, on
// random memories and at the edges, and no two frames of the batch closer
// than the 10 ms the board needs.
TEST(Profile, SaveResetApplyRestoresEveryByte) {
  std::vector<Settings> memories = {
      Make({}),
      Make({{S::RotaryLeft, 0}, {S::RotaryRight, 3}}),  // a pairing on the right alone
      Make({{S::RotaryLeft, 4}, {S::RotaryRight, 0}}),
      Make({{S::RotaryLeft, 3}, {S::RotaryRight, 4}, {S::PulseWidth, 0}, {S::Led, 65535}}),
      Make({{S::XDeadLow, 6878}, {S::XDeadHigh, 6879}, {S::YDeadLow, 65535}, {S::XCurve, 255}}),
  };
  std::mt19937 random(20261207);
  for (int i = 0; i < 2000; ++i) {
    Settings s;
    for (SettingId id : board::AllSettings())
      board::Store(s, id, static_cast<int>(random() % (board::StoredMax(id) + 1)));
    memories.push_back(s);
  }
  for (const Settings& held : memories) {
    Bench b;
    b.load(false);
    for (const auto& f : board::PlanExact(b.board->readBack().settings, held).frames)
      b.boards.firmware(0).setSetting(f.code, f.value);
    const board::ReadBackResult read = b.board->readBack();
    ASSERT_EQ(read.settings, held);
    const Memory before = MemoryOf(b.boards);
    const board::ProfileParse p =
        board::ParseProfile(board::ProfileText({read.settings, {"TVX \"01\"\\ é", "", {}}}));
    ASSERT_TRUE(p.profile) << p.error.text().toStdString();

    b.boards.firmware(0).factoryReset();
    b.boards.clearLog();
    const auto outcome =
        board::ApplySettings(*b.board, b.board->readBack().settings, p.profile->settings);
    EXPECT_TRUE(outcome.succeeded());
    ASSERT_EQ(MemoryOf(b.boards), before);
    const auto frames = b.boards.sentTo(0);
    for (std::size_t k = 1; k < frames.size(); ++k)
      ASSERT_GE(frames[k].timeUs - frames[k - 1].timeUs, 10000) << "frame " << k;
  }
}

// An unplug before each call of an apply: what it says reached the board
// did, nothing else changed, and only an uncut apply counts as done.
TEST(Profile, UnplugAtEveryPointOfAnApplyIsReportedTruly) {
  const Settings wanted =
      Make({{S::ClutchBite, 4242}, {S::RotaryLeft, 4}, {S::RotaryRight, 4}, {S::XDeadLow, 1310}});
  for (int cut = 1;; ++cut) {
    SCOPED_TRACE(cut);
    Bench b;
    b.load(false);
    const Settings before = b.board->readBack().settings;
    int calls = 0;
    b.platform.before = [&](Call, hid::Handle) {
      if (++calls == cut) b.boards.unplug(0);
      return false;
    };
    const auto outcome = board::ApplySettings(*b.board, before, wanted);
    b.board->close();
    if (calls >= cut) b.boards.plug(0);
    b.platform.before = {};
    ASSERT_TRUE(b.board->open("TVX0001"));
    const Settings now = b.board->readBack().settings;
    const auto has = [](const auto& ids, SettingId id) { return std::ranges::count(ids, id) > 0; };
    for (SettingId id : board::AllSettings()) {
      if (has(outcome.sent.partly, id)) continue;  // said to hold neither for sure
      const bool reached = has(outcome.sent.reached, id);
      EXPECT_EQ(board::StoredValue(now, id), board::StoredValue(reached ? wanted : before, id))
          << board::SettingName(id).toStdString();
    }
    // Done means all of it is there; only a cut apply may be not done.
    EXPECT_TRUE(outcome.succeeded() ? now == wanted : calls >= cut);
    if (calls < cut) break;  // the apply ended before the cut
  }
}

// Another program holds board TVX0001 from the start and lets go during the
// wait's sleep that ends at `releaseMs` (0: never). The apply changes a dead
// zone (two frames, each with the board's 20 ms) and reads it back.
TEST(Lock, ApplyWaitsTellsAfterASecondGivesUpAfterThirtyAndKeepsTheBoard) {
  // When the other lets go (0: never), what the apply told, the frames with
  // their ms since it began, and how long it took.
  const std::tuple<int, std::string, std::string, int> cases[] = {
      {200, "", "1/54:80@210 1/55:01@230", 350},
      {1500, "waiting over ", "1/54:80@1510 1/55:01@1530", 1650},
      {0, "waiting gave-up ", "", 30020}};
  for (const auto& [releaseMs, told, wire, ms] : cases) {
    SCOPED_TRACE(releaseMs);
    Bench b;
    b.load();
    const Settings current = b.board->readBack().settings;
    Settings wanted = current;
    wanted.xDeadLow = 0x0180;
    board::BoardLock other;
    ASSERT_EQ(other.tryTake("TVX0001"), Take::Held);
    const std::int64_t t0 = b.ms();
    bool released = false, taken = false;
    // The other lets go during the wait's sleep that ends at releaseMs; the
    // board must not be free between two steps of the apply after that.
    b.platform.before = [&](Call call, hid::Handle) {
      const std::int64_t endsMs = b.ms() - t0 + board::Board::kLockRetryMs;
      if (call != Call::Sleep) return false;
      if (!released && endsMs == releaseMs) {
        other.release();
        released = true;
      } else if (released && other.tryTake("TVX0001") == Take::Held) {
        taken = true;
        other.release();
      }
      return false;
    };
    std::string saidTold;
    b.board->setLockWaitNotice([&](board::LockWait wait, const QString& serial) {
      saidTold +=
          std::array{"waiting", "over", "gave-up"}[static_cast<int>(wait)] + std::string(" ");
      EXPECT_EQ(serial, "TVX0001");
    });
    const board::ApplyOutcome out = board::ApplySettings(*b.board, current, wanted);
    EXPECT_EQ(std::tuple(b.wire(t0), saidTold, b.ms() - t0, taken, out.succeeded(), out.lockedOut),
              std::tuple(wire, told, ms, false, releaseMs > 0, releaseMs == 0));
    other.release();
    EXPECT_EQ(other.tryTake("TVX0001"), Take::Held);  // the apply let go of the board
  }
}

TEST(ProfileStore, NamesBackupsAndCopies) {
  QTemporaryDir dir;
  const board::ProfileStore store(dir.path() + "/profiles");
  const board::Profile p{Make({{S::Led, 200}}), {"TVX/1", "Torvex Wheel", {}}};
  const QDateTime t0(QDate(2026, 12, 7), QTime(10, 0, 0));
  const auto backup = [&](const QDateTime& when, QString* problem = nullptr) {
    board::Profile b = p;
    b.origin.saved = when;
    return store.saveBackup(b, when, problem);
  };
  // Eleven in one second: never over each other, listed in the order taken.
  QStringList taken;
  for (int i = 0; i < 11; ++i) taken << backup(t0);
  EXPECT_EQ(store.names(), taken.mid(1));
  EXPECT_EQ(taken.last(), store.BackupName("TVX/1", t0) + "-11");

  // A clock that ran ahead: the backup saved now is kept, and of the future
  // ones the oldest by the time it records goes (the first name is the
  // newest: its stamp is local time twelve hours behind UTC).
  QStringList ahead;
  const QDateTime future = t0.addYears(4);
  ahead << backup(QDateTime(future.date(), future.time(), Qt::OffsetFromUTC, -12 * 3600));
  for (int i = 1; i < 10; ++i) ahead << backup(future.addSecs(i));
  const QString now = backup(t0.addDays(1));
  ahead.removeAt(1);
  EXPECT_EQ(store.names(), QStringList{now} + ahead);

  // A file that does not read back as the board is no backup.
  board::Profile huge = p;
  huge.origin.product.fill(u'x', board::kProfileMaxBytes);
  QString problem;
  EXPECT_EQ(store.saveBackup(huge, t0, &problem), "");
  EXPECT_THAT(problem.toStdString(), testing::HasSubstr("too large"));
  QFile links(store.directory() + "/links.toml");  // the game links, no profile
  ASSERT_TRUE(links.open(QIODevice::WriteOnly));
  EXPECT_EQ(store.names().size(), 10);

  EXPECT_EQ(store.save("a/b", p), "a name cannot hold '/', '\\' or control characters");
  EXPECT_EQ(store.save("links", p), "\"links\" is kept for the game links");
  EXPECT_EQ(store.save("gt3 spa", p), "");
  EXPECT_THAT(store.exportTo("gt3 spa", dir.path() + "/no/shared.toml").toStdString(),
              testing::HasSubstr("does not exist"));
  EXPECT_FALSE(QFileInfo::exists(dir.path() + "/no"));
  EXPECT_EQ(store.exportTo("gt3 spa", dir.path() + "/shared.toml"), "");
  EXPECT_EQ(store.importFile(dir.path() + "/shared.toml", "copy"), "");
  EXPECT_EQ(store.read("copy").profile->settings, p.settings);
}

}  // namespace
}  // namespace torvex::test
