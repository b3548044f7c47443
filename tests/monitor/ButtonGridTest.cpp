#include <gtest/gtest.h>

#include "monitor/ButtonGrid.h"

namespace torvex::monitor {
namespace {

// The design: indicator 375 x 375 twips, frame 4815 wide, label 495 high.
std::vector<IndicatorPlace> Design() {
  return ButtonGridPlaces(63, 375, 375, 4815, 495);
}

TEST(ButtonGrid, SixtyFourNumberedIndicators) {
  const auto places = Design();
  ASSERT_EQ(places.size(), 64u);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(places[k].caption, QString::number(k + 1));
  EXPECT_EQ(ButtonGridPlaces(0, 375, 375, 4815, 495).size(), 1u);
}

TEST(ButtonGrid, ColumnsAndRowsOfTheDesign) {
  const double columns[] = {201.667, 778.333, 1355, 1931.667, 2508.333, 3085, 3661.667, 4238.333};
  const auto places = Design();
  for (int k = 0; k < 64; ++k) {
    EXPECT_NEAR(places[k].shape.left(), columns[k % 8], 0.001) << k;
    EXPECT_DOUBLE_EQ(places[k].shape.top(), 375 + (k / 8) * 450.0) << k;
    EXPECT_DOUBLE_EQ(places[k].shape.width(), 375);
    EXPECT_DOUBLE_EQ(places[k].shape.height(), 375);
  }
  // Indicator 8 starts the second row at the left margin.
  EXPECT_DOUBLE_EQ(places[8].shape.left(), places[0].shape.left());
  EXPECT_DOUBLE_EQ(places[8].shape.top(), 825);
  EXPECT_DOUBLE_EQ(places[63].shape.bottom(), 3900);
}

TEST(ButtonGrid, MarginsAreEqual) {
  for (float frame : {4815.f, 4000.f, 6000.f}) {
    const auto places = ButtonGridPlaces(7, 375, 375, frame, 495);
    const double left = places[0].shape.left();
    const double right = frame - places[7].shape.right();
    EXPECT_NEAR(left, right, 0.01) << frame;
  }
}

TEST(ButtonGrid, LabelSpansItsIndicatorAQuarterDown) {
  const auto places = ButtonGridPlaces(63, 300, 400, 4815, 495);
  for (const auto& p : places) {
    EXPECT_DOUBLE_EQ(p.label.left(), p.shape.left());
    EXPECT_DOUBLE_EQ(p.label.width(), p.shape.width());
    EXPECT_DOUBLE_EQ(p.label.top(), p.shape.top() + 100);
    EXPECT_DOUBLE_EQ(p.label.height(), 495);
  }
  // Rows are 1.2 heights apart, starting one height down.
  EXPECT_DOUBLE_EQ(places[16].shape.top(), 400 + 2 * 480.0);
}

}  // namespace
}  // namespace torvex::monitor
