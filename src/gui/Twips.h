// SPDX-License-Identifier: MIT
#pragma once
// The window is designed in twips (1440 per inch); at 96 dpi 15 twips are one
// pixel. Qt scales device-independent pixels for high-DPI screens.
#include <QRect>
#include <cmath>

namespace torvex::gui {

inline int Twips(double twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

inline QRect TwipsRect(double left, double top, double width, double height) {
  return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

}  // namespace torvex::gui
