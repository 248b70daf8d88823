#include "backends/cairo/CairoGraphicsContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "backends/cairo/FrameProbe.h"
#include "platform/Image.h"

namespace brivora {
namespace {

constexpr int frameWidth = 64;
constexpr int frameHeight = 48;
constexpr Color opaqueRed{1, 0, 0, 1};
constexpr Color opaqueBlack{0, 0, 0, 1};
constexpr Color clear{0, 0, 0, 0};
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

bool isBlank(CairoGraphicsContext& context) {
  return !probeInk(context).found;
}

TEST(CairoFill, FlipsViewRectsOntoSurfaceRows) {
  struct Case {
    Rect rect;
    InkBounds expected;
  };
  const Case cases[] = {
      {{0, 0, 64, 8}, {true, 0, 40, 64, 48}},           // bottom band → last rows
      {{0, 40, 64, 8}, {true, 0, 0, 64, 8}},            // top band → first rows
      {{10, 20, 5, 3}, {true, 10, 25, 15, 28}},         // rows 48 − 20 − 3 … 48 − 20
      {{15, 23, -5, -3}, {true, 10, 25, 15, 28}},       // negative sizes cover the same pixels
      {{-100, -100, 120, 110}, {true, 0, 38, 20, 48}},  // clipped at the frame
  };
  for (const Case& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.fillRect(c.rect, opaqueRed);
    const InkBounds ink = probeInk(context);
    EXPECT_TRUE(ink.found);
    EXPECT_EQ(ink.left, c.expected.left) << c.rect.minX() << "," << c.rect.minY();
    EXPECT_EQ(ink.top, c.expected.top) << c.rect.minX() << "," << c.rect.minY();
    EXPECT_EQ(ink.right, c.expected.right) << c.rect.minX() << "," << c.rect.minY();
    EXPECT_EQ(ink.bottom, c.expected.bottom) << c.rect.minX() << "," << c.rect.minY();
    const ProbedPixel inside = probePixel(context, ink.left, ink.top);
    EXPECT_EQ(inside.a, 255);
    EXPECT_EQ(inside.r, 255);
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
  struct Case {
    double radius;
    bool cornerFilled;
  };
  // Rect (8, 8, 48, 32) covers surface columns 8…55 and rows 8…39.
  const Case cases[] = {{10, false}, {100, false}, {0, true}, {-5, true}};
  for (const Case& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.fillRoundedRect({8, 8, 48, 32}, c.radius, opaqueRed);
    EXPECT_EQ(probePixel(context, 32, 24).a, 255) << c.radius;
    EXPECT_EQ(probePixel(context, 8, 8).a == 255, c.cornerFilled) << c.radius;
    EXPECT_EQ(probePixel(context, 55, 39).a == 255, c.cornerFilled) << c.radius;
    if (!c.cornerFilled) {
      EXPECT_EQ(probePixel(context, 8, 8).a, 0) << c.radius;
    }
    // A radius past half the height still reaches the middle of the short sides.
    EXPECT_GT(probePixel(context, 8, 24).a, 200) << c.radius;
    EXPECT_EQ(probePixel(context, 7, 24).a, 0) << c.radius;
  }
}

TEST(CairoGradient, RunsAlongTheAngleInViewCoordinates) {
  struct Case {
    double angle;
    int darkColumn, darkRow;    // where the opaque start colour lies
    int clearColumn, clearRow;  // where the clear end colour lies
  };
  const Case cases[] = {
      {90, 32, 47, 32, 0},   // start along the lower edge
      {270, 32, 0, 32, 47},  // start along the upper edge
      {0, 0, 24, 63, 24},    // start along the left edge
      {180, 63, 24, 0, 24},
  };
  for (const Case& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.drawGradient({0, 0, 64, 48}, opaqueBlack, clear, c.angle);
    EXPECT_GT(probePixel(context, c.darkColumn, c.darkRow).a, 240) << c.angle;
    EXPECT_LT(probePixel(context, c.clearColumn, c.clearRow).a, 15) << c.angle;
    EXPECT_NEAR(probePixel(context, 32, 24).a, 128, 12) << c.angle;
  }
}

TEST(CairoGradient, DarkensSteadilyTowardsTheStart) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawGradient({0, 0, 64, 48}, opaqueBlack, clear, 90);
  for (int row = 1; row < frameHeight; ++row) {
    EXPECT_GE(probePixel(context, 10, row).a, probePixel(context, 10, row - 1).a) << row;
  }
}

TEST(CairoGradient, FillsOnlyTheRect) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawGradient({10, 20, 5, 3}, opaqueBlack, opaqueRed, 45);
  const InkBounds ink = probeInk(context);
  EXPECT_EQ(ink.left, 10);
  EXPECT_EQ(ink.top, 25);
  EXPECT_EQ(ink.right, 15);
  EXPECT_EQ(ink.bottom, 28);
}

TEST(CairoRobustness, NonFiniteInputDrawsNothing) {
  const auto red = std::make_shared<ImagePixels>(ImagePixels{2, 2, {4, 0xffff0000u}});
  const Image image("red.png", {2, 2}, red);
  const std::vector<std::function<void(CairoGraphicsContext&)>> calls = {
      [](auto& c) {
        c.fillRect({nan, 0, 10, 10}, opaqueRed);
      },
      [](auto& c) {
        c.fillRect({0, 0, inf, 10}, opaqueRed);
      },
      [](auto& c) {
        c.fillRect({0, 0, 10, 10}, {nan, 0, 0, 1});
      },
      [](auto& c) {
        c.fillRoundedRect({0, 0, 10, 10}, nan, opaqueRed);
      },
      [](auto& c) {
        c.fillRoundedRect({0, -inf, 10, 10}, 2, opaqueRed);
      },
      [](auto& c) {
        c.fillRoundedRect({0, 0, 10, 10}, inf, opaqueRed);
      },
      [](auto& c) {
        c.drawGradient({0, 0, 10, 10}, opaqueRed, opaqueRed, nan);
      },
      [](auto& c) {
        c.drawGradient({0, 0, 10, inf}, opaqueRed, opaqueRed, 0);
      },
      [](auto& c) {
        c.drawGradient({0, 0, 10, 10}, {0, 0, 0, inf}, opaqueRed, 0);
      },
      [&](auto& c) {
        c.drawImage(image, {0, 0, 10, 10}, nan);
      },
      [&](auto& c) {
        c.drawImage(image, {0, 0, 10, 10}, inf);
      },
      [&](auto& c) {
        c.drawImage(image, {0, 0, 10, 10}, 0);
      },
      [&](auto& c) {
        c.drawImage(image, {0, 0, 10, 10}, -1);
      },
      [&](auto& c) {
        c.drawImage(image, {nan, 0, 10, 10}, 1);
      },
      [&](auto& c) {
        c.drawImage(image, {0, 0, 10, -inf}, 0.5);
      },
  };
  for (std::size_t i = 0; i < calls.size(); ++i) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    calls[i](context);
    EXPECT_TRUE(isBlank(context)) << "call " << i;
    // The context still draws afterwards.
    context.fillRect({0, 0, 1, 1}, opaqueRed);
    EXPECT_EQ(probePixel(context, 0, 47).a, 255) << "call " << i;
  }
}

TEST(CairoRobustness, ExtremeFiniteGeometryKeepsTheContextDrawing) {
  const auto red = std::make_shared<ImagePixels>(ImagePixels{2, 2, {4, 0xffff0000u}});
  const Image image("red.png", {2, 2}, red);
  constexpr double huge = 1e300;
  constexpr double tiny = 1e-300;
  const std::vector<std::function<void(CairoGraphicsContext&)>> calls = {
      [](auto& c) {
        c.fillRect({huge, huge, huge, huge}, opaqueRed);
      },
      [](auto& c) {
        c.fillRoundedRect({-huge, -huge, huge, huge}, huge, opaqueRed);
      },
      [](auto& c) {
        c.fillRoundedRect({3, 3, tiny, tiny}, 1, opaqueRed);
      },
      [](auto& c) {
        c.drawGradient({-huge, 0, huge, 10}, opaqueRed, clear, 1e200);
      },
      [](auto& c) {
        c.drawGradient({3, 3, tiny, tiny}, opaqueRed, clear, 33);
      },
      [&](auto& c) {
        c.drawImage(image, {-huge, -huge, huge, huge}, 1);
      },
      [&](auto& c) {
        c.drawImage(image, {3, 3, tiny, tiny}, 0.5);
      },
      [&](auto& c) {
        c.drawImage(image, {3, 3, 0.05, 0.05}, 1);
      },
      [&](auto& c) {
        c.drawImage(image, {-1e6, -1e6, 2e6, 2e6}, 0.5);
      },
  };
  for (std::size_t i = 0; i < calls.size(); ++i) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    calls[i](context);
    context.fillRect({63, 47, 1, 1}, opaqueRed);
    const ProbedPixel corner = probePixel(context, 63, 0);
    EXPECT_EQ(corner.a, 255) << "call " << i;
    EXPECT_EQ(corner.r, 255) << "call " << i;
  }
}

TEST(CairoSurface, ResizeGivesAClearSurfaceOfTheNewSize) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.fillRect({0, 0, 64, 48}, opaqueRed);
  context.resize(20, 10);
  EXPECT_EQ(context.width(), 20);
  EXPECT_EQ(context.height(), 10);
  EXPECT_GE(context.stride(), 20 * 4);
  EXPECT_TRUE(isBlank(context));
  context.resize(0, -3);
  EXPECT_EQ(context.width(), 1);
  EXPECT_EQ(context.height(), 1);
}

TEST(CairoSurface, WritesPngsAndExplainsFailure) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.fillRect({0, 0, 10, 10}, opaqueRed);

  std::string error;
  const std::filesystem::path unwritable = "/nonexistent-brivora-dir/frame.png";
  EXPECT_FALSE(context.writePng(unwritable, error));
  EXPECT_EQ(error.rfind("cannot write /nonexistent-brivora-dir/frame.png: ", 0), 0u) << error;
  EXPECT_GT(error.size(), std::string("cannot write /nonexistent-brivora-dir/frame.png: ").size());
  EXPECT_EQ(error.find('\n'), std::string::npos);

  const std::filesystem::path written =
      std::filesystem::temp_directory_path() / "brivora-cairo-frame-test.png";
  error.clear();
  ASSERT_TRUE(context.writePng(written, error)) << error;
  std::ifstream file(written, std::ios::binary);
  char signature[8] = {};
  file.read(signature, sizeof signature);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  std::filesystem::remove(written);
}

}  // namespace
}  // namespace brivora
