// SPDX-License-Identifier: MIT
#include "board/Settings.h"

namespace torvex::board {

void Settings::take(const protocol::SettingsRecord& r) {
  pulseWidthStep = r.pulseWidthStep;
  analogInputMode = r.analogInputMode;
  clutchBite = r.clutchBite;
  masterClutch = r.masterClutch;
  rotaryLeft = r.rotaryLeft;
  rotaryRight = r.rotaryRight;
  xDeadLow = r.xDeadLow;
  xDeadHigh = r.xDeadHigh;
  yDeadLow = r.yDeadLow;
  yDeadHigh = r.yDeadHigh;
  xCurveType = r.xCurveType;
  yCurveType = r.yCurveType;
  xCurveNumber = r.xCurveNumber;
  yCurveNumber = r.yCurveNumber;
}

QStringList AnalogInputModeNames() {
  return {"Dual Clutch", "Throttle and Brake"};
}

QStringList MasterClutchNames() {
  return {"Left", "Right"};
}

QStringList RotaryLeftNames() {
  return {"12 Way Rotary", "12 Way Rotary Pulsed", "Encoder", "Shift (R-Encoder)",
          "Encoder (R-Shifted)"};
}

QStringList RotaryRightNames() {
  return {"12 Way Rotary", "12 Way Rotary Pulsed", "Encoder", "Encoder (L-Shifted)",
          "Shift (L-Encoder)"};
}

QStringList PulseWidthNames() {
  QStringList widths;
  for (int step = 1; step <= kPulseWidthSteps; ++step)
    widths << QString::number(step * kPulseWidthMsPerStep) + " ms";
  return widths;
}

QStringList CurveTypeNames() {
  return {"Linear", "S-Curve", "Progressive/Degressive"};
}

}  // namespace torvex::board
