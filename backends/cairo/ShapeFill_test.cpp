#include "backends/cairo/ShapeFill.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "backends/cairo/CairoHandles.h"

namespace brivora {
namespace {

struct Channels {
  int a, r, g, b;
};

Channels channelsAt(cairo_surface_t* surface, int column, int row) {
  cairo_surface_flush(surface);
  std::uint32_t word = 0;
  std::memcpy(&word,
              cairo_image_surface_get_data(surface) +
                  row * cairo_image_surface_get_stride(surface) + column * 4,
              sizeof word);
  return {static_cast<int>(word >> 24), static_cast<int>((word >> 16) & 0xff),
          static_cast<int>((word >> 8) & 0xff), static_cast<int>(word & 0xff)};
}

TEST(ShapeFill, CopyReplacesWhileSourceOverBlends) {
  struct Case {
    CompositingOperation operation;
    Channels expected;
  };
  const Case cases[] = {
      {CompositingOperation::copy, {128, 0, 0, 128}},
      {CompositingOperation::sourceOver, {255, 128, 0, 128}},
  };
  for (const Case& c : cases) {
    const CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 12));
    const Cairo cairo(cairo_create(surface.get()));
    fillSurfaceRect(cairo.get(), {0, 0, 16, 12}, {1, 0, 0, 1}, CompositingOperation::sourceOver);
    fillSurfaceRect(cairo.get(), {4, 4, 8, 4}, {0, 0, 1, 0.5}, c.operation);
    const Channels inside = channelsAt(surface.get(), 8, 6);
    EXPECT_NEAR(inside.a, c.expected.a, 1);
    EXPECT_NEAR(inside.r, c.expected.r, 1);
    EXPECT_NEAR(inside.b, c.expected.b, 1);
    // Outside the rect, copy leaves the red alone too.
    const Channels outside = channelsAt(surface.get(), 1, 1);
    EXPECT_EQ(outside.a, 255);
    EXPECT_EQ(outside.r, 255);
  }
}

}  // namespace
}  // namespace brivora
