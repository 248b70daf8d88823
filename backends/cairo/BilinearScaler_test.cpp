// The scaler against pixman's own bilinear filter, which it stands in for.
#include "backends/cairo/BilinearScaler.h"

#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/cairo/CpuFeatures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/CairoFrames.h"

namespace brivora {
namespace {

// What the Cairo context draws with pixman for the same mapping, which covers the frame.
std::vector<std::uint8_t> pixmanScaled(const ImagePixels& source, SurfaceRect rect, int width,
                                       int height) {
  CairoGraphicsContext context(width, height);
  context.drawImage(testing::imageOf(source),
                    {rect.x, height - rect.y - rect.height, rect.width, rect.height}, 1);
  return testing::frameBytes(context);
}

// Every block of eight columns is sampled by its own picks and weights, the row ends one by one:
// besides matching pixman, the same image moved by whole pixels must give the same pixels,
// whichever lane, block or loop each column lands in.
TEST(BilinearScaler, SamplesAsPixmanDoesAndMovesByWholePixelsExactly) {
  if (!vectorPathsEnabled()) GTEST_SKIP() << "no AVX2 here";
  // Positions in 1/64ths, so moving them adds no floating-point rounding.
  const struct {
    const char* what;
    int sourceWidth, sourceHeight, width, height;
    SurfaceRect rect;
  } cases[] = {
      {"wallpaper zoomed a little, drifted",
       206,
       118,
       200,
       112,
       {-3.296875, -2.703125, 206.4, 115.5}},
      {"width not a multiple of eight", 101, 61, 97, 59, {-1.25, -0.5, 99, 60.5}},
      {"enlarged from few pixels", 9, 7, 61, 37, {-1.59375, -0.40625, 68, 43}},
      {"shrunk to under half: gathered", 260, 170, 80, 50, {-0.703125, -0.203125, 81, 51}},
      {"one pixel", 1, 1, 24, 16, {-1, -1, 26, 18}},
      {"reaching past the frame on every side", 50, 50, 40, 40, {-30, -25, 100, 90}},
  };
  for (const auto& c : cases) {
    ImagePixels source = testing::noisePixels(c.sourceWidth, c.sourceHeight, 12345);
    std::vector<std::uint32_t> scaled(static_cast<std::size_t>(c.width) * c.height, 0xDEADBEEF);
    ASSERT_TRUE(scaleBilinearInto(source, c.rect, scaled.data(), c.width, c.height, c.width))
        << c.what;
    EXPECT_LE(testing::largestDifference(scaled, pixmanScaled(source, c.rect, c.width, c.height)),
              4)
        << c.what;
    for (int shift = 1; shift <= 9; ++shift) {
      const int movedWidth = c.width + shift;
      std::vector<std::uint32_t> moved(static_cast<std::size_t>(movedWidth) * (c.height + shift));
      const SurfaceRect rect{c.rect.x + shift, c.rect.y + shift, c.rect.width, c.rect.height};
      ASSERT_TRUE(
          scaleBilinearInto(source, rect, moved.data(), movedWidth, c.height + shift, movedWidth));
      for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          ASSERT_EQ(scaled[y * c.width + x], moved[(y + shift) * movedWidth + x + shift])
              << c.what << ", moved by " << shift << ", at " << x << "," << y;
        }
      }
    }
  }
}

TEST(BilinearScaler, LeavesUnusableInputToTheCaller) {
  ImagePixels source = testing::noisePixels(8, 8, 12345);
  ImagePixels short_ = source;
  short_.argb.resize(10);
  std::vector<std::uint32_t> out(64, 7);
  const SurfaceRect fits{0, 0, 8, 8};
  EXPECT_FALSE(scaleBilinearInto(short_, fits, out.data(), 8, 8, 8));
  EXPECT_FALSE(scaleBilinearInto(source, SurfaceRect{0, 0, -8, 8}, out.data(), 8, 8, 8));
  EXPECT_FALSE(scaleBilinearInto(source, SurfaceRect{0, 0, 1e-9, 8}, out.data(), 8, 8, 8));
  EXPECT_FALSE(scaleBilinearInto(source, SurfaceRect{-1e12, 0, 8, 8}, out.data(), 8, 8, 8));
  EXPECT_FALSE(scaleBilinearInto(source, fits, out.data(), 8, 8, 4));
  EXPECT_EQ(out, std::vector<std::uint32_t>(64, 7));
}

}  // namespace
}  // namespace brivora
