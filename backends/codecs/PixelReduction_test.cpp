// Area-averaging reduction of premultiplied ARGB pixels.
#include "backends/codecs/PixelReduction.h"

#include <gtest/gtest.h>

#include <vector>

namespace brivora {
namespace {

ImagePixels pixels(int width, int height, std::vector<std::uint32_t> argb) {
  return {width, height, std::move(argb)};
}

TEST(AreaReduction, AveragesTheAreaEachOutputPixelCovers) {
  struct Row {
    const char* what;
    ImagePixels source;
    PixelSize target;
    std::vector<std::uint32_t> expected;
  };
  const Row rows[] = {
      {"pairs",
       pixels(4, 1, {0xFF000000, 0xFF0000FE, 0xFF00FE00, 0xFFFE0000}),
       {2, 1},
       {0xFF00007F, 0xFF7F7F00}},
      // 3 → 2: the middle pixel is split half and half, so each side weighs 2 : 1.
      {"thirds",
       pixels(3, 1, {0xFF000000, 0xFF000090, 0xFF0000F0}),
       {2, 1},
       {0xFF000030, 0xFF0000D0}},
      {"columns",
       pixels(1, 3, {0xFF000000, 0xFF000090, 0xFF0000F0}),
       {1, 2},
       {0xFF000030, 0xFF0000D0}},
      {"2d", pixels(2, 2, {0xFF000000, 0xFF000010, 0xFF000020, 0xFF000030}), {1, 1}, {0xFF000018}},
      // Alpha is averaged like any channel: half covered by opaque red is half-alpha red.
      {"coverage", pixels(2, 1, {0x00000000, 0xFFFF0000}), {1, 1}, {0x80800000}},
      {"same size", pixels(2, 1, {0x11223344, 0x55667788}), {2, 1}, {0x11223344, 0x55667788}},
      {"to one", pixels(3, 3, std::vector<std::uint32_t>(9, 0xFF102030)), {1, 1}, {0xFF102030}},
  };
  for (const Row& row : rows) {
    const ImagePixels reduced = reducePixels(row.source, row.target);
    EXPECT_EQ(reduced.width, row.target.width) << row.what;
    EXPECT_EQ(reduced.height, row.target.height) << row.what;
    EXPECT_EQ(reduced.argb, row.expected) << row.what;
  }
}

TEST(AreaReduction, KeepsSolidColoursExactAtAnyRatio) {
  const ImagePixels solid = pixels(97, 61, std::vector<std::uint32_t>(97 * 61, 0x80402010));
  for (const PixelSize target : {PixelSize{96, 60}, PixelSize{50, 31}, PixelSize{13, 7},
                                 PixelSize{1, 61}, PixelSize{97, 1}}) {
    const ImagePixels reduced = reducePixels(solid, target);
    ASSERT_EQ(reduced.argb.size(), static_cast<std::size_t>(target.width * target.height));
    for (const std::uint32_t word : reduced.argb) {
      ASSERT_EQ(word, 0x80402010u) << target.width << "x" << target.height;
    }
  }
}

TEST(AreaReduction, RowsNeverHandedOverComeOutTransparent) {
  AreaReducer reducer({2, 4}, {1, 2});
  const std::vector<std::uint32_t> row(2, 0xFFFFFFFF);
  reducer.addRow(row);
  reducer.addRow(row);
  EXPECT_EQ(reducer.finish().argb, (std::vector<std::uint32_t>{0xFFFFFFFF, 0x00000000}));
}

}  // namespace
}  // namespace brivora
