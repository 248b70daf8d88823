#include "backends/cairo/MaskComposite.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "backends/cairo/CairoHandles.h"

namespace brivora {
namespace {

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
CairoSurface patchyMask(int width, int height, unsigned seed) {
  CairoSurface mask(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
  std::mt19937 random(seed);
  std::uint8_t* data = cairo_image_surface_get_data(mask.get());
  const int stride = cairo_image_surface_get_stride(mask.get());
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
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
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.x << "," << c.y);
    const CairoSurface mask = patchyMask(c.width, c.height, 7);
    const CairoSurface expected = noisyFrame(11);
    {
      const Cairo cairo(cairo_create(expected.get()));
      cairo_set_source_rgba(cairo.get(), c.color.r, c.color.g, c.color.b, c.color.a);
      cairo_mask_surface(cairo.get(), mask.get(), c.x, c.y);
    }
    const CairoSurface painted = noisyFrame(11);
    {
      const Cairo cairo(cairo_create(painted.get()));
      paintThroughMask(cairo.get(), mask.get(), c.x, c.y, c.color);
    }
    cairo_surface_flush(expected.get());
    cairo_surface_flush(painted.get());
    const int stride = cairo_image_surface_get_stride(expected.get());
    const std::uint8_t* want = cairo_image_surface_get_data(expected.get());
    const std::uint8_t* got = cairo_image_surface_get_data(painted.get());
    for (int row = 0; row < frameSide; ++row) {
      ASSERT_EQ(std::memcmp(want + row * stride, got + row * stride, frameSide * 4), 0) << row;
    }
  }
}

}  // namespace
}  // namespace brivora
