#include "backends/cairo/ShapeFill.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "backends/cairo/SurfaceCoordinates.h"

namespace brivora {

namespace {

double surfaceHeight(cairo_t* cairo) {
  return cairo_image_surface_get_height(cairo_get_target(cairo));
}

double surfaceWidth(cairo_t* cairo) {
  return cairo_image_surface_get_width(cairo_get_target(cairo));
}

void addRoundedRect(cairo_t* cairo, SurfaceRect rect, double radius) {
  constexpr double quarterTurn = std::numbers::pi / 2;
  const double left = rect.x;
  const double top = rect.y;
  const double right = rect.x + rect.width;
  const double bottom = rect.y + rect.height;
  cairo_new_sub_path(cairo);
  cairo_arc(cairo, right - radius, top + radius, radius, -quarterTurn, 0);
  cairo_arc(cairo, right - radius, bottom - radius, radius, 0, quarterTurn);
  cairo_arc(cairo, left + radius, bottom - radius, radius, quarterTurn, 2 * quarterTurn);
  cairo_arc(cairo, left + radius, top + radius, radius, 2 * quarterTurn, 3 * quarterTurn);
  cairo_close_path(cairo);
}

}  // namespace

void fillSurfaceRect(cairo_t* cairo, Rect rect, Color color, CompositingOperation operation) {
  if (!isFinite(rect) || !isFinite(color)) return;
  // Only the visible part is filled, so far-off edges never reach Cairo's fixed point.
  const auto visible = visiblePart(surfaceRect(rect, surfaceHeight(cairo)), surfaceWidth(cairo),
                                   surfaceHeight(cairo));
  if (!visible) return;
  cairo_save(cairo);
  cairo_set_operator(
      cairo, operation == CompositingOperation::copy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
  cairo_set_source_rgba(cairo, color.r, color.g, color.b, color.a);
  cairo_rectangle(cairo, visible->x, visible->y, visible->width, visible->height);
  cairo_fill(cairo);
  cairo_restore(cairo);
}

void fillSurfaceRoundedRect(cairo_t* cairo, Rect rect, double radius, Color color) {
  if (!isFinite(rect) || !std::isfinite(radius) || !isFinite(color)) return;
  const SurfaceRect onSurface = standardized(surfaceRect(rect, surfaceHeight(cairo)));
  if (onSurface.width <= 0 || onSurface.height <= 0 || !isInSurfaceRange(onSurface)) return;
  const double cornerRadius =
      std::clamp(radius, 0.0, std::min(onSurface.width, onSurface.height) / 2);
  cairo_save(cairo);
  cairo_set_source_rgba(cairo, color.r, color.g, color.b, color.a);
  addRoundedRect(cairo, onSurface, cornerRadius);
  cairo_fill(cairo);
  cairo_restore(cairo);
}

std::optional<ShapeMask> roundedRectMask(Rect rect, double radius, int surfaceWidth,
                                         int surfaceHeight) {
  if (!isFinite(rect) || !std::isfinite(radius)) return std::nullopt;
  const SurfaceRect onSurface = standardized(surfaceRect(rect, surfaceHeight));
  if (onSurface.width <= 0 || onSurface.height <= 0 || !isInSurfaceRange(onSurface)) {
    return std::nullopt;
  }
  const auto visible = visiblePart(onSurface, surfaceWidth, surfaceHeight);
  if (!visible) return std::nullopt;
  const int left = static_cast<int>(std::floor(visible->x));
  const int top = static_cast<int>(std::floor(visible->y));
  const int right = static_cast<int>(std::ceil(visible->x + visible->width));
  const int bottom = static_cast<int>(std::ceil(visible->y + visible->height));
  ShapeMask shape{
      CairoSurface(cairo_image_surface_create(CAIRO_FORMAT_A8, right - left, bottom - top)), left,
      top};
  if (cairo_surface_status(shape.mask.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
  const Cairo painter(cairo_create(shape.mask.get()));
  cairo_translate(painter.get(), -left, -top);
  cairo_set_source_rgba(painter.get(), 0, 0, 0, 1);
  addRoundedRect(painter.get(), onSurface,
                 std::clamp(radius, 0.0, std::min(onSurface.width, onSurface.height) / 2));
  cairo_fill(painter.get());
  cairo_surface_flush(shape.mask.get());
  return shape;
}

}  // namespace brivora
