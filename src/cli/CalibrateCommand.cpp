// SPDX-License-Identifier: MIT
// torvex-ctl calibrate x|y: the board measures the paddle itself when it takes
// an end, so each end is sent only once the paddle rests there, the high end
// only far enough from the low one.
#include <QLocale>

#include "board/PaddleRest.h"
#include "board/Settings.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

using board::PaddleRest;

constexpr int kPollMs = 50;
constexpr int kEndLimitSeconds = 30;
// The board reports the low end anew once it has taken it (its scale moved):
// the travel counts from that report.
constexpr int kRescalePauseMs = 100;

QString Where(board::AxisFields at, PaddleRest::Watch watch) {
  const auto percent = [](int v) { return board::AxisPercentText(v, QLocale::c()); };
  if (watch == PaddleRest::Watch::X) return "X " + percent(at.x);
  if (watch == PaddleRest::Watch::Y) return "Y " + percent(at.y);
  return "X " + percent(at.x) + ", Y " + percent(at.y);
}

// Step messages go out at once: the user acts on each while the command waits.
void Say(Context& c, const QString& line) {
  c.io.err << line << '\n';
  c.io.err.flush();
}

enum class Wait { Settled, Stopped, TimedOut, Lost };

struct Session {
  Context& c;
  board::Board& b;
  PaddleRest rest;
  PaddleRest::Watch watch;
  std::int64_t nowMs = 0;  // the pauses so far

  // Drains the input queue into the judge; false when the board is gone.
  bool poll() {
    const board::InputPoll input = b.readInput();
    for (const board::InputState& s : input.reports) rest.feed(nowMs, {s.x, s.y});
    return !input.gone;
  }
  void pause(int ms) {
    b.pause(ms);
    nowMs += ms;
  }

  Wait waitForRest() {
    const std::int64_t until = nowMs + kEndLimitSeconds * 1000;
    bool askedToMove = false;
    const Wait why = [&] {
      while (true) {
        if (!poll()) return Wait::Lost;
        if (c.io.stop && *c.io.stop) return Wait::Stopped;
        const PaddleRest::State state = rest.state(nowMs);
        if (state == PaddleRest::State::Settled) return Wait::Settled;
        if (nowMs >= until) return Wait::TimedOut;
        if (state == PaddleRest::State::Unknown && !askedToMove) {
          Say(c, "The board has not said where the paddle is: move it a little and let it go.");
          askedToMove = true;
        }
        if (c.io.outIsTerminal && rest.last()) {
          c.io.out << "\r\033[K" << Where(*rest.last(), watch);
          c.io.out.flush();
        }
        pause(kPollMs);
      }
    }();
    if (c.io.outIsTerminal) c.io.out << "\r\033[K";
    c.io.out.flush();
    return why;
  }

  // Why an end was not taken, and what the board holds.
  int fail(Wait why, bool lowTaken) {
    const QString holds = lowTaken ? QStringLiteral("the low end is taken, the high end not")
                                   : QStringLiteral("nothing sent");
    if (why == Wait::Lost)
      return Fail(c, kNotTaken,
                  "board " + c.boardSerial + " was lost during the calibration: " + holds);
    if (why == Wait::Stopped) return Fail(c, lowTaken ? kNotTaken : kUsage, "stopped: " + holds);
    QString reason;
    switch (rest.state(nowMs)) {
      case PaddleRest::State::Unknown:
        reason = QStringLiteral("the board reported no paddle position");
        break;
      case PaddleRest::State::TooClose:
        reason = QStringLiteral(
                     "the paddle did not settle far enough from where the low end was taken "
                     "(at least %1 % of the range)")
                     .arg(PaddleRest::kMinTravelPercent);
        break;
      default:
        reason = QStringLiteral("the paddle did not hold still");
        break;
    }
    return Fail(
        c, kNotTaken,
        QStringLiteral("%1 within %2 s: %3").arg(reason, QString::number(kEndLimitSeconds), holds));
  }

  // kDone, or the exit code after saying that the board did not take the end.
  int send(protocol::CalibrationStep step, bool high) {
    const int refusedBefore = b.refusedFrames();
    c.changedBoard = true;
    b.sendCalibration(step);
    if (b.isLoaded() && b.refusedFrames() == refusedBefore) return kDone;
    if (b.lockedOut()) return FailLockedOut(c);
    return Fail(c, kNotTaken,
                "board " + c.boardSerial + " did not take the " + (high ? "high" : "low") + " end" +
                    (high ? ": the low end is taken, the high end not" : ""));
  }
};

}  // namespace

QString CalibrateDetails() {
  return QStringLiteral(
             "The board measures the paddle itself when it takes an end, so each end is\n"
             "taken once the paddle has held still (within 1 %) for half a second: first\n"
             "released, then fully pulled, at least %1 % of the range from the low end.\n"
             "Each end is waited for at most %2 s. On a terminal the command asks once\n"
             "to begin; --yes starts at once without asking (needed without a terminal)\n"
             "and still waits for the paddle. In dual clutch mode both axes are watched.\n\n"
             "Exit 4 when an end was not taken or the board was lost (with the low end\n"
             "taken alone, calibrate again); 64 when stopped, or input ended, before\n"
             "anything was sent.\n")
      .arg(PaddleRest::kMinTravelPercent)
      .arg(kEndLimitSeconds);
}

int RunCalibrate(Context& c) {
  const QString axis = c.operands.size() == 1 ? c.operands.front().toLower() : QString();
  if (axis != "x" && axis != "y") return Fail(c, kUsage, "calibrate needs one axis: x or y");
  const bool onX = axis == "x";
  const bool yes = c.parser.isSet("yes");
  // A script must say --yes: an answer read from a pipe is not a person's.
  if (!yes && !c.io.inIsTerminal)
    return Fail(c, kUsage, "calibrate asks to begin on a terminal; pass --yes to start at once");
  board::Board b(c.platform);
  board::ReadBackResult read;
  if (const int code = OpenBoard(c, b, &read); code != kDone) return code;
  if (onX && !board::CanCalibrateX(read.settings.analogInputMode))
    return Fail(c, kUsage, QString::fromLatin1(board::kCalibrateXRefusal));

  const QString name = axis.toUpper();
  const QString intro = "Calibrating axis " + name + " of board " + c.boardSerial + ".";
  if (yes) {
    Say(c, intro);
  } else if (!Ask(c, intro + " Press Enter to begin. ")) {
    c.io.err << '\n';
    return Fail(c, kUsage, "input ended: nothing sent");
  }

  const auto watch = read.settings.analogInputMode != board::kThrottleAndBrake
                         ? PaddleRest::Watch::Both
                         : (onX ? PaddleRest::Watch::X : PaddleRest::Watch::Y);
  Session s{c, b, PaddleRest(watch), watch};
  Say(c, "Release the paddle completely and hold it still.");
  if (const Wait w = s.waitForRest(); w != Wait::Settled) return s.fail(w, false);
  const board::AxisFields low = *s.rest.last();
  if (const int code =
          s.send(onX ? protocol::CalibrationStep::XLow : protocol::CalibrationStep::YLow, false);
      code != kDone)
    return code;
  Say(c, "Low end taken at " + Where(low, watch) + ".");

  s.pause(kRescalePauseMs);
  if (!s.poll()) return s.fail(Wait::Lost, true);
  s.rest.needTravelFrom(*s.rest.last());
  Say(c, QStringLiteral("Pull the paddle all the way and hold it still (at least %1 % from the "
                        "low end).")
             .arg(PaddleRest::kMinTravelPercent));
  if (const Wait w = s.waitForRest(); w != Wait::Settled) return s.fail(w, true);
  const board::AxisFields high = *s.rest.last();
  if (const int code =
          s.send(onX ? protocol::CalibrationStep::XHigh : protocol::CalibrationStep::YHigh, true);
      code != kDone)
    return code;
  Say(c, "High end taken at " + Where(high, watch) + ".");
  Say(c, "Axis " + name + " calibrated.");
  return kDone;
}

}  // namespace torvex::cli
