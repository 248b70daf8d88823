#include "backends/cairo/TextShadow.h"

#include <algorithm>
#include <cmath>

#include "backends/cairo/ShadowBlur.h"
#include "backends/cairo/SurfaceCoordinates.h"

namespace brivora {

namespace {

// A wider blur spreads a shadow too thin to see; capping it bounds the raster's margin.
constexpr double maxShadowBlurRadius = 256;

}  // namespace

std::optional<TextShadowPaint> textShadowPaint(Point layoutOrigin, const Shadow& shadow,
                                               double textAlpha) {
  const double alpha = std::clamp(shadow.color.a, 0.0, 1.0) * std::clamp(textAlpha, 0.0, 1.0);
  if (!(alpha > 0)) return std::nullopt;
  // View offsets point up; the surface's y points down.
  const Point origin{layoutOrigin.x + shadow.offset.width, layoutOrigin.y - shadow.offset.height};
  if (!(std::fabs(origin.x) <= maxSurfaceCoordinate &&
        std::fabs(origin.y) <= maxSurfaceCoordinate)) {
    return std::nullopt;
  }
  const double sigma = std::clamp(shadow.blurRadius, 0.0, maxShadowBlurRadius) / 2;
  return TextShadowPaint{
      origin, shadowBoxRadii(sigma), {shadow.color.r, shadow.color.g, shadow.color.b, alpha}};
}

}  // namespace brivora
