#include "backends/cairo/GradientFill.h"

#include <cmath>
#include <numbers>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/SurfaceCoordinates.h"

namespace brivora {

GradientLine gradientLine(Rect rect, double angleDegrees) {
  const double radians = angleDegrees * std::numbers::pi / 180;
  const double dx = std::cos(radians);
  const double dy = std::sin(radians);
  // The farthest corner's projection from the centre onto the direction.
  const double reach = (std::fabs(rect.width() * dx) + std::fabs(rect.height() * dy)) / 2;
  return {{rect.midX() - dx * reach, rect.midY() - dy * reach},
          {rect.midX() + dx * reach, rect.midY() + dy * reach}};
}

void fillSurfaceGradient(cairo_t* cairo, Rect rect, Color start, Color end, double angleDegrees) {
  if (!isFinite(rect) || !isFinite(start) || !isFinite(end) || !std::isfinite(angleDegrees)) {
    return;
  }
  cairo_surface_t* target = cairo_get_target(cairo);
  const double height = cairo_image_surface_get_height(target);
  const SurfaceRect onSurface = surfaceRect(rect, height);
  if (!isInSurfaceRange(onSurface)) return;
  const auto visible = visiblePart(onSurface, cairo_image_surface_get_width(target), height);
  if (!visible) return;

  const GradientLine line = gradientLine(rect, angleDegrees);
  const Point from = surfacePoint(line.start, height);
  const Point to = surfacePoint(line.end, height);
  const CairoPattern pattern(cairo_pattern_create_linear(from.x, from.y, to.x, to.y));
  cairo_pattern_add_color_stop_rgba(pattern.get(), 0, start.r, start.g, start.b, start.a);
  cairo_pattern_add_color_stop_rgba(pattern.get(), 1, end.r, end.g, end.b, end.a);
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);

  cairo_save(cairo);
  cairo_set_source(cairo, pattern.get());
  cairo_rectangle(cairo, visible->x, visible->y, visible->width, visible->height);
  cairo_fill(cairo);
  cairo_restore(cairo);
}

}  // namespace brivora
