// SPDX-License-Identifier: MIT
// torvex-ctl set NAME=VALUE...: every argument is checked before anything is
// sent; the changes go out as the window sends them and are read back.
#include <QByteArray>

#include "board/Profile.h"
#include "board/SettingWrites.h"
#include "cli/Commands.h"

namespace torvex::cli {
namespace {

using board::SettingId;

}  // namespace

QString Names(const std::vector<SettingId>& ids) {
  QStringList names;
  for (SettingId id : ids) names << board::SettingName(id);
  return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

namespace {

// Every operand as a change; a message naming what is allowed otherwise.
std::optional<std::vector<board::SettingChange>> ParseChanges(Context& c, QString& problem) {
  std::vector<board::SettingChange> changes;
  if (c.operands.isEmpty()) problem = QStringLiteral("set needs at least one NAME=VALUE\n");
  for (const QString& operand : c.operands) {
    const qsizetype eq = operand.indexOf(u'=');
    const auto id = eq > 0 ? board::SettingByName(QStringView(operand).left(eq)) : std::nullopt;
    if (!id) {
      problem += "'" + operand +
                 "' is not NAME=VALUE with a known NAME; names: " + Names(board::AllSettings()) +
                 "\n";
      continue;
    }
    const auto value = board::ParseSettingValue(*id, QStringView(operand).mid(eq + 1));
    if (!value) {
      problem += "'" + operand + "': " + board::SettingName(*id) + " takes " +
                 board::AllowedValues(*id) + "\n";
      continue;
    }
    for (const auto& earlier : changes)
      if (earlier.id == *id) problem += board::SettingName(*id) + " is given twice\n";
    changes.push_back({*id, *value});
  }
  // A pairing on one side sets the other: giving the other side something else contradicts it.
  const board::SettingChange* left = nullptr;
  const board::SettingChange* right = nullptr;
  for (const auto& ch : changes) {
    if (ch.id == SettingId::RotaryLeft) left = &ch;
    if (ch.id == SettingId::RotaryRight) right = &ch;
  }
  if (left && right)
    if (const QString pairing = board::RotaryPairingProblem(left->stored, right->stored);
        !pairing.isEmpty())
      problem += "rotary-left and rotary-right: " + pairing + "\n";
  if (!problem.isEmpty()) return std::nullopt;
  return changes;
}

void PrintValues(Context& c, const std::vector<SettingId>& ids, const board::Settings& s) {
  for (SettingId id : board::AllSettings())
    if (std::find(ids.begin(), ids.end(), id) != ids.end())
      c.io.out << board::SettingName(id) << '=' << board::SettingWord(id, board::StoredValue(s, id))
               << '\n';
}

}  // namespace

QString SetDetails() {
  QString text = QStringLiteral(
      "Settings are sent in the order listed here; a value the board already\n"
      "holds is not sent. A rotary pairing (rotary-left shift-r-encoder or\n"
      "encoder-r-shifted, and the right side's mirror words) sets both inputs, as\n"
      "the window does. Numbers use a dot.\n\nNames and values:\n");
  for (SettingId id : board::AllSettings())
    text += "  " + board::SettingName(id).leftJustified(16) + board::AllowedValues(id) + "\n";
  text += QStringLiteral(
      "\nExample: torvex-ctl set analog-mode=throttle-and-brake clutch-bite=42.5 "
      "pulse-width=64\n");
  return text;
}

int RunSet(Context& c) {
  QString problem;
  const auto changes = ParseChanges(c, problem);
  if (!changes) return Fail(c, kUsage, problem + "See 'torvex-ctl set --help'.");

  board::Board b(c.platform);
  // Read, plan and write as one sequence: what another program writes
  // meanwhile cannot make the plan stale.
  const auto hold = b.holdWrites();
  board::ReadBackResult read;
  if (const int code = OpenBoard(c, b, &read); code != kDone) return code;
  const board::WritePlan plan = board::PlanWrites(read.settings, *changes);
  if (!plan.refusal.isEmpty()) return Fail(c, kUsage, plan.refusal);

  if (c.parser.isSet("dry-run")) {
    for (const auto& w : plan.frames) {
      const auto frame = board::FrameBytes(w, b.featureLength());
      if (!frame) return Fail(c, kNotTaken, "the board's feature report cannot hold a setting");
      c.io.out << QByteArray(reinterpret_cast<const char*>(frame->data()),
                             static_cast<qsizetype>(frame->size()))
                      .toHex(' ')
               << '\n';
    }
    return kDone;
  }

  c.changedBoard = !plan.frames.empty();
  const board::ApplyOutcome outcome = board::ApplyPlan(b, plan);
  if (const int code = ReportOutcome(c, outcome); code != kDone) return code;
  std::vector<SettingId> shown = plan.touched;
  for (const auto& ch : *changes) shown.push_back(ch.id);
  PrintValues(c, shown, plan.frames.empty() ? read.settings : outcome.readBack);
  return kDone;
}

int ReportOutcome(Context& c, const board::ApplyOutcome& outcome) {
  const board::WritePlan& plan = outcome.plan;
  if (!plan.refusal.isEmpty()) return Fail(c, kUsage, plan.refusal);
  if (outcome.lockedOut) return FailLockedOut(c);
  if (!outcome.sent.complete()) {
    const auto& reached = outcome.sent.reached;
    const auto& partly = outcome.sent.partly;
    return Fail(c, kNotTaken,
                "board " + c.boardSerial + " was lost or refused " +
                    board::SettingName(*outcome.sent.failed) +
                    ".\nReached the board: " + Names(reached) +
                    (partly.empty() ? QString() : "\nPartly sent: " + Names(partly)) +
                    "\nNot set: " + Names(outcome.sent.notSent));
  }
  if (plan.frames.empty()) return kDone;
  if (!outcome.readBackComplete)
    return Fail(c, kNotTaken,
                "board " + c.boardSerial +
                    " did not answer the read-back; sent but not verified: " + Names(plan.touched));
  if (!outcome.notTaken.empty()) {
    QString list;
    for (SettingId id : outcome.notTaken)
      list += "  " + board::SettingName(id) + ": asked " +
              board::SettingText(id, board::StoredValue(plan.expected, id)) + ", holds " +
              board::SettingText(id, board::StoredValue(outcome.readBack, id)) + "\n";
    return Fail(c, kNotTaken, "board " + c.boardSerial + " did not take:\n" + list);
  }
  return kDone;
}

}  // namespace torvex::cli
