#include "backends/cairo/CairoGraphicsContext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "backends/cairo/FrameProbe.h"
#include "platform/Image.h"
#include "tests/support/CairoFrames.h"

namespace brivora {
namespace {

using testing::frameBytes;
using testing::imageOf;

constexpr std::uint32_t red = 0xffff0000u;
constexpr std::uint32_t green = 0xff00ff00u;
constexpr std::uint32_t blue = 0xff0000ffu;

Image solidRed() {
  return imageOf({4, 2, std::vector<std::uint32_t>(8, red)});
}

TEST(CairoImage, KeepsTheImageUprightAndBlendsNeighboursBilinearly) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  // A 2 × 2 image: red and blue on the top row, green below.
  context.drawImage(imageOf({2, 2, {red, blue, green, green}}), {0, 0, 64, 48}, 1);
  EXPECT_EQ(probePixel(context, 2, 2).r, 255);
  EXPECT_EQ(probePixel(context, 61, 2).b, 255);
  EXPECT_EQ(probePixel(context, 32, 45).g, 255);
  // Along the top the colour ramps from red to blue instead of stepping.
  // A quarter of the way from one pixel's centre to the next: three quarters of it.
  EXPECT_NEAR(probePixel(context, 24, 2).r, 187, 2);
  EXPECT_NEAR(probePixel(context, 24, 2).b, 68, 2);
}

TEST(CairoImage, FillsTheRectPaddingItsEdgesAndShadingSubPixelOnes) {
  // View rect (8, 8, 16, 12) covers surface columns 8…23 and rows 28…39. Its edge pixels must
  // be padded from the image, not blended with the clear beyond it.
  for (const double shift : {0.0, 0.25, 0.5, 0.75, 1.0}) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.drawImage(solidRed(), {8 + shift, 8, 16, 12}, 1);
    EXPECT_EQ(probeInk(context), (InkBounds{true, shift < 1 ? 8 : 9, 28, shift > 0 ? 25 : 24, 40}))
        << shift;
    EXPECT_NEAR(probePixel(context, 8, 34).a, 255 * (1 - shift), 3) << shift;
    EXPECT_NEAR(probePixel(context, 24, 34).a, 255 * shift, 3) << shift;
    EXPECT_EQ(probePixel(context, 16, 28), (ProbedPixel{255, 255, 0, 0})) << shift;
    EXPECT_EQ(probePixel(context, 16, 39), (ProbedPixel{255, 255, 0, 0})) << shift;
  }
}

TEST(CairoImage, FractionFadesTheImageOverWhatIsThere) {
  const struct {
    double fraction;
    int red;
  } cases[] = {{0.5, 128}, {0.25, 64}, {1, 255}, {2, 255}, {0, 0}, {-0.5, 0}};
  for (const auto& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.fillRect({0, 0, 64, 48}, {0, 0, 0, 1});
    context.drawImage(solidRed(), {8, 8, 16, 12}, c.fraction);
    EXPECT_EQ(probePixel(context, 16, 34).a, 255) << c.fraction;
    EXPECT_NEAR(probePixel(context, 16, 34).r, c.red, 2) << c.fraction;
    EXPECT_EQ(probePixel(context, 30, 34).r, 0) << c.fraction;  // outside stays black
  }
}

TEST(CairoImage, DrawsNothingWithoutUsablePixels) {
  // No pixels, no size, and fewer words than pixels.
  for (const Image& image : {Image("none.jpg", {40, 30}, std::shared_ptr<const ImagePixels>()),
                             imageOf({}), imageOf({4, 2, std::vector<std::uint32_t>(3, red)})}) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.drawImage(image, {0, 0, 64, 48}, 1);
    context.drawImage(image, {0, 0, 64, 48}, 0.5);
    EXPECT_FALSE(probeInk(context).found);
  }
}

// A frame starts with an opaque fill of everything, which a covering opaque image replaces
// unseen; anything else must still find the fill under it.
TEST(CairoImage, AnOpaqueFillShowsWhereverTheImageOverItDoesNotCover) {
  const Color grey{0.5, 0.5, 0.5, 1};
  const Image opaque = imageOf({2, 1, {red, red}, true});
  const Image translucent = imageOf({2, 1, {0x80800000u, 0x80800000u}});
  const Rect over{-2, -2, 70, 52};
  const struct {
    const char* what;
    const Image& image;
    Rect rect;
    double fraction;
    ProbedPixel corner;  // at surface (0, 0)
  } cases[] = {
      {"opaque, covering", opaque, over, 1, {255, 255, 0, 0}},
      {"marked translucent, covering", translucent, over, 1, {255, 191, 64, 64}},
      {"opaque, fading in", opaque, over, 0.5, {255, 191, 64, 64}},
      {"opaque, short of the top", opaque, {0, 0, 64, 47}, 1, {255, 128, 128, 128}},
  };
  for (const auto& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.fillRect({0, 0, 64, 48}, grey);
    context.drawImage(c.image, c.rect, c.fraction);
    const ProbedPixel corner = probePixel(context, 0, 0);
    EXPECT_EQ(corner.a, c.corner.a) << c.what;
    EXPECT_NEAR(corner.r, c.corner.r, 2) << c.what;
    EXPECT_NEAR(corner.g, c.corner.g, 2) << c.what;
  }
}

// Frames reuse what they scaled or rendered before; a change of image, place, colour or frame
// size must never show the kept copy.
TEST(CairoImage, KeptScalingsAndGradientsFollowEveryChange) {
  const Image redImage = solidRed();
  const Image blueImage = imageOf({1, 1, {blue}});
  auto draw = [&](CairoGraphicsContext& context, const Image& image, Rect rect, Color scrim) {
    context.fillRect({0, 0, 64, 48}, {0, 0, 0, 1});
    context.drawImage(image, rect, 0.6);
    context.drawGradient({0, 0, 64, 20}, scrim, {0, 0, 0, 0}, 90);
  };
  const struct {
    const Image& image;
    Rect rect;
    Color scrim;
  } frames[] = {
      {redImage, {8, 8, 16, 12}, {0, 0, 0, 0.8}},    {redImage, {8, 8, 16, 12}, {0, 0, 0, 0.8}},
      {blueImage, {8, 8, 16, 12}, {0, 0, 0, 0.8}},   {blueImage, {8.5, 8, 16, 12}, {0, 0, 0, 0.8}},
      {blueImage, {8.5, 8, 16, 12}, {0, 1, 0, 0.5}}, {redImage, {8, 8, 16, 12}, {0, 0, 0, 0.8}},
  };
  CairoGraphicsContext reused(frameWidth, frameHeight);
  for (const auto& frame : frames) {
    draw(reused, frame.image, frame.rect, frame.scrim);
    CairoGraphicsContext fresh(frameWidth, frameHeight);
    draw(fresh, frame.image, frame.rect, frame.scrim);
    ASSERT_EQ(frameBytes(reused), frameBytes(fresh)) << frame.rect.minX();
  }
  // Past the old frame's edge after growing.
  reused.resize(100, 80);
  reused.drawImage(redImage, {80, 0, 20, 10}, 0.5);
  EXPECT_NEAR(probePixel(reused, 90, 75).a, 128, 2);
}

}  // namespace
}  // namespace brivora
