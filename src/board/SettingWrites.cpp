// SPDX-License-Identifier: MIT
#include "board/SettingWrites.h"

#include <algorithm>

namespace torvex::board {
namespace code = protocol::code;
using Pacing = FrameWrite::Pacing;

namespace {

struct Address {
  std::uint8_t code;
  bool word;
  Pacing pacing;
};

Address AddressOf(SettingId id) {
  switch (id) {
    case SettingId::AnalogMode:
      return {code::SetAnalogInputMode, false, Pacing::Setting};
    case SettingId::MasterClutch:
      return {code::SetMasterClutchMode, false, Pacing::Setting};
    case SettingId::ClutchBite:
      return {code::SetClutchBiteLsb, true, Pacing::Setting};
    case SettingId::RotaryLeft:
      return {code::SetRotarySwitchLeftMode, false, Pacing::Setting};
    case SettingId::RotaryRight:
      return {code::SetRotarySwitchRightMode, false, Pacing::Setting};
    case SettingId::PulseWidth:
      return {code::SetEncoderPulseWidth, false, Pacing::PulseWidth};
    case SettingId::Led:
      return {code::SetLedIntensityLsb, true, Pacing::Setting};
    case SettingId::XCurve:
      return {code::SetXCurveType, false, Pacing::Setting};
    case SettingId::YCurve:
      return {code::SetYCurveType, false, Pacing::Setting};
    case SettingId::XCurveNumber:
      return {code::SetXCurveNumber, false, Pacing::Setting};
    case SettingId::YCurveNumber:
      return {code::SetYCurveNumber, false, Pacing::Setting};
    case SettingId::XDeadLow:
      return {code::SetXDeadLowLsb, true, Pacing::DeadZone};
    case SettingId::XDeadHigh:
      return {code::SetXDeadHighLsb, true, Pacing::DeadZone};
    case SettingId::YDeadLow:
      return {code::SetYDeadLowLsb, true, Pacing::DeadZone};
    case SettingId::YDeadHigh:
      return {code::SetYDeadHighLsb, true, Pacing::DeadZone};
  }
  return {};
}

class Planner {
 public:
  explicit Planner(const Settings& current) { plan_.expected = current; }

  void change(SettingId id, int value) {
    if (StoredValue(plan_.expected, id) == value) return;
    if (id == SettingId::RotaryLeft) return rotaryLeft(value);
    if (id == SettingId::RotaryRight) return rotaryRight(value);
    const Address a = AddressOf(id);
    send(id, a.code, value & 0xFF, a.pacing);
    if (a.word) send(id, a.code + 1, value >> 8, a.pacing);
    Store(plan_.expected, id, value);
  }

  // The stored bytes as they are, outside the window's rules.
  void exact(SettingId id, int value) {
    if (StoredValue(plan_.expected, id) == value) return;
    const Address a = AddressOf(id);
    send(id, a.code, value & 0xFF, a.pacing);
    if (a.word) send(id, a.code + 1, value >> 8, a.pacing);
    Store(plan_.expected, id, value);
  }

  const Settings& expected() const { return plan_.expected; }
  WritePlan take() { return std::move(plan_); }

 private:
  // The window's sequences, handlers running inside handlers included: a
  // pairing picked on one side sends both sides twice when the other side
  // moves, once when it already showed the pairing.
  void rotaryLeft(int v) {
    const int right = plan_.expected.rotaryRight;
    left(v);
    if (IsRotaryPairing(v)) {
      if (right != v) {
        this->right(v);
        left(v);
      }
      this->right(v);
    } else if (IsRotaryPairing(right)) {
      this->right(0);
      this->right(0);
    }
  }

  void rotaryRight(int v) {
    const int left = plan_.expected.rotaryLeft;
    if (IsRotaryPairing(left) && v != left) {
      plan_.refusal = QStringLiteral(
                          "rotary-right follows rotary-left while the left input is "
                          "paired (%1); change rotary-left instead")
                          .arg(SettingWord(SettingId::RotaryLeft, left));
      return;
    }
    right(v);
    if (IsRotaryPairing(v)) {
      if (left != v) {
        this->left(v);
        right(v);
      }
      this->left(v);
    }
  }

  void left(int v) {
    send(SettingId::RotaryLeft, code::SetRotarySwitchLeftMode, v, Pacing::Setting);
    Store(plan_.expected, SettingId::RotaryLeft, v);
  }
  void right(int v) {
    send(SettingId::RotaryRight, code::SetRotarySwitchRightMode, v, Pacing::Setting);
    Store(plan_.expected, SettingId::RotaryRight, v);
  }

  void send(SettingId id, int c, int value, Pacing pacing) {
    plan_.frames.push_back(
        {id, pacing, static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(value)});
    if (std::find(plan_.touched.begin(), plan_.touched.end(), id) == plan_.touched.end())
      plan_.touched.push_back(id);
  }

  WritePlan plan_;
};

}  // namespace

WritePlan PlanWrites(const Settings& current, std::vector<SettingChange> changes) {
  std::stable_sort(changes.begin(), changes.end(),
                   [](const SettingChange& a, const SettingChange& b) { return a.id < b.id; });
  Planner planner(current);
  for (const SettingChange& c : changes) planner.change(c.id, c.stored);
  WritePlan plan = planner.take();
  if (!plan.refusal.isEmpty()) {
    plan.frames.clear();
    plan.touched.clear();
    plan.expected = current;
  }
  return plan;
}

WritePlan PlanExact(const Settings& current, const Settings& wanted) {
  // The window's sequences first: they keep a board's rotary inputs paired
  // on the way, as the board expects them to change.
  Planner window(current);
  for (SettingId id : AllSettings()) window.change(id, StoredValue(wanted, id));
  if (window.expected() == wanted) {
    WritePlan plan = window.take();
    if (plan.refusal.isEmpty()) return plan;
  }
  // A state the window cannot reach: the rotary inputs byte for byte.
  Planner planner(current);
  for (SettingId id : AllSettings()) {
    const int value = StoredValue(wanted, id);
    if (id == SettingId::RotaryLeft || id == SettingId::RotaryRight)
      planner.exact(id, value);
    else
      planner.change(id, value);
  }
  return planner.take();
}

std::optional<protocol::Bytes> FrameBytes(const FrameWrite& w, std::size_t featureLength) {
  if (w.pacing == Pacing::PulseWidth)
    return protocol::BuildPulseWidthReport(featureLength, w.value);
  return protocol::BuildSettingCommand(featureLength, w.code, w.value);
}

WriteOutcome SendWrites(Board& board, const std::vector<FrameWrite>& frames,
                        const WriteProgress& progress) {
  WriteOutcome outcome;
  std::size_t sent = 0;
  for (; sent < frames.size(); ++sent) {
    const FrameWrite& w = frames[sent];
    const int refusedBefore = board.refusedFrames();
    if (!board.isLoaded() || !FrameBytes(w, board.featureLength())) break;
    switch (w.pacing) {
      case Pacing::Setting:
        board.writeSetting(w.code, w.value);
        break;
      case Pacing::DeadZone:
        board.writeSetting(w.code, w.value);
        board.pause(10);
        break;
      case Pacing::PulseWidth:
        // Alone it needs no pause; in a batch the next frame still waits.
        board.sendPulseWidth(w.value);
        board.pause(10);
        break;
    }
    if (board.refusedFrames() != refusedBefore) break;
    if (progress) progress(sent + 1, frames.size());
  }
  if (sent < frames.size()) outcome.failed = frames[sent].owner;
  // A setting has reached the board when every one of its frames was taken.
  std::vector<SettingId> seen;
  for (const FrameWrite& f : frames) {
    if (std::find(seen.begin(), seen.end(), f.owner) != seen.end()) continue;
    seen.push_back(f.owner);
    const auto mine = [&f](const FrameWrite& g) { return g.owner == f.owner; };
    const auto taken =
        std::count_if(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(sent), mine);
    const auto all = std::count_if(frames.begin(), frames.end(), mine);
    (taken == all ? outcome.reached
     : taken > 0  ? outcome.partly
                  : outcome.notSent)
        .push_back(f.owner);
  }
  return outcome;
}

std::vector<SettingId> NotTaken(const WritePlan& plan, const Settings& readBack) {
  std::vector<SettingId> missing;
  for (SettingId id : plan.touched)
    if (StoredValue(readBack, id) != StoredValue(plan.expected, id)) missing.push_back(id);
  return missing;
}

std::vector<SettingChange> ChangesTo(const Settings& wanted) {
  std::vector<SettingChange> changes;
  for (SettingId id : AllSettings()) changes.push_back({id, StoredValue(wanted, id)});
  return changes;
}

std::vector<SettingId> Differences(const Settings& a, const Settings& b) {
  std::vector<SettingId> ids;
  for (SettingId id : AllSettings())
    if (StoredValue(a, id) != StoredValue(b, id)) ids.push_back(id);
  return ids;
}

ApplyOutcome ApplyPlan(Board& board, const WritePlan& plan, const WriteProgress& progress,
                       const std::function<ReadBackResult()>& readBack) {
  ApplyOutcome out;
  out.plan = plan;
  if (!plan.refusal.isEmpty() || plan.frames.empty()) return out;
  // No other program's frames or reads between the first frame and the check.
  const Board::WriteHold hold = board.holdWrites();
  out.lockedOut = hold.refused();
  out.sent = SendWrites(board, plan.frames, progress);
  if (!out.sent.complete()) return out;
  const ReadBackResult after = readBack ? readBack() : board.readBack();
  out.readBackComplete = after.complete();
  out.readBack = after.settings;
  if (out.readBackComplete) out.notTaken = NotTaken(plan, after.settings);
  return out;
}

ApplyOutcome ApplySettings(Board& board, const Settings& current, const Settings& wanted,
                           const WriteProgress& progress,
                           const std::function<ReadBackResult()>& readBack) {
  return ApplyPlan(board, PlanExact(current, wanted), progress, readBack);
}

}  // namespace torvex::board
