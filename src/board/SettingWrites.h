// SPDX-License-Identifier: MIT
#pragma once
// Changing several settings at once as the window would send each change:
// the same frames, in the same order, with the same pauses, keeping the
// rotary pairing rule. Planning is pure; sending goes through the board.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "board/Board.h"
#include "board/SettingNames.h"

namespace torvex::board {

struct SettingChange {
  SettingId id;
  int stored = 0;  // in the board's units (ParseSettingValue)
};

struct FrameWrite {
  enum class Pacing {
    Setting,     // 10 ms after the frame
    DeadZone,    // 20 ms after: the board settles each dead-zone byte
    PulseWidth,  // the pulse width's own report: no pause of its own
  };
  SettingId owner;  // the setting this frame belongs to
  Pacing pacing = Pacing::Setting;
  std::uint8_t code = 0;
  std::uint8_t value = 0;
};

struct WritePlan {
  std::vector<FrameWrite> frames;
  Settings expected;  // what the board holds once every frame is taken
  // Settings the plan changes, in sending order (a pairing partner included).
  std::vector<SettingId> touched;
  // Why the changes cannot be made as asked; nothing is to be sent then.
  QString refusal;
};

// Changes are made in the order of AllSettings(), whatever order they come
// in; a value the board already holds is not sent (the window sends nothing
// when its list or slider does not move). A rotary pairing (IsRotaryPairing)
// set on either side sets the same on the other; the left rotary leaving a
// pairing resets a right one still paired to 0; a right value that would
// break a pairing the left input holds is refused.
WritePlan PlanWrites(const Settings& current, std::vector<SettingChange> changes);

// What makes a board that holds `current` hold exactly `wanted`, every byte,
// whatever it is: the window's sequences where they land on it, and where
// they cannot (a rotary pairing on one input alone, a value no list offers)
// the stored bytes themselves. Nothing is refused.
WritePlan PlanExact(const Settings& current, const Settings& wanted);

// The frame as it goes on the wire for a board with this feature length.
std::optional<protocol::Bytes> FrameBytes(const FrameWrite& w, std::size_t featureLength);

struct WriteOutcome {
  // Settings all of whose frames the board took, in sending order.
  std::vector<SettingId> reached;
  // The setting whose frame was refused, or the board was lost before it.
  std::optional<SettingId> failed;
  // Settings some but not all of whose frames the board took: what they hold
  // now is neither the old value nor the new one for sure.
  std::vector<SettingId> partly;
  // Settings none of whose frames the board took.
  std::vector<SettingId> notSent;
  bool complete() const { return !failed; }
};

// Told after each frame the board took: how many of how many.
using WriteProgress = std::function<void(std::size_t sent, std::size_t total)>;

// Sends the frames with the board's pacing, at least 10 ms between any two of
// them whatever their kind, and stops at the first one the board does not
// take. The board must be loaded.
WriteOutcome SendWrites(Board& board, const std::vector<FrameWrite>& frames,
                        const WriteProgress& progress = {});

// Settings whose read-back value is not the expected one.
std::vector<SettingId> NotTaken(const WritePlan& plan, const Settings& readBack);

// Every setting as a change to the value `wanted` holds.
std::vector<SettingChange> ChangesTo(const Settings& wanted);
// Settings whose stored values differ, in sending order.
std::vector<SettingId> Differences(const Settings& a, const Settings& b);

struct ApplyOutcome {
  WritePlan plan;
  WriteOutcome sent;
  bool readBackComplete = false;  // false too when nothing was sent or read
  Settings readBack;
  std::vector<SettingId> notTaken;  // read back with another value
  // Another program kept writing to the board for 30 s: nothing was sent.
  bool lockedOut = false;
  bool succeeded() const {
    return plan.refusal.isEmpty() && sent.complete() && notTaken.empty() &&
           (readBackComplete || plan.frames.empty());
  }
};

// Sends a plan to a loaded board, then reads it back (through `readBack`, the
// board's own when empty) and verifies it, all under one hold of the board.
// Nothing is sent when the plan is refused; nothing is read when nothing was
// sent.
// ApplySettings makes a board that holds `current` hold exactly `wanted`
// (PlanExact): only the settings that differ, paced as the window sends them.
ApplyOutcome ApplyPlan(Board& board, const WritePlan& plan, const WriteProgress& progress = {},
                       const std::function<ReadBackResult()>& readBack = {});
ApplyOutcome ApplySettings(Board& board, const Settings& current, const Settings& wanted,
                           const WriteProgress& progress = {},
                           const std::function<ReadBackResult()>& readBack = {});

}  // namespace torvex::board
