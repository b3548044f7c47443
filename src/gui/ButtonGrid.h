// SPDX-License-Identifier: MIT
#pragma once
// Geometry of the 8 x 8 grid of button indicators inside the "Inputs" frame,
// in twips relative to the frame. Eight columns and nine equal gaps fill the
// frame's width, so the left and right margins are equal; rows are 1.2
// indicator heights apart, starting one indicator height down.

#include <QRectF>
#include <QString>
#include <vector>

namespace torvex::gui {

inline constexpr int kGridColumns = 8;

struct IndicatorPlace {
  QRectF shape;  // twips
  QRectF label;  // twips: a quarter of the shape's height below its top
  QString caption;
};

// Places indicators 0..lastIndex from the size of indicator 0 (w x h), the
// width of the frame and the height of label 0, which every label keeps.
std::vector<IndicatorPlace> ButtonGridPlaces(int lastIndex, float shapeWidth, float shapeHeight,
                                             float frameWidth, double labelHeight);

}  // namespace torvex::gui
