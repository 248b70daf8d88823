#include "backends/cairo/TextShadow.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/ShadowBlur.h"
#include "backends/cairo/SurfaceCoordinates.h"

namespace brivora {

namespace {

// A wider blur spreads a shadow too thin to see; capping it bounds the mask's margin.
constexpr double maxShadowBlurRadius = 256;

// Anti-aliasing may reach a pixel past the ink extents Pango reports.
constexpr int inkSlackPixels = 1;

}  // namespace

void drawTextShadow(cairo_t* frame, PangoLayout* layout, Point layoutOrigin, const Shadow& shadow) {
  if (!(shadow.color.a > 0)) return;
  const double sigma = std::clamp(shadow.blurRadius, 0.0, maxShadowBlurRadius) / 2;
  const int spread = shadowBlurSpread(sigma) + inkSlackPixels;
  // View offsets point up; the surface's y points down.
  const Point origin{layoutOrigin.x + shadow.offset.width, layoutOrigin.y - shadow.offset.height};
  if (!(std::fabs(origin.x) <= maxSurfaceCoordinate &&
        std::fabs(origin.y) <= maxSurfaceCoordinate)) {
    return;
  }

  PangoRectangle ink;
  pango_layout_get_pixel_extents(layout, &ink, nullptr);
  if (ink.width <= 0 || ink.height <= 0) return;
  // The shadow's ink plus the blur's reach, cut to what can still reach the frame.
  cairo_surface_t* target = cairo_get_target(frame);
  const int frameWidth = cairo_image_surface_get_width(target);
  const int frameHeight = cairo_image_surface_get_height(target);
  const double inkLeft = std::floor(origin.x) + ink.x;
  const double inkTop = std::floor(origin.y) + ink.y;
  const double left = std::max(inkLeft - spread, -static_cast<double>(spread));
  const double top = std::max(inkTop - spread, -static_cast<double>(spread));
  const double right =
      std::min(inkLeft + ink.width + 1 + spread, static_cast<double>(frameWidth + spread));
  const double bottom =
      std::min(inkTop + ink.height + 1 + spread, static_cast<double>(frameHeight + spread));
  if (!(left < right && top < bottom)) return;
  const int maskWidth = static_cast<int>(right - left);
  const int maskHeight = static_cast<int>(bottom - top);

  const CairoSurface mask(cairo_image_surface_create(CAIRO_FORMAT_A8, maskWidth, maskHeight));
  if (cairo_surface_status(mask.get()) != CAIRO_STATUS_SUCCESS) return;
  {
    const Cairo painter(cairo_create(mask.get()));
    cairo_move_to(painter.get(), origin.x - left, origin.y - top);
    pango_cairo_show_layout(painter.get(), layout);
  }
  cairo_surface_flush(mask.get());
  blurAlphaMask(cairo_image_surface_get_data(mask.get()), maskWidth, maskHeight,
                cairo_image_surface_get_stride(mask.get()), sigma);
  cairo_surface_mark_dirty(mask.get());

  cairo_save(frame);
  cairo_set_source_rgba(frame, shadow.color.r, shadow.color.g, shadow.color.b, shadow.color.a);
  cairo_mask_surface(frame, mask.get(), left, top);
  cairo_restore(frame);
}

}  // namespace brivora
