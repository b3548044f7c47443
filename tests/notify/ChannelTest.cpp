// SPDX-License-Identifier: MIT
// The channel on a real socket in a fresh runtime directory per test, with
// the real window on an emulated board at the other end.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <barrier>
#include <list>
#include <thread>

#include "notify/NoticeServer.h"
#include "support/Rig.h"

namespace torvex::test {
namespace {

struct Channel : ::testing::Test {
  QTemporaryDir runtime;  // never the user's: a real window is never touched
  Channel() { qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit()); }
};

// A burst about the board it shows, or about some board, is read back once;
// another board's is left alone. Hostile clients, ten at once (more than it
// serves), are dropped unanswered, a line judged at once, silence at the line
// timeout; the window is left as it was and still answers after them.
TEST_F(Channel, TheWindowRereadsOnceForABurstAboutItsBoardAndDropsHostileClients) {
  Rig rig;
  rig.loadConnected();
  notify::NoticeServer server;
  ASSERT_TRUE(server.claim());
  rig.form().followNotices(server);
  const QComboBox* clutch = rig.ui().masterClutchList;
  const auto& log = rig.platform.featureLog();
  // clang-format off
  const std::tuple<QByteArray, int, bool> cases[] = {
      {notify::BoardChangedNotice("TVX0002"), 3, false}, {notify::BoardChangedNotice(""), 3, true},
      {notify::BoardChangedNotice("TVX 0002"), 3, true}, {QByteArray("\0\xff\x13zz\n", 6), 10, false},
      {"changed " + QByteArray(400, 'A') + "\n", 10, false}, {"changed TVX0001", 10, false},
      {"set master-clutch=right led=50\n", 10, false}, {"changed TVX0001 master-clutch=right\n", 10, false},
      {notify::BoardChangedNotice("TVX0001"), 3, true}};  // still answered after them all
  // clang-format on
  for (const auto& [bytes, count, rereads] : cases) {
    SCOPED_TRACE(bytes.left(30).toStdString());
    const int before = clutch->currentIndex();
    rig.platform.firmware(0).setSetting(0x48, 1 - before);  // master clutch, behind its back
    rig.platform.clearLog();
    std::list<QLocalSocket> clients(count);  // each writes at once, not waiting for an answer
    for (auto& s : clients) s.connectToServer(notify::ChannelPath()), s.write(bytes);
    QTest::qWait(50);
    EXPECT_LE(server.connectionCount(), notify::NoticeServer::kMaxConnections);
    for (auto& s : clients) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return s.state() == QLocalSocket::UnconnectedState; },
                                  bytes.endsWith('\n') ? 500 : 2000));
      EXPECT_EQ(s.readAll(), count == 3 ? "ok\n" : "");
    }
    EXPECT_EQ(
        QTest::qWaitFor([&] { return clutch->currentIndex() != before; }, rereads ? 1000 : 200),
        rereads);
    QTest::qWait(150);
    const std::size_t traffic = log.size();
    rig.form().readBackBoard();  // one re-read's worth
    EXPECT_EQ(traffic, rereads ? log.size() / 2 : 0);
  }
}

TEST_F(Channel, OnlyALiveOwnerKeepsItAndOnlyAnAnswerCounts) {
  const QString path = notify::ChannelPath();
  notify::NoticeServer first, second;
  EXPECT_FALSE(notify::Send(notify::RaiseNotice()));  // nobody listens
  QLocalServer mute;                                  // alive, never answers
  ASSERT_TRUE(mute.listen(path));
  EXPECT_FALSE(notify::Send(notify::RaiseNotice(), 300));
  EXPECT_FALSE(first.claim());
  // What a crashed window leaves: its socket file, nobody listening.
  QFile::rename(path, path + "~");
  mute.close();
  ASSERT_TRUE(QFile::rename(path + "~", path));
  EXPECT_TRUE(first.claim());
  EXPECT_FALSE(second.claim());
  EXPECT_TRUE(notify::Send(notify::RaiseNotice()));
  EXPECT_EQ(QFile::permissions(path) & 0x0077, 0);  // no group, no others
}

TEST_F(Channel, OfTwoWindowsStartingTogetherOneOwnsIt) {
  for (int round = 0; round < 10; ++round) {
    std::atomic<int> owners = 0;
    std::barrier together(2);
    const auto window = [&] {
      notify::NoticeServer server;
      together.arrive_and_wait();
      owners += server.claim();
      together.arrive_and_wait();
    };
    std::thread a(window), b(window);
    a.join(), b.join();
    ASSERT_EQ(owners, 1) << "round " << round;
  }
}

}  // namespace
}  // namespace torvex::test
