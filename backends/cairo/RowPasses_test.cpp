// Frames whose calls are held back and drawn in one walk over the rows, against the same
// calls drawn one by one (the frame read after each), and against the fallback without AVX2;
// and two of the walk's passes alone: the paint through a mask and the scaler.
#include "backends/cairo/RowPasses.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

#include "backends/cairo/BilinearScaler.h"
#include "backends/cairo/CairoGraphicsContext.h"
#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/CpuFeatures.h"
#include "backends/cairo/MaskComposite.h"
#include "platform/Text.h"
#include "tests/support/CairoFrames.h"

namespace brivora {
namespace {

using testing::largestDifference;

constexpr int width = 203;  // not a multiple of eight: the rows' ends take the scalar paths
constexpr int height = 120;

AttributedString caption(const char* text, double size, std::optional<Shadow> shadow) {
  return {.string = text,
          .font = Font{.size = size},
          .color = Color{1, 1, 1, 0.9},
          .kern = 0,
          .shadow = shadow};
}

struct Scene {
  const char* what;
  bool fill;
  std::optional<Rect> wallpaperRect;  // the opaque wallpaper, at full opacity
  bool wallpaperOpaque;
  double incoming;  // the next wallpaper's fraction, 0 for none
  double scrimAngle;
  bool roundedRect;  // between the texts, as the countdown's background
};

// Draws the scene as a frame of the view does; with `readEachCall`, reads the frame back after
// every call from the wallpaper on, so nothing is held back past it.
std::vector<std::uint8_t> drawScene(const Scene& scene, bool readEachCall) {
  static const Image current = testing::imageOf(testing::noisePixels(230, 140, 1));
  static const Image translucent = testing::imageOf(testing::noisePixels(230, 140, 2, false));
  static const Image next = testing::imageOf(testing::noisePixels(220, 130, 3));
  CairoGraphicsContext context(width, height);
  const auto read = [&] {
    if (readEachCall) static_cast<void>(context.data());
  };
  // A fill of every level the gradient's carry can meet, where no wallpaper covers it.
  if (scene.fill) context.fillRect({0, 0, width, height}, Color{0.35, 0.6, 0.8, 1});
  if (scene.wallpaperRect) {
    context.drawImage(scene.wallpaperOpaque ? current : translucent, *scene.wallpaperRect, 1);
  }
  if (scene.incoming > 0) {
    // Read between the two, a crossfade is drawn as two images instead of in one walk.
    read();
    context.drawImage(next, {-4.5, -3.25, width + 9.0, height + 6.5}, scene.incoming);
  }
  read();
  context.drawGradient({0, 0, width, height * 0.55}, Color{0.1, 0.3, 0.05, 0.65},
                       Color{0.4, 0, 0.2, 0.1}, scene.scrimAngle);
  read();
  const Shadow soft{Color{0, 0, 0, 0.5}, 6, {0, -2}};
  context.drawText(caption("10:45", 40, soft), {12.3, 10.6});
  read();
  if (scene.roundedRect) {
    context.fillRoundedRect({120.5, 8.25, 70, 30}, 6, Color{0.9, 0.72, 0.04, 1});
    read();
  }
  context.drawText(caption("FINAL", 14, std::nullopt), {126.2, 16.4});
  read();
  context.drawText(caption("Mira Solberg", 16, soft), {8, 96.5});
  return testing::frameBytes(context);
}

TEST(RowPasses, OneWalkDrawsWhatTheCallsDrawOneByOneAndTheFallbackAgrees) {
  const Rect covering{-6.3, -2.7, width + 12.6, height + 5.4};
  const Rect short_{3.4, 2.2, width - 9.0, height - 5.0};  // the drift outran the zoom
  const Scene scenes[] = {
      {"holding", true, covering, true, 0, 90, true},
      {"crossfade", true, covering, true, 0.37, 90, true},
      {"crossfade, wallpaper short of the edges", true, short_, true, 0.8, 90, true},
      {"scrim at the top", true, covering, true, 0, 270, false},
      {"slanted gradient", true, covering, true, 0, 30, false},
      {"translucent wallpaper", true, covering, false, 0, 90, true},
      {"no wallpaper", true, std::nullopt, true, 0, 90, true},
      {"nothing under the scrim", false, std::nullopt, true, 0, 90, false},
  };
  for (const Scene& scene : scenes) {
    const std::vector<std::uint8_t> walked = drawScene(scene, false);
    EXPECT_EQ(walked, drawScene(scene, true)) << scene.what;
    const ScalarPathsOnly fallback;
    // Only pixman's scaling rounds differently; gradients and text give the same bytes.
    EXPECT_LE(largestDifference(walked, drawScene(scene, false)), 4) << scene.what;
    if (!scene.wallpaperRect && scene.incoming == 0) {
      EXPECT_EQ(walked, drawScene(scene, false)) << scene.what;
    }
  }
}

constexpr int frameSide = 40;

// A frame of random premultiplied pixels, the same for every call with the same seed.
CairoSurface noisyFrame(unsigned seed) {
  CairoSurface frame(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, frameSide, frameSide));
  std::mt19937 random(seed);
  std::uint8_t* data = cairo_image_surface_get_data(frame.get());
  const int stride = cairo_image_surface_get_stride(frame.get());
  for (int row = 0; row < frameSide; ++row) {
    for (int column = 0; column < frameSide; ++column) {
      const auto alpha = static_cast<std::uint32_t>(random() % 256);
      std::uint32_t word = alpha << 24;
      for (int shift = 0; shift < 24; shift += 8) {
        word |= static_cast<std::uint32_t>(random() % (alpha + 1)) << shift;
      }
      std::memcpy(data + row * stride + column * 4, &word, sizeof word);
    }
  }
  cairo_surface_mark_dirty(frame.get());
  return frame;
}

// An A8 mask with runs of clear, full and random coverage, so both the skipped and the
// computed groups of pixels and the row ends show.
CairoSurface patchyMask(int maskWidth, int maskHeight, unsigned seed) {
  CairoSurface mask(cairo_image_surface_create(CAIRO_FORMAT_A8, maskWidth, maskHeight));
  std::mt19937 random(seed);
  std::uint8_t* data = cairo_image_surface_get_data(mask.get());
  const int stride = cairo_image_surface_get_stride(mask.get());
  for (int row = 0; row < maskHeight; ++row) {
    for (int column = 0; column < maskWidth; ++column) {
      const int band = (column / 8 + row) % 3;
      data[row * stride + column] = band == 0   ? 0
                                    : band == 1 ? 255
                                                : static_cast<std::uint8_t>(random() % 256);
    }
  }
  cairo_surface_mark_dirty(mask.get());
  return mask;
}

TEST(MaskComposite, PaintsTheSamePixelsAsCairo) {
  const struct {
    Color color;
    int width, height, x, y;
  } cases[] = {
      {{0.2, 0.7, 0.4, 0.3}, 7, 9, 30, 2},  // narrower than a group
      {{1, 0.5, 0, 0.9}, 24, 12, -5, -3},   // hanging off the top left
      {{0, 0, 1, 1}, 30, 30, 25, 28},       // hanging off the bottom right
      {{2, -1, 0.5, 1.5}, 17, 4, 10, 10},   // out-of-range channels, clamped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " at " << c.x << "," << c.y);
    const CairoSurface mask = patchyMask(c.width, c.height, 7);
    // Without the AVX2 paths the paint is Cairo's own `cairo_mask_surface`.
    const auto paint = [&] {
      const CairoSurface frame = noisyFrame(11);
      paintThroughMask(Cairo(cairo_create(frame.get())).get(), mask.get(), c.x, c.y, c.color);
      cairo_surface_flush(frame.get());
      const std::uint8_t* data = cairo_image_surface_get_data(frame.get());
      return std::vector<std::uint8_t>(data, data + frameSide * frameSide * 4);
    };
    const std::vector<std::uint8_t> painted = paint();
    const ScalarPathsOnly cairoOnly;
    EXPECT_EQ(largestDifference(painted, paint()), 0);
  }
}

// The scaler the walk samples wallpapers with, against pixman's own bilinear filter, which it
// stands in for.
// What the Cairo context draws with pixman for the same mapping, which covers the frame.
std::vector<std::uint8_t> pixmanScaled(const ImagePixels& source, SurfaceRect rect, int outWidth,
                                       int outHeight) {
  CairoGraphicsContext context(outWidth, outHeight);
  context.drawImage(testing::imageOf(source),
                    {rect.x, outHeight - rect.y - rect.height, rect.width, rect.height}, 1);
  return testing::frameBytes(context);
}

// Every block of eight columns is sampled by its own picks and weights, the row ends one by one:
// besides matching pixman, the same image moved by whole pixels must give the same pixels,
// whichever lane, block or loop each column lands in.
TEST(BilinearScaler, SamplesAsPixmanDoesAndMovesByWholePixelsExactly) {
  if (!vectorPathsEnabled()) GTEST_SKIP() << "no AVX2 here";
  // Positions in 1/64ths, so moving them adds no floating-point rounding.
  const struct {
    const char* what;
    int sourceWidth, sourceHeight, width, height;
    SurfaceRect rect;
  } cases[] = {
      {"wallpaper zoomed a little, drifted",
       206,
       118,
       200,
       112,
       {-3.296875, -2.703125, 206.4, 115.5}},
      {"width not a multiple of eight", 101, 61, 97, 59, {-1.25, -0.5, 99, 60.5}},
      {"enlarged from few pixels", 9, 7, 61, 37, {-1.59375, -0.40625, 68, 43}},
      {"shrunk to under half: gathered", 260, 170, 80, 50, {-0.703125, -0.203125, 81, 51}},
      {"one pixel", 1, 1, 24, 16, {-1, -1, 26, 18}},
      {"reaching past the frame on every side", 50, 50, 40, 40, {-30, -25, 100, 90}},
  };
  for (const auto& c : cases) {
    ImagePixels source = testing::noisePixels(c.sourceWidth, c.sourceHeight, 12345);
    std::vector<std::uint32_t> scaled(static_cast<std::size_t>(c.width) * c.height, 0xDEADBEEF);
    ASSERT_TRUE(scaleBilinearInto(source, c.rect, scaled.data(), c.width, c.height, c.width))
        << c.what;
    EXPECT_LE(testing::largestDifference(scaled, pixmanScaled(source, c.rect, c.width, c.height)),
              4)
        << c.what;
    for (int shift = 1; shift <= 9; ++shift) {
      const int movedWidth = c.width + shift;
      std::vector<std::uint32_t> moved(static_cast<std::size_t>(movedWidth) * (c.height + shift));
      const SurfaceRect rect{c.rect.x + shift, c.rect.y + shift, c.rect.width, c.rect.height};
      ASSERT_TRUE(
          scaleBilinearInto(source, rect, moved.data(), movedWidth, c.height + shift, movedWidth));
      for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          ASSERT_EQ(scaled[y * c.width + x], moved[(y + shift) * movedWidth + x + shift])
              << c.what << ", moved by " << shift << ", at " << x << "," << y;
        }
      }
    }
  }
}

TEST(BilinearScaler, LeavesUnusableInputToTheCaller) {
  ImagePixels source = testing::noisePixels(8, 8, 12345);
  ImagePixels short_ = source;
  short_.argb.resize(10);
  std::vector<std::uint32_t> out(64, 7);
  const SurfaceRect fits{0, 0, 8, 8};
  EXPECT_FALSE(scaleBilinearInto(short_, fits, out.data(), 8, 8, 8));
  EXPECT_FALSE(scaleBilinearInto(source, SurfaceRect{0, 0, -8, 8}, out.data(), 8, 8, 8));
  EXPECT_FALSE(scaleBilinearInto(source, SurfaceRect{0, 0, 1e-9, 8}, out.data(), 8, 8, 8));
  EXPECT_FALSE(scaleBilinearInto(source, SurfaceRect{-1e12, 0, 8, 8}, out.data(), 8, 8, 8));
  EXPECT_FALSE(scaleBilinearInto(source, fits, out.data(), 8, 8, 4));
  EXPECT_EQ(out, std::vector<std::uint32_t>(64, 7));
}

}  // namespace
}  // namespace brivora
