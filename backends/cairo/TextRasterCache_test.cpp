#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/cairo/FrameProbe.h"
#include "backends/cairo/TextCache.h"
#include "platform/Text.h"
#include "tests/support/CairoFrames.h"

namespace brivora {
namespace {

using testing::frameBytes;
using testing::largestDifference;

constexpr int wideWidth = 160;
constexpr int wideHeight = 64;
constexpr Point at{10, 14};
constexpr Color white{1, 1, 1, 1};
// Sub-pixel steps a pixel's move is drawn in.
constexpr int rasterSteps = 8;

AttributedString line(std::string string, Font font, std::optional<Shadow> shadow = {},
                      Color color = opaqueBlack) {
  return {.string = std::move(string), .font = font, .color = color, .kern = 0, .shadow = shadow};
}

// Texts whose rasters differ in kind: plain glyphs, a sharp or blurred shadow, italic.
struct CachedCase {
  const char* what;
  AttributedString text;
};
const CachedCase cachedCases[] = {
    {"plain", line("Hello", {.size = 32})},
    {"sharp shadow", line("Hello", {.size = 32}, Shadow{{1, 0, 0, 1}, 0, {2, -3}})},
    {"blurred shadow", line("10:45", {.size = 30}, Shadow{{0, 0, 0, 0.55}, 8, {0, -2}})},
    {"italic", line("Credit", {.size = 24, .italic = true}, Shadow{opaqueBlack, 6, {}})},
};

// `text` drawn at `point` over opaque white, so a frame can be drawn again over the last one.
void drawOverWhite(CairoGraphicsContext& context, const AttributedString& text, Point point = at) {
  context.fillRect(
      {0, 0, static_cast<double>(context.width()), static_cast<double>(context.height())}, white);
  context.drawText(text, point);
}

std::vector<std::uint8_t> freshFrame(const AttributedString& text, Point point = at) {
  CairoGraphicsContext context(wideWidth, wideHeight);
  drawOverWhite(context, text, point);
  return frameBytes(context);
}

TEST(TextRasterCache, RedrawsAndFadesOnlyCompositeAndMatchFreshDraws) {
  for (const CachedCase& c : cachedCases) {
    SCOPED_TRACE(c.what);
    CairoGraphicsContext context(wideWidth, wideHeight);
    drawOverWhite(context, c.text);
    const std::vector<std::uint8_t> first = frameBytes(context);
    const TextCacheStats drawn = context.textCacheStats();
    EXPECT_EQ(drawn.shapings, 1u);

    drawOverWhite(context, c.text);
    EXPECT_EQ(frameBytes(context), first);
    // A fade changes only the colour, and a whole-pixel move inside the frame only the place.
    for (const double alpha : {0.75, 0.5, 0.2}) {
      AttributedString faded = c.text;
      faded.color = Color{0, 0, 0, alpha};
      drawOverWhite(context, faded);
      EXPECT_LE(largestDifference(frameBytes(context), freshFrame(faded)), 1) << alpha;
    }
    drawOverWhite(context, c.text, {at.x + 7, at.y + 3});
    EXPECT_EQ(frameBytes(context), freshFrame(c.text, {at.x + 7, at.y + 3}));
    const TextCacheStats redrawn = context.textCacheStats();
    EXPECT_EQ(redrawn.shapings, drawn.shapings);
    EXPECT_EQ(redrawn.rasterisations, drawn.rasterisations);
    EXPECT_EQ(redrawn.rasters, drawn.rasters);
  }
}

// The centre of the ink's coverage over white, in surface pixels (rows of `width` pixels).
Point inkCentre(const std::vector<std::uint8_t>& bytes, int width) {
  double coverage = 0;
  Point weighted;
  for (std::size_t index = 0; index < bytes.size() / 4; ++index) {
    const double ink = 255 - bytes[index * 4 + 2];  // the red channel
    coverage += ink;
    weighted.x += ink * static_cast<double>(index % width);
    weighted.y += ink * static_cast<double>(index / width);
  }
  return {weighted.x / coverage, weighted.y / coverage};
}

TEST(TextRasterCache, SubPixelStepsMoveTheInkSmoothly) {
  // The ink follows every eighth of a pixel within half a step (Cairo samples coverage in
  // fifteenths of a row); a whole pixel's move draws the same raster again.
  constexpr double tolerance = 0.5 / rasterSteps;
  const AttributedString text = line("Hello", {.size = 20});
  const struct {
    int dx, dy;  // on the surface, y down
  } directions[] = {{1, 0}, {0, 1}};
  for (const auto& direction : directions) {
    SCOPED_TRACE(::testing::Message() << direction.dx << "," << direction.dy);
    CairoGraphicsContext context(wideWidth, wideHeight);
    drawOverWhite(context, text);
    const Point startCentre = inkCentre(frameBytes(context), wideWidth);
    for (int step = 1; step <= rasterSteps; ++step) {
      const double moved = static_cast<double>(step) / rasterSteps;
      drawOverWhite(context, text, {at.x + direction.dx * moved, at.y - direction.dy * moved});
      const Point centre = inkCentre(frameBytes(context), wideWidth);
      EXPECT_NEAR(centre.x - startCentre.x, direction.dx * moved, tolerance) << step;
      EXPECT_NEAR(centre.y - startCentre.y, direction.dy * moved, tolerance) << step;
    }
  }
}

AttributedString countdownText(int n, Font font, std::optional<Shadow> shadow) {
  return line("0:" + std::to_string(100 + n), font, shadow);
}

TEST(TextRasterCache, StreamsOfNewTextStayWithinTheBudgets) {
  const struct {
    const char* what;
    int width, height, count;
    Font font;
    std::optional<Shadow> shadow;
    bool fillsRasterBudget;
  } streams[] = {
      // A countdown's new string every second: more lines than the shaping budget.
      {"countdown", wideWidth, wideHeight, 400, {.size = 14, .monospacedDigits = true}, {}, false},
      // Lines filling a large frame: more raster bytes than the budget.
      {"large", 1000, 1000, 48, {.size = 300}, Shadow{opaqueBlack, 4, {0.5, -1}}, true},
  };
  for (const auto& stream : streams) {
    SCOPED_TRACE(stream.what);
    CairoGraphicsContext context(stream.width, stream.height);
    std::size_t mostBytes = 0;
    for (int n = 0; n < stream.count; ++n) {
      context.drawText(countdownText(n, stream.font, stream.shadow), {4, 4});
      const TextCacheStats stats = context.textCacheStats();
      ASSERT_LE(stats.shapedTexts, shapedTextBudget) << n;
      ASSERT_LE(stats.rasterBytes, textRasterBudgetBytes) << n;
      mostBytes = std::max(mostBytes, stats.rasterBytes);
    }
    const TextCacheStats stats = context.textCacheStats();
    EXPECT_EQ(stats.shapings, static_cast<std::uint64_t>(stream.count));
    EXPECT_EQ(stats.shapedTexts, std::min<std::size_t>(stream.count, shapedTextBudget));
    if (stream.fillsRasterBudget) {
      EXPECT_GT(mostBytes, textRasterBudgetBytes * 3 / 4);
    }
    // The newest line is still kept: drawing it again shapes and rasterises nothing.
    context.drawText(countdownText(stream.count - 1, stream.font, stream.shadow), {4, 4});
    EXPECT_EQ(context.textCacheStats().shapings, stats.shapings);
    EXPECT_EQ(context.textCacheStats().rasterisations, stats.rasterisations);
  }
}

TEST(TextRasterCache, RastersStayWithinTheFrame) {
  // Whatever the line's length or the blur's width, a raster holds at most the frame.
  const struct {
    const char* what;
    AttributedString text;
  } cases[] = {
      {"long credit line", line(std::string(10000, 'W'), {.size = 13, .italic = true},
                                Shadow{opaqueBlack, 6, {0, -1}})},
      {"vast blur", line("Hello", {.size = 16}, Shadow{opaqueBlack, 1e9, {0, -2}})},
      {"text larger than the frame", line("Hg", {.size = 400}, Shadow{opaqueBlack, 40, {3, 3}})},
  };
  for (const auto& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.drawText(c.text, {-20, -10});
    const TextCacheStats stats = context.textCacheStats();
    EXPECT_EQ(stats.rasters, 2u) << c.what;
    EXPECT_LE(stats.rasterBytes, std::size_t{2 * frameWidth * frameHeight}) << c.what;
    EXPECT_TRUE(probeInk(context).found) << c.what;
  }
}

TEST(TextRasterCache, ResizedFramesDrawNoStaleRasters) {
  // The first frame cuts the text off at its right edge; the larger one shows all of it.
  const AttributedString text = line("Hello", {.size = 32}, Shadow{{1, 0, 0, 1}, 6, {0, -3}});
  const Point point{40, 12};
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawText(text, point);
  context.resize(wideWidth, wideHeight);
  EXPECT_EQ(context.textCacheStats().rasters, 0u);
  EXPECT_FALSE(probeInk(context).found);  // nor the text held back for the old frame
  drawOverWhite(context, text, point);
  EXPECT_EQ(frameBytes(context), freshFrame(text, point));
}

}  // namespace
}  // namespace brivora
