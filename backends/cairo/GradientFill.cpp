#include "backends/cairo/GradientFill.h"

#include <cmath>
#include <numbers>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/PrefaultedSurface.h"
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

void GradientPainter::fill(cairo_t* cairo, Rect rect, Color start, Color end, double angleDegrees) {
  if (!isFinite(rect) || !isFinite(start) || !isFinite(end) || !std::isfinite(angleDegrees)) {
    return;
  }
  cairo_surface_t* target = cairo_get_target(cairo);
  const int surfaceWidth = cairo_image_surface_get_width(target);
  const int surfaceHeight = cairo_image_surface_get_height(target);
  const SurfaceRect onSurface = surfaceRect(rect, surfaceHeight);
  if (!isInSurfaceRange(onSurface)) return;
  const auto visible = visiblePart(onSurface, surfaceWidth, surfaceHeight);
  if (!visible) return;
  // The whole pixels the visible part touches; its partly covered edges are kept as coverage.
  const double left = std::floor(visible->x);
  const double top = std::floor(visible->y);
  const double right = std::ceil(visible->x + visible->width);
  const double bottom = std::ceil(visible->y + visible->height);

  const Drawn wanted{rect, start, end, angleDegrees, surfaceWidth, surfaceHeight};
  if (drawn_ != wanted) {
    drawn_.reset();
    band_ = makePrefaultedSurface(static_cast<int>(right - left), static_cast<int>(bottom - top));
    if (!band_) return;
    const GradientLine line = gradientLine(rect, angleDegrees);
    const Point from = surfacePoint(line.start, surfaceHeight);
    const Point to = surfacePoint(line.end, surfaceHeight);
    const CairoPattern pattern(
        cairo_pattern_create_linear(from.x - left, from.y - top, to.x - left, to.y - top));
    cairo_pattern_add_color_stop_rgba(pattern.get(), 0, start.r, start.g, start.b, start.a);
    cairo_pattern_add_color_stop_rgba(pattern.get(), 1, end.r, end.g, end.b, end.a);
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
    const Cairo painter(cairo_create(band_.get()));
    cairo_set_operator(painter.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source(painter.get(), pattern.get());
    cairo_rectangle(painter.get(), visible->x - left, visible->y - top, visible->width,
                    visible->height);
    cairo_fill(painter.get());
    cairo_surface_flush(band_.get());
    drawn_ = wanted;
  }

  cairo_save(cairo);
  cairo_set_source_surface(cairo, band_.get(), left, top);
  cairo_rectangle(cairo, left, top, right - left, bottom - top);
  cairo_fill(cairo);
  cairo_restore(cairo);
}

void GradientPainter::reset() {
  band_.reset();
  drawn_.reset();
}

}  // namespace brivora
