#include "backends/cairo/CairoGraphicsContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "backends/cairo/FrameProbe.h"
#include "platform/Image.h"

namespace brivora {
namespace {

constexpr std::uint32_t red = 0xffff0000u;
constexpr std::uint32_t green = 0xff00ff00u;
constexpr std::uint32_t blue = 0xff0000ffu;

// An image whose natural size is far larger than its pixels, as a downsampled decode is.
Image makeImage(int width, int height, std::vector<std::uint32_t> argb) {
  return Image("test.jpg", {4000, 3000},
               std::make_shared<ImagePixels>(ImagePixels{width, height, std::move(argb)}));
}

Image solidRed() {
  return makeImage(4, 2, std::vector<std::uint32_t>(8, red));
}

// Pixels marked as fully opaque, or not, as the decoder found them.
Image markedImage(std::vector<std::uint32_t> argb, bool opaque) {
  const int width = static_cast<int>(argb.size());
  return Image("marked.png", {4000, 3000},
               std::make_shared<ImagePixels>(ImagePixels{width, 1, std::move(argb), opaque}));
}

std::vector<std::uint8_t> framePixels(CairoGraphicsContext& context) {
  const std::uint8_t* data = context.data();
  return {data, data + static_cast<std::size_t>(context.stride()) * context.height()};
}

TEST(CairoImage, FillsExactlyTheRectWithoutFadingItsEdges) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  // View rect (8, 8, 16, 12) covers surface columns 8…23 and rows 28…39. Its edge pixels must
  // be padded from the image, not blended with the clear beyond it.
  context.drawImage(solidRed(), {8, 8, 16, 12}, 1);
  EXPECT_EQ(probeInk(context), (InkBounds{true, 8, 28, 24, 40}));
  for (int row = 28; row < 40; ++row) {
    for (int column = 8; column < 24; ++column) {
      ASSERT_EQ(probePixel(context, column, row), (ProbedPixel{255, 255, 0, 0}))
          << column << "," << row;
    }
  }
}

TEST(CairoImage, KeepsTheImageUprightAndBlendsNeighboursBilinearly) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  // A 2 × 2 image: red and blue on the top row, green below.
  context.drawImage(makeImage(2, 2, {red, blue, green, green}), {0, 0, 64, 48}, 1);
  EXPECT_EQ(probePixel(context, 2, 2).r, 255);
  EXPECT_EQ(probePixel(context, 61, 2).b, 255);
  EXPECT_EQ(probePixel(context, 32, 45).g, 255);
  // Along the top the colour ramps from red to blue instead of stepping.
  int blended = 0;
  for (int column = 1; column < 64; ++column) {
    const ProbedPixel pixel = probePixel(context, column, 2);
    EXPECT_LE(pixel.r, probePixel(context, column - 1, 2).r) << column;
    EXPECT_GE(pixel.b, probePixel(context, column - 1, 2).b) << column;
    if (pixel.r > 20 && pixel.b > 20) ++blended;
  }
  EXPECT_GT(blended, 8);
}

TEST(CairoImage, SubPixelOffsetsShadeTheEdgeGradually) {
  for (const double shift : {0.0, 0.25, 0.5, 0.75, 1.0}) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.drawImage(solidRed(), {8 + shift, 8, 16, 12}, 1);
    EXPECT_NEAR(probePixel(context, 8, 34).a, 255 * (1 - shift), 3) << shift;
    EXPECT_NEAR(probePixel(context, 24, 34).a, 255 * shift, 3) << shift;
    EXPECT_EQ(probePixel(context, 16, 34).a, 255) << shift;
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

TEST(CairoImage, TranslucentDrawsLeaveNoEarlierImageBehindAndFollowAResize) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawImage(solidRed(), {0, 0, 64, 48}, 0.5);
  // Half red under half blue inside the second rect.
  context.drawImage(makeImage(1, 1, {blue}), {8.5, 8, 16, 12}, 0.5);
  const ProbedPixel inside = probePixel(context, 16, 34);
  EXPECT_NEAR(inside.a, 191, 2);
  EXPECT_NEAR(inside.r, 64, 2);
  EXPECT_NEAR(inside.b, 128, 2);
  // The half-covered edge column blends a quarter of blue; no red from the first draw.
  const ProbedPixel edge = probePixel(context, 8, 34);
  EXPECT_NEAR(edge.a, 160, 3);
  EXPECT_NEAR(edge.r, 96, 3);
  EXPECT_NEAR(edge.b, 64, 3);
  // Past the old frame's edge after growing.
  context.resize(100, 80);
  context.drawImage(solidRed(), {80, 0, 20, 10}, 0.5);
  EXPECT_NEAR(probePixel(context, 90, 75).a, 128, 2);
  EXPECT_EQ(probePixel(context, 10, 10).a, 0);
}

TEST(CairoImage, DrawsNothingWithoutUsablePixels) {
  // No pixels, no size, and fewer words than pixels.
  for (const Image& image :
       {Image("none.jpg", {40, 30}, std::shared_ptr<const ImagePixels>()), makeImage(0, 0, {}),
        makeImage(4, 2, std::vector<std::uint32_t>(3, red))}) {
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
  const Image opaque = markedImage({red, red}, true);
  const Image translucent = markedImage({0x80800000u, 0x80800000u}, false);
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
  // A fill with nothing over it, and one under text or a gradient, is still drawn.
  CairoGraphicsContext alone(frameWidth, frameHeight);
  alone.fillRect({0, 0, 64, 48}, grey);
  EXPECT_EQ(probePixel(alone, 63, 47), (ProbedPixel{255, 128, 128, 128}));
  alone.drawGradient({0, 0, 64, 24}, {0, 0, 0, 0}, {0, 0, 0, 0}, 90);
  EXPECT_EQ(probePixel(alone, 0, 0), (ProbedPixel{255, 128, 128, 128}));
}

// Frames reuse what they scaled or rendered before; a change of image, place or colour must
// never show the kept copy.
TEST(CairoImage, KeptScalingsAndGradientsFollowEveryChange) {
  const Image redImage = solidRed();
  const Image blueImage = makeImage(1, 1, {blue});
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
    ASSERT_EQ(framePixels(reused), framePixels(fresh)) << frame.rect.minX();
  }
}

// A crossfade over a covering wallpaper is drawn in one pass; it must look as the two draws do
// when something between them keeps them apart.
TEST(CairoImage, ACrossfadeInOnePassMatchesItsTwoDraws) {
  std::vector<std::uint32_t> noise(40 * 30);
  for (std::size_t at = 0; at < noise.size(); ++at) {
    noise[at] = 0xFF000000u | static_cast<std::uint32_t>(at * 2654435761u >> 8);
  }
  const Image current("current.jpg", {4000, 3000},
                      std::make_shared<ImagePixels>(ImagePixels{40, 30, noise, true}));
  std::reverse(noise.begin(), noise.end());
  const Image incoming("incoming.jpg", {4000, 3000},
                       std::make_shared<ImagePixels>(ImagePixels{40, 30, noise, true}));
  // Covering the frame, and short of it on every side (the drift can outrun the zoom).
  const Rect currentRects[] = {{-1.3, -0.6, 66.2, 49.7}, {2.4, 3.3, 58.1, 40.2}};
  for (const auto& [fraction, currentRect] :
       {std::pair{0.02, currentRects[0]}, std::pair{0.4, currentRects[1]},
        std::pair{0.97, currentRects[0]}, std::pair{1.0, currentRects[1]}}) {
    CairoGraphicsContext onePass(frameWidth, frameHeight);
    CairoGraphicsContext twoDraws(frameWidth, frameHeight);
    for (CairoGraphicsContext* context : {&onePass, &twoDraws}) {
      context->fillRect({0, 0, 64, 48}, Color::black());
      context->drawImage(current, currentRect, 1);
      // A clear gradient changes no pixel but draws what was held back.
      if (context == &twoDraws)
        context->drawGradient({0, 0, 1, 1}, Color::clear(), Color::clear(), 0);
      context->drawImage(incoming, {-0.4, -2.1, 65.5, 50.8}, fraction);
    }
    const std::vector<std::uint8_t> fused = framePixels(onePass);
    const std::vector<std::uint8_t> separate = framePixels(twoDraws);
    int largest = 0;
    for (std::size_t at = 0; at < fused.size(); ++at) {
      largest = std::max(largest, std::abs(fused[at] - separate[at]));
    }
    EXPECT_LE(largest, 1) << fraction;
    EXPECT_EQ(probePixel(onePass, 20, 20).a, 255) << fraction;
  }
}

}  // namespace
}  // namespace brivora
