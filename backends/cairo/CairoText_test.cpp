#include "backends/cairo/CairoGraphicsContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "backends/cairo/FrameProbe.h"
#include "platform/Text.h"

namespace brivora {
namespace {

constexpr int frameWidth = 64;
constexpr int frameHeight = 48;
// Anti-aliasing may shade a pixel or two past the logical box.
constexpr int inkTolerance = 2;

AttributedString text(std::string string, double size = 16) {
  AttributedString attributed;
  attributed.string = std::move(string);
  attributed.font = Font{.size = size};
  return attributed;
}

AttributedString withShadow(AttributedString attributed, Shadow shadow) {
  attributed.shadow = shadow;
  return attributed;
}

// The surface pixels the measured box of `attributed` covers when drawn at `point`.
InkBounds measuredBox(CairoGraphicsContext& context, const AttributedString& attributed,
                      Point point) {
  const Size size = context.measureText(attributed);
  const double bottom = frameHeight - point.y;
  return {true, static_cast<int>(std::floor(point.x)),
          static_cast<int>(std::floor(bottom - size.height)),
          static_cast<int>(std::ceil(point.x + size.width)), static_cast<int>(std::ceil(bottom))};
}

InkBounds inkOf(const AttributedString& attributed, Point point) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawText(attributed, point);
  return probeInk(context);
}

TEST(CairoText, MeasuresTheLineAndNothingForEmptyText) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  const Size hello = context.measureText(text("Hello", 20));
  EXPECT_GT(hello.width, 20);
  EXPECT_LT(hello.width, 80);
  EXPECT_GE(hello.height, 20);
  EXPECT_LT(hello.height, 40);
  EXPECT_EQ(context.measureText(text("", 20)), (Size{0, 0}));
  // Twice the size, twice the width.
  EXPECT_NEAR(context.measureText(text("Hello", 40)).width, 2 * hello.width, 0.5);
}

TEST(CairoText, AbsentFontIsTwelvePointStandardRegular) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  AttributedString plain;
  plain.string = "Hello";
  EXPECT_EQ(context.measureText(plain), context.measureText(text("Hello", 12)));
}

TEST(CairoText, KernSpacesCharactersApart) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  const double plain = context.measureText(text("Hello")).width;
  const double kerns[] = {-1, 2, 5};
  for (const double kern : kerns) {
    AttributedString kerned = text("Hello");
    kerned.kern = kern;
    // Four or five gaps, depending on whether the last character gets its spacing.
    const double width = context.measureText(kerned).width;
    EXPECT_GE(width, plain + std::min(4 * kern, 5 * kern) - 0.1) << kern;
    EXPECT_LE(width, plain + std::max(4 * kern, 5 * kern) + 0.1) << kern;
  }
}

TEST(CairoText, WeightDesignAndItalicChooseDifferentFaces) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  const double regular = context.measureText(text("Hello")).width;
  AttributedString bold = text("Hello");
  bold.font->weight = FontWeight::black;
  EXPECT_GT(context.measureText(bold).width, regular + 0.5);
  AttributedString light = text("Hello");
  light.font->weight = FontWeight::ultraLight;
  EXPECT_LT(context.measureText(light).width, regular - 0.5);
  AttributedString serif = text("Hello");
  serif.font->design = FontDesign::serif;
  EXPECT_NE(context.measureText(serif).width, regular);

  // Italic slants the glyphs: the ink leans right at the top.
  AttributedString italic = text("llll", 32);
  italic.font->italic = true;
  const InkBounds upright = inkOf(text("llll", 32), {4, 4});
  const InkBounds slanted = inkOf(italic, {4, 4});
  EXPECT_GT(slanted.right - slanted.left, upright.right - upright.left);
}

TEST(CairoText, MonospacedDigitsShareOneWidth) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  AttributedString ones = text("1111");
  AttributedString zeros = text("0000");
  ones.font->monospacedDigits = true;
  zeros.font->monospacedDigits = true;
  EXPECT_NEAR(context.measureText(ones).width, context.measureText(zeros).width, 0.01);
  EXPECT_LT(context.measureText(text("1111")).width, context.measureText(text("0000")).width);
}

TEST(CairoText, InkFallsInsideTheMeasuredBoxAtThePoint) {
  const Point points[] = {{6, 10}, {2.5, 20.25}, {0, 0}};
  for (const Point point : points) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    const AttributedString hello = text("Hello");
    context.drawText(hello, point);
    const InkBounds box = measuredBox(context, hello, point);
    const InkBounds ink = probeInk(context);
    ASSERT_TRUE(ink.found) << point.x << "," << point.y;
    EXPECT_GE(ink.left, box.left - inkTolerance) << point.x << "," << point.y;
    EXPECT_GE(ink.top, box.top - inkTolerance) << point.x << "," << point.y;
    EXPECT_LE(ink.right, box.right + inkTolerance) << point.x << "," << point.y;
    EXPECT_LE(ink.bottom, box.bottom + inkTolerance) << point.x << "," << point.y;
    // The capital H fills most of the box's upper part, not just a corner of it.
    EXPECT_LE(ink.left, box.left + 3) << point.x << "," << point.y;
    EXPECT_LE(ink.top, box.top + 6) << point.x << "," << point.y;
  }
}

TEST(CairoText, DrawsInItsColourOrOpaqueBlack) {
  struct Case {
    std::optional<Color> color;
    ProbedPixel darkest;
  };
  const Case cases[] = {{std::nullopt, {255, 0, 0, 0}}, {Color{1, 0, 0, 1}, {255, 255, 0, 0}}};
  for (const Case& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    AttributedString hello = text("Hello", 24);
    hello.color = c.color;
    context.drawText(hello, {2, 10});
    ProbedPixel darkest;
    for (int row = 0; row < frameHeight; ++row) {
      for (int column = 0; column < frameWidth; ++column) {
        const ProbedPixel pixel = probePixel(context, column, row);
        if (pixel.a > darkest.a) darkest = pixel;
      }
    }
    EXPECT_EQ(darkest.a, c.darkest.a);
    EXPECT_EQ(darkest.r, c.darkest.r);
    EXPECT_EQ(darkest.g, c.darkest.g);
    EXPECT_EQ(darkest.b, c.darkest.b);
  }
}

TEST(CairoText, SharpShadowIsTheTextMovedByTheOffset) {
  struct Case {
    Size offset;
    int dx, dy;  // on the surface, y down
  };
  const Case cases[] = {{{0, -4}, 0, 4}, {{3, 2}, 3, -2}, {{-2, 0}, -2, 0}};
  const Point point{8, 12};
  const InkBounds plain = inkOf(text("Hello"), point);
  for (const Case& c : cases) {
    AttributedString shadowOnly = withShadow(text("Hello"), {{0, 0, 0, 1}, 0, c.offset});
    shadowOnly.color = Color{0, 0, 0, 0};
    const InkBounds shadow = inkOf(shadowOnly, point);
    EXPECT_EQ(shadow.left, plain.left + c.dx) << c.offset.width << "," << c.offset.height;
    EXPECT_EQ(shadow.right, plain.right + c.dx) << c.offset.width << "," << c.offset.height;
    EXPECT_EQ(shadow.top, plain.top + c.dy) << c.offset.width << "," << c.offset.height;
    EXPECT_EQ(shadow.bottom, plain.bottom + c.dy) << c.offset.width << "," << c.offset.height;
  }
}

TEST(CairoText, ShadowLiesUnderTheTextAndBelowTheBoxWhenOffsetDown) {
  CairoGraphicsContext context(frameWidth, frameHeight);
  const AttributedString hello =
      withShadow(text("Hello"), {{1, 0, 0, 1}, 0, {0, -4}});  // opaque red shadow
  const Point point{8, 12};
  context.drawText(hello, point);
  const InkBounds box = measuredBox(context, hello, point);
  const InkBounds ink = probeInk(context);
  EXPECT_GT(ink.bottom, box.bottom);
  // Where text and shadow overlap, the black text is on top.
  bool blackOverRed = false;
  for (int row = box.top; row < box.bottom; ++row) {
    for (int column = box.left; column < box.right; ++column) {
      const ProbedPixel pixel = probePixel(context, column, row);
      if (pixel.a == 255 && pixel.r == 0) blackOverRed = true;
    }
  }
  EXPECT_TRUE(blackOverRed);
}

TEST(CairoText, BlurredShadowSpreadsSoftly) {
  const Point point{8, 12};
  AttributedString sharp = withShadow(text("Hello"), {{0, 0, 0, 1}, 0, {0, 0}});
  sharp.color = Color{0, 0, 0, 0};
  AttributedString blurred = sharp;
  blurred.shadow->blurRadius = 6;
  const InkBounds sharpInk = inkOf(sharp, point);
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawText(blurred, point);
  const InkBounds blurredInk = probeInk(context);
  EXPECT_LT(blurredInk.left, sharpInk.left - 1);
  EXPECT_GT(blurredInk.bottom, sharpInk.bottom + 1);
  EXPECT_GT(sharpInk.left - blurredInk.left, 1);
  EXPECT_LE(sharpInk.left - blurredInk.left, 12);  // about three standard deviations
  int darkest = 0;
  for (int row = 0; row < frameHeight; ++row) {
    for (int column = 0; column < frameWidth; ++column) {
      darkest = std::max(darkest, probePixel(context, column, row).a);
    }
  }
  EXPECT_LT(darkest, 255);
}

TEST(CairoText, ShadowsThatCannotShowDrawNothing) {
  const Shadow shadows[] = {
      {{0, 0, 0, 0}, 2, {0, -4}},      // clear
      {{0, 0, 0, -1}, 2, {0, -4}},     // below clear
      {{0, 0, 0, 1}, 2, {1e9, 0}},     // far off the frame
      {{0, 0, 0, 1}, 0, {0, -1e300}},  // beyond any surface
  };
  for (const Shadow& shadow : shadows) {
    AttributedString shadowOnly = withShadow(text("Hello"), shadow);
    shadowOnly.color = Color{0, 0, 0, 0};
    EXPECT_FALSE(inkOf(shadowOnly, {8, 12}).found) << shadow.offset.width;
  }
  // A vast blur thins the shadow out without building a vast raster.
  AttributedString vast = withShadow(text("Hello"), {{0, 0, 0, 1}, 1e12, {0, 0}});
  vast.color = Color{0, 0, 0, 0};
  CairoGraphicsContext context(frameWidth, frameHeight);
  context.drawText(vast, {8, 12});
  EXPECT_LT(probePixel(context, 20, 30).a, 10);
}

TEST(CairoText, UnusableValuesMeasureZeroAndDrawNothing) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    AttributedString attributed;
    Point point;
  };
  AttributedString nanKern = text("Hello");
  nanKern.kern = nan;
  AttributedString nanColour = text("Hello");
  nanColour.color = Color{nan, 0, 0, 1};
  const Case cases[] = {
      {"nan size", text("Hello", nan), {8, 12}},
      {"infinite size", text("Hello", inf), {8, 12}},
      {"zero size", text("Hello", 0), {8, 12}},
      {"negative size", text("Hello", -12), {8, 12}},
      {"nan kern", nanKern, {8, 12}},
      {"nan colour", nanColour, {8, 12}},
      {"nan blur", withShadow(text("Hello"), {{0, 0, 0, 1}, nan, {0, -4}}), {8, 12}},
      {"infinite offset", withShadow(text("Hello"), {{0, 0, 0, 1}, 2, {inf, 0}}), {8, 12}},
  };
  for (const Case& c : cases) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    EXPECT_EQ(context.measureText(c.attributed), (Size{0, 0})) << c.what;
    context.drawText(c.attributed, c.point);
    EXPECT_FALSE(probeInk(context).found) << c.what;
  }
  const Point badPoints[] = {{nan, 12}, {8, inf}, {1e300, 12}};
  for (const Point point : badPoints) {
    CairoGraphicsContext context(frameWidth, frameHeight);
    context.drawText(text("Hello"), point);
    EXPECT_FALSE(probeInk(context).found) << point.x << "," << point.y;
  }
}

}  // namespace
}  // namespace brivora
