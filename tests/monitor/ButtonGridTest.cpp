#include <gtest/gtest.h>

#include "monitor/ButtonGrid.h"

namespace torvex::monitor {
namespace {

TEST(ButtonGrid, EightNumberedColumnsOfTheDesign) {
  // Indicator 375 x 375 twips, frame 4815 wide, label 495 high.
  const auto places = ButtonGridPlaces(63, 375, 375, 4815, 495);
  ASSERT_EQ(places.size(), 64u);
  const double columns[] = {201.667, 778.333, 1355, 1931.667, 2508.333, 3085, 3661.667, 4238.333};
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(places[k].caption, QString::number(k + 1));
    EXPECT_NEAR(places[k].shape.left(), columns[k % 8], 0.001) << k;
    EXPECT_DOUBLE_EQ(places[k].shape.top(), 375 + (k / 8) * 450.0) << k;
    EXPECT_EQ(places[k].shape.size(), QSizeF(375, 375)) << k;
  }
  EXPECT_EQ(ButtonGridPlaces(0, 375, 375, 4815, 495).size(), 1u);
}

TEST(ButtonGrid, EqualMarginsAndLabelsAQuarterDown) {
  for (float frame : {4000.f, 6000.f}) {
    const auto places = ButtonGridPlaces(16, 300, 400, frame, 495);
    EXPECT_NEAR(places[0].shape.left(), frame - places[7].shape.right(), 0.01) << frame;
    EXPECT_DOUBLE_EQ(places[16].shape.top(), 400 + 2 * 480.0);  // rows 1.2 heights apart
    for (const auto& p : places)
      EXPECT_EQ(p.label, QRectF(p.shape.left(), p.shape.top() + 100, 300, 495));
  }
}

}  // namespace
}  // namespace torvex::monitor
