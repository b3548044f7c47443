// SPDX-License-Identifier: MIT
// torvex-ctl calibrate x|y: the window's three steps, each waiting for Enter.
#include "board/Settings.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

// The window pauses after each step on Y.
constexpr int kYPauseMs = 100;

}  // namespace

int RunCalibrate(Context& c) {
  const QString axis = c.operands.size() == 1 ? c.operands.front().toLower() : QString();
  if (axis != "x" && axis != "y") return Fail(c, kUsage, "calibrate needs one axis: x or y");
  const bool onX = axis == "x";
  board::Board b(c.platform);
  board::ReadBackResult read;
  if (const int code = OpenBoard(c, b, &read); code != kDone) return code;
  if (onX && !board::CanCalibrateX(read.settings.analogInputMode))
    return Fail(c, kUsage, QString::fromLatin1(board::kCalibrateXRefusal));

  const bool yes = c.parser.isSet("yes");
  const QString name = axis.toUpper();
  const struct Step {
    QString prompt;
    std::optional<protocol::CalibrationStep> send;
  } steps[] = {
      {"Calibrating axis " + name + " of board " + c.boardSerial + ". Press Enter to begin. ",
       std::nullopt},
      {"Release the paddle completely, then press Enter (Set Low). ",
       onX ? protocol::CalibrationStep::XLow : protocol::CalibrationStep::YLow},
      {"Pull the paddle all the way, then press Enter (Set High). ",
       onX ? protocol::CalibrationStep::XHigh : protocol::CalibrationStep::YHigh},
  };
  bool lowSent = false;
  for (const Step& step : steps) {
    if (!yes && !Ask(c, step.prompt)) {
      c.io.err << '\n';
      return Fail(c, lowSent ? kNotTaken : kUsage,
                  lowSent ? QStringLiteral("input ended: the low end is taken, the high end not")
                          : QStringLiteral("input ended: nothing sent"));
    }
    if (step.send) {
      const int refusedBefore = b.refusedFrames();
      c.changedBoard = true;
      b.sendCalibration(*step.send);
      if (!b.isLoaded() || b.refusedFrames() != refusedBefore)
        return Fail(c, kNotTaken, "board " + c.boardSerial + " was lost during the calibration");
      lowSent = true;
    }
    if (!onX) b.pause(kYPauseMs);
  }
  c.io.err << "Axis " << name << " calibrated.\n";
  return kDone;
}

}  // namespace torvex::cli
