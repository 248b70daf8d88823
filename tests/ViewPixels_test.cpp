// Whole frames of the view drawn by the Cairo backend, checked where the geometry is exact.
#include <gtest/gtest.h>

#include <cstring>

#include "backends/cairo/CairoGraphicsContext.h"
#include "tests/support/ViewHarness.h"

namespace brivora {
namespace {

using testing::ViewHarness;

struct Rgb {
  int r, g, b;
};

// The pixel in `column` and `row` counted from the top, as the screen shows it.
Rgb pixelAt(CairoGraphicsContext& canvas, int column, int row) {
  std::uint32_t word = 0;
  std::memcpy(&word, canvas.data() + row * canvas.stride() + column * 4, sizeof word);
  return Rgb{static_cast<int>((word >> 16) & 0xFF), static_cast<int>((word >> 8) & 0xFF),
             static_cast<int>(word & 0xFF)};
}

void drawFrame(ViewHarness& harness, CairoGraphicsContext& canvas) {
  const CurrentGraphicsContext current(canvas);
  harness.view().draw(harness.view().bounds());
}

TEST(ViewPixels, DriftedImageLeavesBlackWhereItNoLongerCovers) {
  ViewHarness harness(R"({"kenBurnsZoom": 1, "scrimEnabled": false, "cycleSeconds": 10})",
                      {"a.png"});
  harness.images.pixelDivisor = 1;
  harness.images.sizes["a.png"] = Size{100, 100};
  harness.random.doubles = {0.0};  // drifts right by 0.02 of the width: 4 pixels at the end
  harness.create(Size{200, 100});
  CairoGraphicsContext canvas(200, 100);

  drawFrame(harness, canvas);
  for (int column : {0, 3, 199}) EXPECT_EQ(pixelAt(canvas, column, 50).r, 255) << column;

  harness.moveTo(10);
  drawFrame(harness, canvas);
  for (int column : {0, 2}) EXPECT_EQ(pixelAt(canvas, column, 50).r, 0) << column;
  for (int column : {5, 100, 199}) EXPECT_EQ(pixelAt(canvas, column, 50).r, 255) << column;
}

TEST(ViewPixels, ScrimDarkensFromTheEdgeToNothing) {
  ViewHarness harness(R"({"scrimOpacity": 1, "scrimHeightRatio": 0.5, "kenBurnsZoom": 1,
                          "clockPosition": "bottom-left"})",
                      {"a.png"});
  harness.images.pixelDivisor = 1;
  harness.images.pixelColor = 0xFFFFFFFF;
  harness.images.sizes["a.png"] = Size{200, 100};
  harness.create(Size{200, 100});
  CairoGraphicsContext canvas(200, 100);
  drawFrame(harness, canvas);
  EXPECT_LE(pixelAt(canvas, 100, 99).r, 8);         // the bottom edge: darkest
  EXPECT_NEAR(pixelAt(canvas, 100, 74).r, 128, 8);  // half way up the band
  EXPECT_EQ(pixelAt(canvas, 100, 40).r, 255);       // above the band: untouched
  EXPECT_EQ(pixelAt(canvas, 100, 10).r, 255);
}

TEST(ViewPixels, CrossfadeBlendsTheIncomingImageOver) {
  ViewHarness harness(R"({"cycleSeconds": 10, "crossfadeSeconds": 2, "scrimEnabled": false})",
                      {"a.png", "b.png"});
  harness.images.pixelDivisor = 1;
  harness.random.integers = {0};
  harness.images.sizes["a.png"] = Size{64, 48};
  harness.images.sizes["b.png"] = Size{64, 48};
  harness.images.colors["b.png"] = 0xFF0000FF;
  harness.create(Size{64, 48});
  harness.tickAt(8);
  harness.moveTo(9);
  CairoGraphicsContext canvas(64, 48);
  drawFrame(harness, canvas);
  const Rgb middle = pixelAt(canvas, 32, 24);
  EXPECT_NEAR(middle.r, 128, 3);
  EXPECT_NEAR(middle.b, 128, 3);
}

TEST(ViewPixels, EmptyPackageIsBlackWithItsMessageAboveTheMiddleAndTheClockBelow) {
  ViewHarness harness("", {});
  harness.create(Size{400, 200});
  CairoGraphicsContext canvas(400, 200);
  drawFrame(harness, canvas);
  // The message sits on the middle line; the 20-point clock block fills the bottom quarter.
  int litMessage = 0;
  int litBetween = 0;
  int litClock = 0;
  for (int row = 0; row < 200; ++row) {
    for (int column = 0; column < 400; ++column) {
      if (pixelAt(canvas, column, row).r <= 40) continue;
      ++(row < 100 ? litMessage : row < 140 ? litBetween : litClock);
    }
  }
  EXPECT_GT(litMessage, 100);
  EXPECT_EQ(litBetween, 0);
  EXPECT_GT(litClock, 50);
  EXPECT_EQ(pixelAt(canvas, 2, 2).r, 0);
}

}  // namespace
}  // namespace brivora
