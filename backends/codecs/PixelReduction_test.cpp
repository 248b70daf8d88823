// Area-averaging reduction of premultiplied ARGB pixels, and the size they are reduced to.
#include "backends/codecs/PixelReduction.h"

#include <gtest/gtest.h>

#include <limits>
#include <span>
#include <vector>

#include "backends/codecs/CoverSize.h"

namespace brivora {
namespace {

using Words = std::vector<std::uint32_t>;

ImagePixels reducePixels(const ImagePixels& pixels, PixelSize target) {
  AreaReducer reducer({pixels.width, pixels.height}, target);
  const auto width = static_cast<std::size_t>(pixels.width);
  for (std::size_t y = 0; y < static_cast<std::size_t>(pixels.height); ++y) {
    reducer.addRow(std::span<const std::uint32_t>(pixels.argb).subspan(y * width, width));
  }
  return reducer.finish();
}

TEST(AreaReduction, AveragesTheAreaEachOutputPixelCovers) {
  // 3 → 2 each way: the middle pixel is split half and half, so each side weighs 2 : 1, and
  // 0, 0x90, 0xF0 average to 0x30 and 0xD0. Blue steps across, green down.
  const Words grid = {0xFF000000, 0xFF000090, 0xFF0000F0, 0xFF009000, 0xFF009090,
                      0xFF0090F0, 0xFF00F000, 0xFF00F090, 0xFF00F0F0};
  EXPECT_EQ(reducePixels({3, 3, grid}, {2, 2}).argb,
            (Words{0xFF003030, 0xFF0030D0, 0xFF00D030, 0xFF00D0D0}));
  // Alpha is averaged like any channel: half covered by opaque red is half-alpha red.
  EXPECT_EQ(reducePixels({2, 1, {0x00000000, 0xFFFF0000}}, {1, 1}).argb, Words{0x80800000});
}

// Columns of two levels a step apart, halved: every output pixel lies exactly halfway and
// rounds up, whatever the sizes; quotients that land on whole numbers are where a division's
// rounding shows first.
TEST(AreaReduction, HalfwayAveragesRoundUp) {
  const struct { int width, height; } sizes[] = {{1000, 700}, {2240, 30}, {14, 5}, {3998, 2}};
  for (const auto& size : sizes) {
    for (const std::uint32_t level : {0u, 0x7Fu, 0xFEu}) {
      Words source;
      for (int at = 0; at < size.width * size.height; ++at) {
        source.push_back((level + at % 2) * 0x01010101u);
      }
      const PixelSize target{size.width / 2, size.height};
      EXPECT_EQ(reducePixels({size.width, size.height, source}, target).argb,
                Words(target.area(), (level + 1) * 0x01010101u))
          << size.width << "x" << size.height << " " << level;
    }
  }
}

TEST(AreaReduction, RowsNeverHandedOverComeOutTransparent) {
  AreaReducer reducer({2, 4}, {1, 2});
  const Words row(2, 0xFFFFFFFF);
  reducer.addRow(row);
  reducer.addRow(row);
  EXPECT_EQ(reducer.finish().argb, (Words{0xFFFFFFFF, 0x00000000}));
}

// The pixel size kept to fill a box with an image, proportions kept.
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
      // The height decides, 183 · (100 / 183) a hair over 100.
      {{275, 183}, {100, 100}, {151, 100}},
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
