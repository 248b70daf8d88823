#include "backends/cairo/CairoGraphicsContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "backends/cairo/FrameProbe.h"
#include "platform/Image.h"
#include "tests/support/CairoFrames.h"

namespace brivora {
namespace {

constexpr Color clear{0, 0, 0, 0};

// A usable image: every pixel it has, so only the rect or fraction can stop it.
Image redImage() {
  return testing::imageOf({2, 2, std::vector<std::uint32_t>(4, 0xffff0000u)});
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
  const std::vector<std::uint8_t> frame = testing::frameBytes(context);
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
  const Image image = redImage();
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
  const Image image = redImage();
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
}

// The new size, and that nothing held back survives it, are
// TextRasterCache.ResizedFramesDrawNoStaleRasters' to see.
TEST(CairoSurface, ResizesToAtLeastOnePixel) {
  CairoGraphicsContext context(frameWidth, frameHeight);
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

}  // namespace
}  // namespace brivora
