// The channel on a real socket in a fresh runtime directory per test, with
// the real window on emulated boards at the other end.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QComboBox>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <barrier>
#include <thread>

#include "cli/CliRig.h"
#include "notify/NoticeServer.h"
#include "support/Rig.h"

namespace torvex::test {
namespace {

bool WaitUntil(const std::function<bool()>& done, int ms = 2000) {
  for (QDeadlineTimer deadline(ms); !done(); QTest::qWait(5))
    if (deadline.hasExpired()) return false;
  return true;
}

struct Channel : ::testing::Test {
  QTemporaryDir runtime;  // never the user's: a real window is never touched
  void SetUp() override { qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit()); }
};

// Board TVX0001 shown, its master clutch changed behind the window's back.
struct ShownBoard {
  Rig rig;
  notify::NoticeServer server;
  ShownBoard() {
    rig.loadConnected();
    EXPECT_TRUE(server.claim());
    rig.form().followNotices(server);
    rig.platform.firmware(0).setSetting(0x48, 1);
  }
  int clutch() { return rig.ui().masterClutchList->currentIndex(); }
  int traffic() { return int(rig.platform.featureLog().size()); }
};

std::unique_ptr<QLocalSocket> Client(const QByteArray& bytes) {
  auto s = std::make_unique<QLocalSocket>();
  s->connectToServer(notify::ChannelPath());
  s->write(bytes);
  return s;
}

TEST_F(Channel, WindowRereadsOnlyTheBoardItShows) {
  for (const auto& [serial, rereads] :
       {std::pair{"TVX0001", true}, {"", true}, {"TVX0002", false}, {"TVX 0002", true}}) {
    SCOPED_TRACE(serial);
    ShownBoard w;
    EXPECT_TRUE(notify::Send(notify::BoardChangedNotice(serial)));
    if (!rereads) QTest::qWait(300);
    EXPECT_EQ(WaitUntil([&] { return w.clutch() == 1; }, 1000), rereads);
    EXPECT_EQ(w.traffic() > 0, rereads);
  }
}

TEST_F(Channel, BurstOfNoticesGivesOneReread) {
  ShownBoard w;
  w.rig.form().readBackBoard();
  const int oneReread = w.traffic();
  ASSERT_GT(oneReread, 0);
  w.rig.platform.clearLog();
  std::vector<std::unique_ptr<QLocalSocket>> burst;
  for (int i = 0; i < 5; ++i) burst.push_back(Client("changed TVX0001\n"));
  QTest::qWait(500);
  EXPECT_EQ(w.traffic(), oneReread);
}

TEST_F(Channel, HostileClientsLeaveTheWindowAsItWas) {
  const struct {
    const char* name;
    QByteArray bytes;
    int clients;
    int closedWithinMs;  // a line is judged at once; silence waits for the line timeout
  } cases[] = {
      {"garbage", QByteArray("\0\xff\x13zz\n", 6), 1, 500},
      {"oversized", "changed " + QByteArray(400, 'A') + "\n", 1, 500},
      {"no newline, then silence", "changed TVX0001", 1, 2000},
      {"flood", "", 50, 2000},
      {"settings", "set master-clutch=right led=50\n", 1, 500},
      {"settings after a serial", "changed TVX0001 master-clutch=right\n", 1, 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ShownBoard w;
    std::vector<std::unique_ptr<QLocalSocket>> clients;
    for (int i = 0; i < c.clients; ++i) clients.push_back(Client(c.bytes));
    QTest::qWait(50);
    EXPECT_LE(w.server.connectionCount(), notify::NoticeServer::kMaxConnections);
    for (auto& s : clients) {
      EXPECT_TRUE(WaitUntil([&] { return s->state() == QLocalSocket::UnconnectedState; },
                            c.closedWithinMs));
      EXPECT_EQ(s->readAll(), "");
    }
    EXPECT_TRUE(notify::Send(notify::RaiseNotice()));
    QTest::qWait(200);
    EXPECT_EQ(w.traffic(), 0);
    EXPECT_EQ(w.clutch(), 0);
  }
}

TEST_F(Channel, RaiseBringsTheWindowBack) {
  ShownBoard w;
  w.rig.form().showMinimized();
  EXPECT_TRUE(notify::Send(notify::RaiseNotice()));
  EXPECT_TRUE(WaitUntil([&] { return !w.rig.form().isMinimized(); }));
}

TEST_F(Channel, SenderSaysWhetherAWindowTookTheNotice) {
  EXPECT_FALSE(notify::Send(notify::RaiseNotice()));  // nobody listens
  QLocalServer mute;
  ASSERT_TRUE(mute.listen(notify::ChannelPath()));
  EXPECT_FALSE(notify::Send(notify::RaiseNotice(), 300));
  mute.close();
  notify::NoticeServer window;
  ASSERT_TRUE(window.claim());
  EXPECT_TRUE(notify::Send(notify::RaiseNotice()));
}

TEST_F(Channel, ClaimReplacesAStaleSocketButNotALiveOne) {
  // What a crashed window leaves: a bound socket file nobody listens on.
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  qstrncpy(address.sun_path, notify::ChannelPath().toLocal8Bit(), sizeof address.sun_path);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  notify::NoticeServer first, second;
  EXPECT_TRUE(first.claim());
  EXPECT_FALSE(second.claim());
  EXPECT_TRUE(notify::Send(notify::RaiseNotice()));
  EXPECT_EQ(QFile::permissions(notify::ChannelPath()) & 0x0077, 0);  // no group, no others
}

TEST_F(Channel, OfTwoWindowsStartingTogetherOneOwnsTheChannel) {
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
    a.join();
    b.join();
    ASSERT_EQ(owners, 1) << "round " << round;
  }
}

TEST_F(Channel, CommandLineTellsAfterChangingABoard) {
  for (const auto& [args, tells] : {std::pair{"set led=50", true},
                                    {"set led=50 --dry-run", false},
                                    {"set led=50 failing", true},
                                    {"show", false},
                                    {"reset --yes", true},
                                    {"calibrate y --yes", true}}) {
    SCOPED_TRACE(args);
    CliRig rig;
    QStringList words = QString(args).split(' ');
    if (words.removeAll("failing"))
      rig.platform.before = [](Call c, auto) { return c == Call::SetFeature; };
    QStringList told;
    QTextStream o(&rig.out), e(&rig.err);
    cli::Io io{o, e};
    io.boardChanged = [&](const QString& serial) { told << serial; };
    cli::Run(words, rig.platform, io);
    EXPECT_EQ(told, tells ? QStringList{"TVXA"} : QStringList{});
  }
}

}  // namespace
}  // namespace torvex::test
