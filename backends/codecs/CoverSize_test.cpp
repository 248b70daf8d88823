// The pixel size kept to fill a box with an image, proportions kept.
#include "backends/codecs/CoverSize.h"

#include <gtest/gtest.h>

#include <limits>

namespace brivora {
namespace {

TEST(CoverPixelSize, ShrinksUntilTheImageJustCoversTheBoxAndNeverGrows) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    PixelSize image;
    Size box;
    PixelSize expected;
  };
  const Row rows[] = {
      {{4000, 3000}, {1920, 1080}, {1920, 1440}},  // the width decides
      {{275, 183},
       {100, 100},
       {151, 100}},  // the height decides, 183 · (100 / 183) a hair over 100
      {{1000, 999}, {100, 100}, {101, 100}},   // partial pixels round up
      {{800, 600}, {1600, 1200}, {800, 600}},  // never upscaled
      {{800, 600}, {800, 600}, {800, 600}},
      {{800, 600}, {infinity, 10}, {800, 600}},  // not finite: full size
      {{800, 600}, {notANumber, 10}, {800, 600}},
      {{800, 600}, {0, 0}, {1, 1}},  // empty: the least
      {{800, 600}, {0, 60}, {80, 60}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(coverPixelSize(row.image, row.box), row.expected)
        << row.image.width << "x" << row.image.height << " in " << row.box.width << "x"
        << row.box.height;
  }
}

}  // namespace
}  // namespace brivora
