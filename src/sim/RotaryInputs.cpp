// SPDX-License-Identifier: MIT
#include "sim/RotaryInputs.h"

#include <algorithm>
#include <cstdlib>

namespace torvex::sim {

void RotaryInputs::setModes(std::uint8_t left, std::uint8_t right) {
  const std::array<std::uint8_t, 2> modes = {left, right};
  for (int i = 0; i < 2; ++i) {
    State& s = sides_[i];
    if (s.mode == modes[i]) continue;
    s.mode = modes[i];
    s.activeButton = -1;
    s.pending.clear();
  }
}

bool RotaryInputs::isShift(Side side) const {
  return sides_[side].mode == (side == Left ? PairingThree : PairingFour);
}

bool RotaryInputs::isEncoder(Side side) const {
  const std::uint8_t m = sides_[side].mode;
  return m == Encoder || m == (side == Left ? PairingFour : PairingThree);
}

bool RotaryInputs::shifted(Side side) const {
  const Side partner = side == Left ? Right : Left;
  return sides_[side].mode != Encoder && isEncoder(side) && isShift(partner) &&
         sides_[partner].position != 0;
}

void RotaryInputs::startPulse(State& s, int button, std::int64_t atUs) {
  s.activeButton = button;
  s.activeEndUs = atUs + pulseUs_;
}

void RotaryInputs::turn(Side side, int detents, std::int64_t nowUs) {
  runUntil(nowUs);
  if (detents == 0) return;
  State& s = sides_[side];
  const int step = detents > 0 ? 1 : -1;
  const int first = kFirstButton[side];
  for (int i = 0; i < std::abs(detents); ++i) {
    s.position = (s.position + step + kPositions) % kPositions;
    if (isEncoder(side) && s.pending.size() < kMaxPending)
      s.pending.push_back(first + (step > 0 ? 0 : 1) + (shifted(side) ? 2 : 0));
  }
  if (s.mode == TwelveWayPulsed) {
    // A new position cuts the previous pulse short.
    startPulse(s, first + s.position, nowUs);
  } else if (s.activeButton < 0 && !s.pending.empty() && s.nextStartUs <= nowUs) {
    // Otherwise the pulse waits for the gap after the previous one.
    startPulse(s, s.pending.front(), nowUs);
    s.pending.pop_front();
  }
}

std::optional<std::int64_t> RotaryInputs::nextEventUs() const {
  std::optional<std::int64_t> next;
  for (const State& s : sides_) {
    std::optional<std::int64_t> t;
    if (s.activeButton >= 0)
      t = s.activeEndUs;
    else if (!s.pending.empty())
      t = s.nextStartUs;
    if (t && (!next || *t < *next)) next = t;
  }
  return next;
}

std::optional<std::int64_t> RotaryInputs::runNext(std::int64_t limitUs) {
  const auto t = nextEventUs();
  if (!t || *t > limitUs) return std::nullopt;
  for (State& s : sides_) {
    if (s.activeButton >= 0) {
      if (s.activeEndUs != *t) continue;
      s.activeButton = -1;
      s.nextStartUs = *t + pulseUs_;
    } else if (!s.pending.empty() && s.nextStartUs == *t) {
      startPulse(s, s.pending.front(), *t);
      s.pending.pop_front();
    }
  }
  return t;
}

void RotaryInputs::runUntil(std::int64_t nowUs) {
  while (runNext(nowUs)) {
  }
}

void RotaryInputs::cancelPulses() {
  for (State& s : sides_) {
    s.activeButton = -1;
    s.pending.clear();
    s.nextStartUs = 0;
  }
}

std::array<std::uint8_t, 8> RotaryInputs::buttons() const {
  std::array<std::uint8_t, 8> bytes{};
  const auto press = [&](int index) {
    bytes[index / 8] = static_cast<std::uint8_t>(bytes[index / 8] | (1u << (index % 8)));
  };
  for (int i = 0; i < 2; ++i) {
    const State& s = sides_[i];
    if (s.mode == TwelveWay) press(kFirstButton[i] + s.position);
    if (s.activeButton >= 0) press(s.activeButton);
  }
  return bytes;
}

}  // namespace torvex::sim
