#include "backends/cairo/ShapeFill.h"

#include <gtest/gtest.h>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/FrameProbe.h"

namespace brivora {
namespace {

// Copy is only reachable here: the Cairo context always fills source-over, which its own
// tests cover.
TEST(ShapeFill, CopyReplacesInsideTheRectOnly) {
  const CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 12));
  const Cairo cairo(cairo_create(surface.get()));
  fillSurfaceRect(cairo.get(), {0, 0, 16, 12}, opaqueRed, CompositingOperation::sourceOver);
  fillSurfaceRect(cairo.get(), {4, 4, 8, 4}, {0, 0, 1, 0.5}, CompositingOperation::copy);
  cairo_surface_flush(surface.get());
  const auto pixel = [&](int column, int row) {
    return probePixel(cairo_image_surface_get_data(surface.get()),
                      cairo_image_surface_get_stride(surface.get()), column, row);
  };
  // Alpha and blue replaced by the half blue, premultiplied; no red left under it.
  EXPECT_NEAR(pixel(8, 6).a, 128, 1);
  EXPECT_EQ(pixel(8, 6).r, 0);
  EXPECT_NEAR(pixel(8, 6).b, 128, 1);
  EXPECT_EQ(pixel(1, 1), (ProbedPixel{255, 255, 0, 0}));  // outside the rect stays red
}

}  // namespace
}  // namespace brivora
