#include "backends/cairo/CairoGraphicsContext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backends/cairo/FrameProbe.h"
#include "platform/Image.h"
#include "tests/support/CairoFrames.h"

namespace brivora {
namespace {

using testing::frameBytes;
using testing::imageOf;

constexpr Color clear{0, 0, 0, 0};
constexpr std::uint32_t red = 0xffff0000u;
constexpr std::uint32_t green = 0xff00ff00u;
constexpr std::uint32_t blue = 0xff0000ffu;

// A usable image: every pixel it has, so only the rect or fraction can stop it.
Image solidRed() {
  return imageOf({4, 2, std::vector<std::uint32_t>(8, red)});
}

// A context that was fed bad input must still fill where it is told to.
void expectStillDraws(CairoGraphicsContext& context) {
  context.fillRect({63, 47, 1, 1}, {0, 1, 0, 1});
  EXPECT_EQ(probePixel(context, 63, 0), (ProbedPixel{255, 0, 255, 0}));
}

// A gradient flips its rect as a fill does.
TEST(CairoFill, FlipsViewRectsOntoSurfaceRows) {
  const struct {
    Rect rect;
    InkBounds expected;
  } cases[] = {
      {{10, 20, 5, 3}, {true, 10, 25, 15, 28}},         // rows 48 − 20 − 3 … 48 − 20
      {{15, 23, -5, -3}, {true, 10, 25, 15, 28}},       // negative sizes cover the same pixels
      {{-100, -100, 120, 110}, {true, 0, 38, 20, 48}},  // clipped at the frame
  };
  for (const auto& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.fillRect(c.rect, opaqueRed);
    const InkBounds ink = probeInk(context);
    EXPECT_EQ(ink, c.expected) << c.rect.minX() << "," << c.rect.minY();
    EXPECT_EQ(probePixel(context, ink.left, ink.top), (ProbedPixel{255, 255, 0, 0}));
    CairoGraphicsContext gradient(frameWidth, frameHeight);
    gradient.drawGradient(c.rect, opaqueBlack, opaqueRed, 45);
    EXPECT_EQ(probeInk(gradient), c.expected) << c.rect.minX() << "," << c.rect.minY();
  }
}

TEST(CairoFill, BlendsTranslucentColourOverWhatIsThere) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.fillRect({0, 0, 64, 48}, opaqueRed);
  context.fillRect({0, 0, 64, 48}, {0, 0, 1, 0.5});
  const ProbedPixel pixel = probePixel(context, 30, 20);
  EXPECT_EQ(pixel.a, 255);
  EXPECT_NEAR(pixel.r, 128, 2);
  EXPECT_NEAR(pixel.b, 128, 2);
}

TEST(CairoRoundedRect, LeavesCornersEmptyAndFillsTheMiddle) {
  // Rect (8, 8, 48, 32) covers surface columns 8…55 and rows 8…39.
  const struct {
    double radius;
    bool cornerFilled;
  } cases[] = {{10, false}, {100, false}, {0, true}, {-5, true}};
  for (const auto& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.fillRoundedRect({8, 8, 48, 32}, c.radius, opaqueRed);
    EXPECT_EQ(probePixel(context, 32, 24).a, 255) << c.radius;
    EXPECT_EQ(probePixel(context, 8, 8).a, c.cornerFilled ? 255 : 0) << c.radius;
    EXPECT_EQ(probePixel(context, 55, 39).a == 255, c.cornerFilled) << c.radius;
    // A radius past half the height still reaches the middle of the short sides.
    EXPECT_GT(probePixel(context, 8, 24).a, 200) << c.radius;
    EXPECT_EQ(probePixel(context, 7, 24).a, 0) << c.radius;
  }
}

TEST(CairoGradient, RunsAlongTheAngleAndReachesTheFarCorners) {
  // Surface pixels where the opaque start colour lies, a quarter of the way along, and where
  // the clear end colour lies. Slanted angles only reach the corners with the right length.
  const struct {
    double angle;
    int darkColumn, darkRow, quarterColumn, quarterRow, clearColumn, clearRow;
  } cases[] = {
      {90, 32, 47, 32, 35, 32, 0},  {270, 32, 0, 32, 12, 32, 47}, {0, 0, 24, 16, 24, 63, 24},
      {180, 63, 24, 47, 24, 0, 24}, {45, 0, 47, 16, 35, 63, 0},   {135, 63, 47, 47, 35, 0, 0},
  };
  for (const auto& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.drawGradient({0, 0, 64, 48}, opaqueBlack, clear, c.angle);
    EXPECT_GT(probePixel(context, c.darkColumn, c.darkRow).a, 240) << c.angle;
    EXPECT_NEAR(probePixel(context, c.quarterColumn, c.quarterRow).a, 189, 6) << c.angle;
    EXPECT_NEAR(probePixel(context, 32, 24).a, 128, 12) << c.angle;
    EXPECT_LT(probePixel(context, c.clearColumn, c.clearRow).a, 15) << c.angle;
  }
}

TEST(CairoGradient, DarkBandsOverDarkPicturesShowNoSteps) {
  // A 4K-tall scrim over a flat dark picture: averaged over the dither's 16×16 cells, every
  // stretch of the band lies on the straight ramp it should be, not on a staircase of whole
  // levels (which strays by up to half a level). That the dither stays put from one frame to
  // the next is RowPasses' to see.
  constexpr int width = 32;
  constexpr int height = 2160;
  constexpr int cell = 16;
  CairoGraphicsContext context(width, height);
  context.fillRect({0, 0, width, height}, {30 / 255.0, 30 / 255.0, 30 / 255.0, 1});
  context.drawGradient({0, 0, width, height}, {0, 0, 0, 0.6}, clear, 90);
  const std::vector<std::uint8_t> frame = frameBytes(context);
  for (int channel = 0; channel < 3; ++channel) {
    std::vector<double> means;
    for (int top = 0; top + cell <= height; top += cell) {
      double sum = 0;
      for (int y = top; y < top + cell; ++y) {
        for (int x = 0; x < cell; ++x) sum += frame[(y * width + x) * 4 + channel];
      }
      means.push_back(sum / (cell * cell));
    }
    double worst = 0;
    for (std::size_t i = 0; i < means.size(); ++i) {
      const double ramp = means.front() + (means.back() - means.front()) * static_cast<double>(i) /
                                              static_cast<double>(means.size() - 1);
      worst = std::max(worst, std::fabs(means[i] - ramp));
    }
    EXPECT_LT(worst, 0.15) << "channel " << channel;
  }
}

TEST(CairoRobustness, NonFiniteInputDrawsNothing) {
  const Image image = solidRed();
  const Rect badRects[] = {
      {nan, 0, 10, 10}, {0, 0, inf, 10}, {0, -inf, 10, 10}, {0, 0, 10, inf}, {0, 0, 10, -inf},
  };
  for (const Rect& rect : badRects) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.fillRect(rect, opaqueRed);
    context.fillRoundedRect(rect, 2, opaqueRed);
    context.drawGradient(rect, opaqueRed, opaqueRed, 0);
    context.drawImage(image, rect, 1);
    context.drawImage(image, rect, 0.5);
    EXPECT_FALSE(probeInk(context).found) << rect.minX() << "," << rect.minY();
    expectStillDraws(context);
  }
  // Good rects with unusable colours, radii, angles and fractions; a fraction that is not
  // positive draws nothing too.
  const Rect rect{0, 0, 10, 10};
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.fillRect(rect, {nan, 0, 0, 1});
  context.fillRoundedRect(rect, nan, opaqueRed);
  context.fillRoundedRect(rect, inf, opaqueRed);
  context.drawGradient(rect, opaqueRed, opaqueRed, nan);
  context.drawGradient(rect, {0, 0, 0, inf}, opaqueRed, 0);
  for (const double fraction : {nan, inf, 0.0, -1.0}) context.drawImage(image, rect, fraction);
  EXPECT_FALSE(probeInk(context).found);
  expectStillDraws(context);
}

TEST(CairoRobustness, ExtremeFiniteGeometryKeepsTheContextDrawing) {
  const Image image = solidRed();
  constexpr double huge = 1e300;
  constexpr double tiny = 1e-300;
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.fillRect({huge, huge, huge, huge}, opaqueRed);
  context.fillRoundedRect({-huge, -huge, huge, huge}, huge, opaqueRed);
  context.fillRoundedRect({3, 3, tiny, tiny}, 1, opaqueRed);
  context.drawGradient({-huge, 0, huge, 10}, opaqueRed, clear, 1e200);
  context.drawGradient({3, 3, tiny, tiny}, opaqueRed, clear, 33);
  context.drawImage(image, {-huge, -huge, huge, huge}, 1);
  context.drawImage(image, {3, 3, tiny, tiny}, 0.5);
  context.drawImage(image, {3, 3, 0.05, 0.05}, 1);
  context.drawImage(image, {-1e6, -1e6, 2e6, 2e6}, 0.5);
  expectStillDraws(context);
  // A frame of no size is one pixel. (The new size of a usable one, and that nothing held back
  // survives it, are TextRasterCache.ResizedFramesDrawNoStaleRasters' to see.)
  context.resize(0, -3);
  EXPECT_EQ(context.width(), 1);
  EXPECT_EQ(context.height(), 1);
}

TEST(CairoSurface, ExplainsAFrameItCannotWrite) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  std::string error;
  const std::string prefix = "cannot write /nonexistent-brivora-dir/frame.png: ";
  EXPECT_FALSE(context.writePng("/nonexistent-brivora-dir/frame.png", error));
  EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
  EXPECT_GT(error.size(), prefix.size());  // a reason follows
  EXPECT_EQ(error.find('\n'), std::string::npos);
  // What a written frame holds is render's to check (RenderCommand.WritesPngFramesOfTheAskedSize).
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
