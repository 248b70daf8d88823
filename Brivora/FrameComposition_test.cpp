#include <gtest/gtest.h>

#include "Brivora/ImagePlacement.h"
#include "tests/support/ViewHarness.h"

namespace brivora {
namespace {

using testing::callsOf;
using testing::ViewHarness;

TEST(ImagePlacement, CoversTheViewThenZoomsAndDrifts) {
  struct Row {
    const char* what;
    Size image;
    Rect bounds;
    double progress;
    Point pan;
    double zoom;
    Rect expected;
  };
  const std::vector<Row> rows = {
      // The width fits and the height overflows, then the other way round.
      {"wider view", {1000, 1000}, {0, 0, 400, 200}, 0, {}, 1.2, {0, -100, 400, 400}},
      {"narrower view", {4000, 1000}, {0, 0, 400, 200}, 0, {}, 1.2, {-200, 0, 800, 200}},
      {"half way", {100, 100}, {0, 0, 100, 100}, 0.5, {0.02, -0.02}, 1.2, {-4, -6, 110, 110}},
      {"at the end", {100, 100}, {0, 0, 100, 100}, 1, {0.02, 0}, 1.2, {-8, -10, 120, 120}},
      {"zoom 1 still drifts", {100, 100}, {0, 0, 100, 100}, 1, {0, 0.02}, 1, {0, 2, 100, 100}},
      {"offset bounds", {100, 50}, {10, 20, 100, 50}, 0, {}, 1.03, {10, 20, 100, 50}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::optional<Rect> placed =
        placeImage(row.image, row.bounds, row.progress, row.pan, row.zoom);
    ASSERT_TRUE(placed);
    EXPECT_TRUE(testing::near(*placed, row.expected));
  }
}

TEST(ImagePlacement, ImagesWithoutAreaAreNotPlaced) {
  for (Size size : {Size{0, 100}, Size{100, 0}, Size{-5, 10}, Size{NAN, 10}}) {
    EXPECT_FALSE(placeImage(size, Rect{0, 0, 100, 100}, 0, Point{}, 1.03));
  }
}

TEST(FrameComposition, HoldingFrameIsBlackThenImageThenScrim) {
  ViewHarness harness("{\"kenBurnsZoom\": 1.2, \"cycleSeconds\": 10}", {"a.jpg", "b.jpg"});
  harness.images.sizes["a.jpg"] = Size{100, 100};
  harness.images.sizes["b.jpg"] = Size{100, 100};
  harness.random.integers = {0};
  harness.random.doubles = {0.0};  // current pan (0.02, 0)
  harness.create(Size{100, 100});
  harness.tickAt(5);
  const std::vector<DrawCall> calls = harness.draw();
  // Then the clock's time and date; the caption has faded out by now.
  ASSERT_EQ(calls.size(), 5u);
  const auto& background = std::get<FillRectCall>(calls[0]);
  EXPECT_EQ(background.rect, (Rect{0, 0, 100, 100}));
  EXPECT_EQ(background.color, (Color{0, 0, 0, 1}));
  const auto& image = std::get<ImageCall>(calls[1]);
  EXPECT_EQ(image.file, "a.jpg");
  EXPECT_EQ(image.fraction, 1);
  EXPECT_TRUE(testing::near(image.rect, Rect{-4, -5, 110, 110}));
  EXPECT_TRUE(std::holds_alternative<GradientCall>(calls[2]));
  EXPECT_TRUE(std::holds_alternative<TextCall>(calls[3]));
  EXPECT_TRUE(std::holds_alternative<TextCall>(calls[4]));
}

TEST(FrameComposition, IncomingImageFadesInUnzoomedWithClampedFraction) {
  // Seconds into the cycle (after a tick at 8.5) and the fraction drawn then.
  const std::pair<double, double> rows[] = {{8.5, 0}, {9.25, 0.5}, {10.5, 1}};
  for (const auto& [drawAt, fraction] : rows) {
    SCOPED_TRACE(drawAt);
    ViewHarness harness("{\"cycleSeconds\": 10, \"crossfadeSeconds\": 1.5, \"kenBurnsZoom\": 2}",
                        {"a.jpg", "b.jpg"});
    harness.images.sizes["b.jpg"] = Size{200, 100};
    harness.random.integers = {0};
    harness.create(Size{100, 100});
    harness.tickAt(8.5);
    harness.moveTo(drawAt);
    const std::vector<ImageCall> images = callsOf<ImageCall>(harness.draw());
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[1].file, "b.jpg");
    EXPECT_NEAR(images[1].fraction, fraction, 1e-12);
    EXPECT_TRUE(testing::near(images[1].rect, Rect{-50, 0, 200, 100}));
    // The current image's zoom stops growing at the cycle's end.
    EXPECT_LE(images[0].rect.width(), 200 * 2 + 1e-9);
  }
}

TEST(FrameComposition, ScrimSitsOnTheClocksSide) {
  // A theme and where its scrim is: at the top, at the bottom, or none.
  const std::pair<std::string, std::optional<bool>> rows[] = {
      {R"({"clockPosition": "top-right"})", true},
      {R"({"clockPosition": "bottom-left"})", false},
      {R"({"clockPosition": "center"})", std::nullopt},
      {R"({"scrimEnabled": false, "clockPosition": "top-left"})", std::nullopt},
  };
  for (const auto& [theme, atTop] : rows) {
    SCOPED_TRACE(theme);
    const std::vector<GradientCall> scrims = callsOf<GradientCall>(testing::drawnFrame(
        theme.substr(0, theme.size() - 1) + R"(, "scrimHeightRatio": 0.25, "scrimOpacity": 0.5})",
        Size{200, 100}));
    if (!atTop) {
      EXPECT_TRUE(scrims.empty());
      continue;
    }
    ASSERT_EQ(scrims.size(), 1u);
    const Color dark{0, 0, 0, 0.5};
    const Color clear{0, 0, 0, 0};
    EXPECT_EQ(scrims[0].angleDegrees, 90);
    if (*atTop) {
      EXPECT_EQ(scrims[0].rect, (Rect{0, 75, 200, 25}));
      EXPECT_EQ(scrims[0].start, clear);
      EXPECT_EQ(scrims[0].end, dark);
    } else {
      EXPECT_EQ(scrims[0].rect, (Rect{0, 0, 200, 25}));
      EXPECT_EQ(scrims[0].start, dark);
      EXPECT_EQ(scrims[0].end, clear);
    }
  }
}

TEST(FrameComposition, EmptyPackageTicksWithoutLoadingAndShowsItsMessageAndTheClock) {
  ViewHarness harness(R"({"cycleSeconds": 1, "crossfadeSeconds": 0.5})", {});
  harness.create(Size{640, 480});
  for (const double tick : {0.6, 1.0, 7.3}) harness.tickAt(tick);
  EXPECT_EQ(harness.images.loads, 0);
  const std::vector<DrawCall> calls = harness.draw();
  // Black, the message, then the clock's time and date: an empty package still shows the clock.
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(testing::callsOf<TextCall>(calls).size(), 3u);
  EXPECT_TRUE(std::holds_alternative<FillRectCall>(calls[0]));
  const auto& message = std::get<TextCall>(calls[1]);
  EXPECT_EQ(message.text.string, "No wallpapers in this package");
  EXPECT_EQ(message.text.font, (Font{.size = 24, .weight = FontWeight::regular}));
  EXPECT_EQ(message.text.color, (Color{1, 1, 1, 0.6}));
  EXPECT_FALSE(message.text.shadow);
  EXPECT_EQ(message.point, (Point{320 - message.measuredSize.width / 2, 240}));
}

TEST(FrameComposition, WhatCannotBeDrawnIsSkippedAndTheFrameCompletes) {
  struct Row {
    const char* what;
    std::string theme;
    std::vector<std::string> files;
    std::size_t images;
    double drawAt = 0;
  };
  const std::vector<Row> rows = {
      {"zero cycle gives no progress", R"({"cycleSeconds": 0})", {"a.jpg"}, 0},
      {"undecodable current image", "", {"broken.jpg"}, 0},
      {"image of no area", "", {"flat.jpg"}, 0},
      {"overflowing zoom", R"({"kenBurnsZoom": 1e308})", {"a.jpg"}, 0, 15},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ViewHarness harness(row.theme, row.files);
    harness.images.sizes["flat.jpg"] = Size{100, 0};
    harness.create(Size{100, 100});
    harness.moveTo(row.drawAt);
    const std::vector<DrawCall> calls = harness.draw();
    EXPECT_EQ(callsOf<ImageCall>(calls).size(), row.images);
    EXPECT_EQ(callsOf<FillRectCall>(calls).size(), 1u);
    EXPECT_EQ(callsOf<GradientCall>(calls).size(), 1u);
  }
}

}  // namespace
}  // namespace brivora
