#include "backends/cairo/CairoGraphicsContext.h"

#include <gtest/gtest.h>

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "backends/cairo/FrameProbe.h"
#include "backends/cairo/ShadowBlur.h"
#include "backends/cairo/TextCache.h"
#include "backends/cairo/TextLayout.h"
#include "platform/Text.h"
#include "tests/support/CairoFrames.h"

namespace brivora {
namespace {

using testing::frameBytes;
using testing::largestDifference;

constexpr Point at{8, 12};

// "Hello" in 16-point type.
AttributedString hello(std::optional<Color> color = {}, std::optional<Shadow> shadow = {},
                       double kern = 0) {
  return {
      .string = "Hello", .font = Font{.size = 16}, .color = color, .kern = kern, .shadow = shadow};
}

AttributedString text(std::string string, Font font, std::optional<Shadow> shadow = {}) {
  return {.string = std::move(string), .font = font, .color = {}, .kern = 0, .shadow = shadow};
}

InkBounds inkOf(const AttributedString& attributed, Point point = at) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawText(attributed, point);
  return probeInk(context);
}

// Text this far above `at` falls off the top of the frame.
constexpr double lift = 60;

// The ink of "Hello" drawn above the frame with its shadow brought back down by `lift`, so
// only the shadow shows, where the text at `at` would be moved by the shadow's offset.
InkBounds shadowInk(Shadow shadow) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  shadow.offset.height -= lift;
  context.drawText(hello({}, shadow), {at.x, at.y + lift});
  return probeInk(context);
}

double widthOf(const AttributedString& attributed) {
  static CairoGraphicsContext context(1, 1);
  return context.measureText(attributed).width;
}

TEST(CairoText, MeasuresTheLineAndNothingForEmptyText) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  const Size size = context.measureText(text("Hello", {.size = 20}));
  EXPECT_GT(size.width, 20);
  EXPECT_LT(size.width, 80);
  EXPECT_GE(size.height, 20);
  EXPECT_LT(size.height, 40);
  EXPECT_EQ(context.measureText(text("", {.size = 20})), (Size{0, 0}));
  EXPECT_NEAR(context.measureText(text("Hello", {.size = 40})).width, 2 * size.width, 0.5);
  // An absent font is the 12-point standard regular one.
  const AttributedString plain{.string = "Hello"};
  EXPECT_EQ(context.measureText(plain), context.measureText(text("Hello", {.size = 12})));
}

// How much ink a text leaves: the sum of its coverage over the frame.
double inkWeight(const AttributedString& attributed) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawText(attributed, at);
  const std::vector<std::uint8_t> bytes = frameBytes(context);
  double sum = 0;
  for (std::size_t alpha = 3; alpha < bytes.size(); alpha += 4) sum += bytes[alpha];
  return sum;
}

TEST(CairoText, EveryDesignAndWeightHasFacesForAllItsCharactersAndHeavierOnesLeaveMoreInk) {
  const PangoFontMapHandle fontMap(pango_cairo_font_map_new());
  const PangoContextHandle pango(pango_font_map_create_context(fontMap.get()));
  for (const FontDesign design : {FontDesign::standard, FontDesign::rounded, FontDesign::serif}) {
    double lightest = 0;
    double lighter = 0;
    for (const FontWeight weight : allFontWeights) {  // from ultra light to black
      SCOPED_TRACE(::testing::Message() << fontDesignName(design) << " " << fontWeightName(weight));
      // The countdown's day sign comes from a CJK face, never a missing-glyph box.
      const PangoLayoutHandle layout = makeTextLayout(
          pango.get(),
          text("88 天  88:88:88 Mira Solberg", {.size = 20, .weight = weight, .design = design}));
      EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout.get()), 0);
      const double ink = inkWeight(text("Hello", {.size = 20, .weight = weight, .design = design}));
      // A family without a weight uses its nearest, so neighbours may tie.
      EXPECT_GE(ink, lighter);
      if (lightest == 0) lightest = ink;
      lighter = ink;
    }
    EXPECT_GT(lighter, 1.3 * lightest) << fontDesignName(design);
  }
}

TEST(CairoText, DigitsSerifAndKernChangeTheWidth) {
  // Weights are the ink test's, above.
  const struct {
    const char* what;
    AttributedString measured, reference;
    double least, most;  // bounds on the width difference
  } cases[] = {
      {"proportional digits", text("1111", {.size = 16}), text("0000", {.size = 16}), -inf, -0.01},
      {"monospaced digits", text("1111", {.size = 16, .monospacedDigits = true}),
       text("0000", {.size = 16, .monospacedDigits = true}), -0.01, 0.01},
      // Four or five gaps, depending on whether the last character gets its spacing.
      {"kern -1", hello({}, {}, -1), hello(), -5.1, -3.9},
      {"kern 2", hello({}, {}, 2), hello(), 7.9, 10.1},
  };
  for (const auto& c : cases) {
    const double difference = widthOf(c.measured) - widthOf(c.reference);
    EXPECT_GE(difference, c.least) << c.what;
    EXPECT_LE(difference, c.most) << c.what;
  }
  EXPECT_NE(widthOf(text("Hello", {.size = 16, .design = FontDesign::serif})), widthOf(hello()));
}

TEST(CairoText, ItalicLeansTheInkRight) {
  const InkBounds upright = inkOf(text("llll", {.size = 32}), {4, 4});
  const InkBounds slanted = inkOf(text("llll", {.size = 32, .italic = true}), {4, 4});
  EXPECT_GT(slanted.right - slanted.left, upright.right - upright.left);
}

TEST(CairoText, InkFallsInsideTheMeasuredBoxAtThePoint) {
  // Anti-aliasing may shade a pixel or two past the logical box.
  constexpr int tolerance = 2;
  for (const Point point : {Point{6, 10}, Point{2.5, 20.25}, Point{0, 0}}) {
    SCOPED_TRACE(::testing::Message() << point.x << "," << point.y);
    CairoGraphicsContext context(frameWidth, frameHeight);
    const Size size = context.measureText(hello());
    context.drawText(hello(), point);
    // The measured box on the surface, y down.
    const double bottom = frameHeight - point.y;
    const double top = bottom - size.height;
    const InkBounds ink = probeInk(context);
    ASSERT_TRUE(ink.found);
    EXPECT_GE(ink.left, std::floor(point.x) - tolerance);
    EXPECT_GE(ink.top, std::floor(top) - tolerance);
    EXPECT_LE(ink.right, std::ceil(point.x + size.width) + tolerance);
    EXPECT_LE(ink.bottom, std::ceil(bottom) + tolerance);
    // The capital H fills most of the box's upper part, not just a corner of it.
    EXPECT_LE(ink.left, std::floor(point.x) + 3);
    EXPECT_LE(ink.top, std::floor(top) + 6);
  }
}

TEST(CairoText, DrawsInItsColourOrOpaqueBlack) {
  const struct {
    std::optional<Color> color;
    ProbedPixel maxima;
  } cases[] = {{std::nullopt, {255, 0, 0, 0}}, {Color{1, 0, 0, 1}, {255, 255, 0, 0}}};
  for (const auto& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.drawText(hello(c.color), {2, 10});
    EXPECT_EQ(channelMaxima(context), c.maxima);
  }
}

TEST(CairoText, SharpShadowIsTheTextMovedByTheOffsetWhereItCanShow) {
  const struct {
    Shadow shadow;
    bool shows;
    int dx, dy;  // on the surface, y down
  } cases[] = {
      {{opaqueBlack, 0, {0, -4}}, true, 0, 4},
      {{opaqueBlack, 0, {3, 2}}, true, 3, -2},
      {{opaqueBlack, 0, {-2, 0}}, true, -2, 0},
      {{{0, 0, 0, 0}, 2, {0, -4}}, false, 0, 0},     // clear
      {{{0, 0, 0, -1}, 2, {0, -4}}, false, 0, 0},    // below clear
      {{opaqueBlack, 2, {1e9, 0}}, false, 0, 0},     // far off the frame
      {{opaqueBlack, 0, {0, -1e300}}, false, 0, 0},  // beyond any surface
  };
  const InkBounds plain = inkOf(hello());
  for (const auto& c : cases) {
    const InkBounds moved{true, plain.left + c.dx, plain.top + c.dy, plain.right + c.dx,
                          plain.bottom + c.dy};
    EXPECT_EQ(shadowInk(c.shadow), c.shows ? moved : InkBounds{}) << c.shadow.offset.width;
  }
}

TEST(CairoText, TextIsDrawnOverItsShadow) {
  // An opaque red shadow right under black text: text on top leaves at most a quarter of red
  // in its anti-aliased edges, a shadow on top would show solid red.
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawText(hello({}, Shadow{{1, 0, 0, 1}, 0, {}}), at);
  EXPECT_EQ(channelMaxima(context).a, 255);
  EXPECT_LT(channelMaxima(context).r, 100);
}

TEST(CairoText, BlurredShadowSpreadsSoftly) {
  const InkBounds sharp = shadowInk(Shadow{opaqueBlack, 0, {}});
  const InkBounds blurred = shadowInk(Shadow{opaqueBlack, 6, {}});
  // σ is half the blur radius, 3 here: the ink fades out two to three σ past the sharp edge;
  // that it keeps its amount is ShadowBlur's to see.
  EXPECT_GE(sharp.left - blurred.left, 5);
  EXPECT_LE(sharp.left - blurred.left, 9);
  EXPECT_GE(blurred.bottom - sharp.bottom, 5);
  EXPECT_LE(blurred.bottom - sharp.bottom, 9);
}

// The blur of a shadow's mask itself; how far it reaches on a text shadow is above.
TEST(ShadowBlur, SpreadsInkEvenlyWithinTheSpreadKeepingItsAmountAndTheRowPadding) {
  constexpr int side = 61;
  constexpr int stride = 64;  // rows padded, as Cairo's A8 masks are
  constexpr int centre = side / 2;
  constexpr std::uint8_t padding = 77;
  for (const double sigma : {1.5, 2.5, 4.0}) {
    std::vector<std::uint8_t> mask(stride * side, padding);
    for (int y = 0; y < side; ++y) std::fill_n(&mask[y * stride], side, 0);
    // A 3 × 3 opaque dot, so the blurred values stay well above rounding.
    for (int y = centre - 1; y <= centre + 1; ++y)
      std::fill_n(&mask[y * stride + centre - 1], 3, 255);
    blurAlphaMask(mask.data(), side, side, stride, sigma);

    double after = 0;
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) after += mask[y * stride + x];
      for (int x = side; x < stride; ++x) ASSERT_EQ(mask[y * stride + x], padding) << sigma;
    }
    EXPECT_NEAR(after, 9 * 255, 0.05 * 9 * 255) << sigma;
    const auto value = [&](int dx, int dy) {
      return static_cast<int>(mask[(centre + dy) * stride + centre + dx]);
    };
    EXPECT_LT(value(0, 0), 255) << sigma;
    EXPECT_GT(value(0, 0), value(2, 0)) << sigma;
    EXPECT_EQ(value(3, 0), value(-3, 0)) << sigma;
    EXPECT_EQ(value(0, 3), value(0, -3)) << sigma;
    EXPECT_NEAR(value(3, 0), value(0, 3), 1) << sigma;  // rounded across, then down
    // The dot reaches one pixel out; the blur no further than its spread beyond that.
    const int reach = shadowBlurSpread(sigma) + 1;
    EXPECT_EQ(value(reach + 1, 0), 0) << sigma;
    EXPECT_EQ(value(0, -(reach + 1)), 0) << sigma;
  }
}

TEST(CairoText, ShadowAlphaIsTheShadowColourTimesTheTextAlpha) {
  // Blue text above the frame casts a red shadow into it. A sharp shadow of 32-point type
  // fully covers some pixels, so the most opaque shows the shadow's alpha.
  const struct {
    double textAlpha, shadowAlpha;
    int mostAlpha;  // of 255
  } cases[] = {
      {0.5, 1, 128},   // text at half casts half the shadow
      {1, 0.5, 128},   // opaque text casts the shadow colour's alpha
      {0.5, 0.5, 64},  // the two multiply
      {2, 0.5, 128},   // beyond opaque counts as opaque
      {0, 1, 0},       // clear text casts no shadow
  };
  for (const auto& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.drawText({.string = "H",
                      .font = Font{.size = 32},
                      .color = Color{0, 0, 1, c.textAlpha},
                      .kern = 0,
                      .shadow = Shadow{{1, 0, 0, c.shadowAlpha}, 0, {0, -lift}}},
                     {at.x, at.y + lift});
    const ProbedPixel most = channelMaxima(context);
    EXPECT_NEAR(most.a, c.mostAlpha, 1) << c.textAlpha << " " << c.shadowAlpha;
    EXPECT_EQ(most.r, most.a) << c.textAlpha << " " << c.shadowAlpha;
  }
}

TEST(CairoText, UnusableValuesMeasureZeroAndDrawNothing) {
  const AttributedString unusable[] = {
      text("Hello", {.size = nan}),
      text("Hello", {.size = inf}),
      text("Hello", {.size = 0}),
      text("Hello", {.size = -12}),
      hello({}, {}, nan),
      hello(Color{nan, 0, 0, 1}),
      hello({}, Shadow{opaqueBlack, nan, {0, -4}}),
      hello({}, Shadow{opaqueBlack, 2, {inf, 0}}),
  };
  for (const AttributedString& attributed : unusable) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    EXPECT_EQ(context.measureText(attributed), (Size{0, 0})) << &attributed - unusable;
    context.drawText(attributed, at);
    EXPECT_FALSE(probeInk(context).found) << &attributed - unusable;
  }
  for (const Point point : {Point{nan, 12}, Point{8, inf}, Point{1e300, 12}}) {
    EXPECT_FALSE(inkOf(hello(), point).found) << point.x << "," << point.y;
  }
}

// Text rasters kept from frame to frame.
constexpr int wideWidth = 160;
constexpr Point inside{10, 14};  // a move by (7, 3) keeps clear of the frame's edges
constexpr int wideHeight = 64;
// Sub-pixel steps a pixel's move is drawn in.
constexpr int rasterSteps = 8;

// Texts whose rasters differ in kind: plain glyphs, a sharp or blurred shadow, italic.
struct CachedCase {
  const char* what;
  AttributedString text;
};
const CachedCase cachedCases[] = {
    {"plain", text("Hello", {.size = 32})},
    {"sharp shadow", text("Hello", {.size = 32}, Shadow{{1, 0, 0, 1}, 0, {2, -3}})},
    {"blurred shadow", text("10:45", {.size = 30}, Shadow{{0, 0, 0, 0.55}, 8, {0, -2}})},
    {"italic", text("Credit", {.size = 24, .italic = true}, Shadow{opaqueBlack, 6, {}})},
};

// `text` drawn at `point` over opaque white, so a frame can be drawn again over the last one.
void drawOverWhite(CairoGraphicsContext& context, const AttributedString& text,
                   Point point = inside) {
  context.fillRect(
      {0, 0, static_cast<double>(context.width()), static_cast<double>(context.height())},
      Color::white());
  context.drawText(text, point);
}

std::vector<std::uint8_t> freshFrame(const AttributedString& text, Point point = inside) {
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
    drawOverWhite(context, c.text, {inside.x + 7, inside.y + 3});
    EXPECT_EQ(frameBytes(context), freshFrame(c.text, {inside.x + 7, inside.y + 3}));
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
  const AttributedString line = text("Hello", {.size = 20});
  const struct {
    int dx, dy;  // on the surface, y down
  } directions[] = {{1, 0}, {0, 1}};
  for (const auto& direction : directions) {
    SCOPED_TRACE(::testing::Message() << direction.dx << "," << direction.dy);
    CairoGraphicsContext context(wideWidth, wideHeight);
    drawOverWhite(context, line);
    const Point startCentre = inkCentre(frameBytes(context), wideWidth);
    for (int step = 1; step <= rasterSteps; ++step) {
      const double moved = static_cast<double>(step) / rasterSteps;
      drawOverWhite(context, line,
                    {inside.x + direction.dx * moved, inside.y - direction.dy * moved});
      const Point centre = inkCentre(frameBytes(context), wideWidth);
      EXPECT_NEAR(centre.x - startCentre.x, direction.dx * moved, tolerance) << step;
      EXPECT_NEAR(centre.y - startCentre.y, direction.dy * moved, tolerance) << step;
    }
  }
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
      context.drawText(text("0:" + std::to_string(100 + n), stream.font, stream.shadow), {4, 4});
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
    context.drawText(text("0:" + std::to_string(99 + stream.count), stream.font, stream.shadow),
                     {4, 4});
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
      {"long credit line", text(std::string(10000, 'W'), {.size = 13, .italic = true},
                                Shadow{opaqueBlack, 6, {0, -1}})},
      {"vast blur", text("Hello", {.size = 16}, Shadow{opaqueBlack, 1e9, {0, -2}})},
      {"text larger than the frame", text("Hg", {.size = 400}, Shadow{opaqueBlack, 40, {3, 3}})},
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
  // The first frame cuts the line off at its right edge; the larger one shows all of it.
  const AttributedString line = text("Hello", {.size = 32}, Shadow{{1, 0, 0, 1}, 6, {0, -3}});
  const Point point{40, 12};
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawText(line, point);
  context.resize(wideWidth, wideHeight);
  EXPECT_EQ(context.textCacheStats().rasters, 0u);
  EXPECT_FALSE(probeInk(context).found);  // nor the line held back for the old frame
  drawOverWhite(context, line, point);
  EXPECT_EQ(frameBytes(context), freshFrame(line, point));
}

}  // namespace
}  // namespace brivora
