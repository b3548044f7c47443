// SPDX-License-Identifier: MIT
// torvex-ctl monitor: pressed buttons and both axes until stopped. Nothing is
// sent to the board, so it is left as it was found.
#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>

#include "board/InputReport.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

constexpr int kPollMs = 50;

QList<int> Pressed(const board::InputState& s) {
  QList<int> buttons;
  for (int i = 0; i < board::kButtonBytes * 8; ++i)
    if (s.buttons[i / 8] & (1 << (i % 8))) buttons << i + 1;
  return buttons;
}

QString AxisText(int value) {
  return board::AxisPercentText(value, QLocale::c());
}

QString Line(const board::InputState& s) {
  QStringList numbers;
  for (int b : Pressed(s)) numbers << QString::number(b);
  return QStringLiteral("X %1  Y %2  buttons: %3")
      .arg(AxisText(s.x), AxisText(s.y),
           numbers.isEmpty() ? QStringLiteral("none") : numbers.join(u' '));
}

QJsonObject Json(const board::InputState& s) {
  QJsonArray buttons;
  for (int b : Pressed(s)) buttons.append(b);
  const auto percent = [](int v) { return AxisText(v).chopped(2).toDouble(); };
  return {{"format", kJsonFormat}, {"buttons", buttons}, {"x", percent(s.x)},
          {"x-raw", s.x},          {"y", percent(s.y)},  {"y-raw", s.y}};
}

bool Same(const board::InputState& a, const board::InputState& b) {
  return a.buttons == b.buttons && a.x == b.x && a.y == b.y;
}

}  // namespace

int RunMonitor(Context& c) {
  if (!c.operands.isEmpty()) return Fail(c, kUsage, "monitor takes no operands");
  int ticks = -1;  // until stopped
  if (c.parser.isSet("seconds")) {
    bool ok = false;
    const int seconds = c.parser.value("seconds").toInt(&ok);
    if (!ok || seconds < 1) return Fail(c, kUsage, "--seconds takes a whole number from 1");
    ticks = seconds * (1000 / kPollMs);
  }
  board::Board b(c.platform);
  if (const int code = OpenBoard(c, b, nullptr); code != kDone) return code;
  const bool json = c.parser.isSet("json");
  const bool redraw = c.io.outIsTerminal && !json;

  std::optional<board::InputState> shown;
  for (int tick = 0; ticks < 0 || tick < ticks; ++tick) {
    if (c.io.stop && *c.io.stop) break;
    b.pause(kPollMs);
    const board::InputPoll poll = b.readInput();
    if (poll.gone) {
      if (redraw) c.io.out << '\n';
      return Fail(c, kNotTaken, "board " + c.boardSerial + " was lost");
    }
    if (poll.newest && (!shown || !Same(*poll.newest, *shown))) {
      shown = poll.newest;
      if (json)
        PrintJson(c.io.out, Json(*shown), false);
      else if (!redraw)
        c.io.out << Line(*shown) << '\n';
    }
    // On a terminal the line is redrawn in place on every poll.
    if (redraw && shown) c.io.out << "\r\033[K" << Line(*shown);
    c.io.out.flush();
  }
  if (redraw) c.io.out << '\n';
  return kDone;
}

}  // namespace torvex::cli
