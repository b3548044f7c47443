// SPDX-License-Identifier: MIT
// torvex-ctl run PROFILE -- COMMAND: a launch wrapper for Steam's launch
// options. The board holds the profile while the command runs and what it
// held before once it ends. The game matters more than the wheel: it starts
// whatever happens to the board or the profile.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "cli/Commands.h"

namespace torvex::cli {
namespace {

volatile sig_atomic_t gChild = 0;

void ForwardSignal(int signal) {
  if (gChild > 0) ::kill(gChild, signal);
}

constexpr int kForwarded[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2};

// Runs the command as a child with every forwarded signal passed on to it;
// its exit status, 128 + N when signal N ended it, 127 when it cannot run.
int RunChild(const QStringList& command, QTextStream& err) {
  std::vector<QByteArray> bytes;
  for (const QString& a : command) bytes.push_back(a.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& b : bytes) argv.push_back(b.data());
  argv.push_back(nullptr);

  err.flush();
  struct sigaction forward {
  }, saved[std::size(kForwarded)];
  forward.sa_handler = ForwardSignal;
  sigemptyset(&forward.sa_mask);
  for (std::size_t i = 0; i < std::size(kForwarded); ++i)
    ::sigaction(kForwarded[i], &forward, &saved[i]);

  // Held back until the child's ID is known: one arriving in between would
  // otherwise find no child to pass it to, and be lost.
  sigset_t forwarded, unblocked;
  sigemptyset(&forwarded);
  for (int s : kForwarded) sigaddset(&forwarded, s);
  ::pthread_sigmask(SIG_BLOCK, &forwarded, &unblocked);

  int status = 0;
  const pid_t child = ::fork();
  if (child == 0) {
    for (int s : kForwarded) ::signal(s, SIG_DFL);
    ::pthread_sigmask(SIG_SETMASK, &unblocked, nullptr);
    ::execvp(argv[0], argv.data());
    const int why = errno;
    const QByteArray text =
        "torvex-ctl: cannot run " + bytes.front() + ": " + std::strerror(why) + "\n";
    (void)!::write(STDERR_FILENO, text.constData(), text.size());
    ::_exit(why == ENOENT ? 127 : 126);
  }
  if (child < 0) {
    err << "torvex-ctl: cannot start " << command.front() << ": " << std::strerror(errno) << '\n';
    status = -1;
  }
  gChild = child;  // the handler passes signals on only to a child that exists
  ::pthread_sigmask(SIG_SETMASK, &unblocked, nullptr);
  while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  gChild = 0;
  for (std::size_t i = 0; i < std::size(kForwarded); ++i)
    ::sigaction(kForwarded[i], &saved[i], nullptr);
  if (status < 0) return 127;
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// Makes the open board hold `wanted`; true when it does.
bool Switch(Context& c, board::Board& b, const board::Settings& current,
            const board::Settings& wanted) {
  const board::ApplyOutcome outcome = board::ApplySettings(b, current, wanted);
  if (!outcome.plan.frames.empty() && c.io.boardChanged) c.io.boardChanged(c.boardSerial);
  return ReportOutcome(c, outcome) == kDone;
}

}  // namespace

QString WrappedDetails() {
  return QStringLiteral(
      "For Steam, set the game's launch options to: torvex-ctl run PROFILE -- %command%\n"
      "The command starts even when there is no board or the profile cannot be applied;\n"
      "torvex-ctl exits with the command's exit status (128 + N after signal N).\n");
}

int RunWrapped(Context& c) {
  if (c.operands.size() < 2)
    return Fail(c, kUsage, QStringLiteral("run takes PROFILE -- COMMAND [ARGS...]"));
  const QString name = c.operands.front();
  const QStringList command = c.operands.mid(1);
  std::optional<board::Settings> before;
  if (const auto profile = ReadProfile(c, name)) {
    board::Board b(c.platform);
    const auto hold = b.holdWrites();  // from the read-back the plan is made of to its check
    board::ReadBackResult read;
    if (OpenBoard(c, b, &read) == kDone) {
      before = read.settings;
      if (Switch(c, b, read.settings, profile->settings))
        c.io.err << "Board " << Printable(c.boardSerial) << " holds " << Printable(name) << ".\n";
    }
  }
  if (!before) c.io.err << "torvex-ctl: starting " << Printable(command.front()) << " anyway.\n";

  const int status = RunChild(command, c.io.err);

  if (before) {
    board::Board b(c.platform);
    const auto hold = b.holdWrites();
    board::ReadBackResult read;
    if (OpenBoard(c, b, &read) == kDone && Switch(c, b, read.settings, *before))
      c.io.err << "Board " << Printable(c.boardSerial) << " holds what it held before.\n";
  }
  return status;
}

}  // namespace torvex::cli
