#include "backends/cairo/GradientFill.h"

#include <gtest/gtest.h>

namespace brivora {
namespace {

TEST(GradientLine, EndsAtTheProjectionsOfTheFarCorners) {
  struct Case {
    Rect rect;
    double angle;
    Point start, end;
  };
  const Case cases[] = {
      {{0, 0, 40, 20}, 0, {0, 10}, {40, 10}},      {{0, 0, 40, 20}, 90, {20, 0}, {20, 20}},
      {{0, 0, 40, 20}, 180, {40, 10}, {0, 10}},    {{0, 0, 40, 20}, -90, {20, 20}, {20, 0}},
      {{10, 10, 20, 20}, 45, {10, 10}, {30, 30}},  // corner to corner on a square
      {{10, 10, 20, 20}, 405, {10, 10}, {30, 30}}, {{0, 0, 20, 20}, 135, {20, 0}, {0, 20}},
  };
  for (const Case& c : cases) {
    const GradientLine line = gradientLine(c.rect, c.angle);
    EXPECT_NEAR(line.start.x, c.start.x, 1e-9) << c.angle;
    EXPECT_NEAR(line.start.y, c.start.y, 1e-9) << c.angle;
    EXPECT_NEAR(line.end.x, c.end.x, 1e-9) << c.angle;
    EXPECT_NEAR(line.end.y, c.end.y, 1e-9) << c.angle;
  }
}

TEST(GradientLine, ReachesBeyondTheEdgesForSlantedAngles) {
  // At 45° on a 40 × 20 rect the far corners lie 30/√2 from the centre along the line, which
  // is 15 along each axis: past the 10-point half height.
  const GradientLine line = gradientLine({0, 0, 40, 20}, 45);
  EXPECT_NEAR(line.start.x, 20 - 15, 1e-9);
  EXPECT_NEAR(line.start.y, 10 - 15, 1e-9);
  EXPECT_NEAR(line.end.x, 20 + 15, 1e-9);
  EXPECT_NEAR(line.end.y, 10 + 15, 1e-9);
}

}  // namespace
}  // namespace brivora
