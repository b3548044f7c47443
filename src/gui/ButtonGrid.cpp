// SPDX-License-Identifier: MIT
#include "gui/ButtonGrid.h"

namespace torvex::gui {

std::vector<IndicatorPlace> ButtonGridPlaces(int lastIndex, float shapeWidth, float shapeHeight,
                                             float frameWidth, double labelHeight) {
  // The gap and column pitch are single precision as the window was designed;
  // the row pitch is double.
  const float gap = (frameWidth - kGridColumns * shapeWidth) / (kGridColumns + 1);
  const float columnPitch = shapeWidth + gap;
  const double rowPitch = 1.2 * shapeHeight;

  std::vector<IndicatorPlace> places;
  for (int k = 0; k <= lastIndex; ++k) {
    const float left = gap + static_cast<float>(k % kGridColumns) * columnPitch;
    const double top = shapeHeight + (k / kGridColumns) * rowPitch;
    IndicatorPlace p;
    p.shape = QRectF(left, top, shapeWidth, shapeHeight);
    p.label = QRectF(left, top + shapeHeight / 4.0, shapeWidth, labelHeight);
    p.caption = QString::number(k + 1);
    places.push_back(p);
  }
  return places;
}

}  // namespace torvex::gui
