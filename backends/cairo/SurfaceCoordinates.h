#pragma once

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/Color.h"
#include "platform/Geometry.h"

namespace brivora {

// A rectangle on a Cairo surface: origin at the top left, y downwards, in pixels.
struct SurfaceRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
  friend bool operator==(const SurfaceRect&, const SurfaceRect&) = default;
};

// Beyond this many pixels from the origin Cairo's 24.8 fixed point stops holding a coordinate
// exactly; geometry that far out is treated as off-surface.
inline constexpr double maxSurfaceCoordinate = 1 << 21;

// `rect` of view coordinates on a surface `surfaceHeight` pixels tall.
inline SurfaceRect surfaceRect(Rect rect, double surfaceHeight) {
  return {rect.minX(), surfaceHeight - rect.maxY(), rect.width(), rect.height()};
}

// `point` of view coordinates on a surface `surfaceHeight` pixels tall.
inline Point surfacePoint(Point point, double surfaceHeight) {
  return {point.x, surfaceHeight - point.y};
}

// `rect` with a non-negative width and height, covering the same pixels.
inline SurfaceRect standardized(SurfaceRect rect) {
  return {std::min(rect.x, rect.x + rect.width), std::min(rect.y, rect.y + rect.height),
          std::fabs(rect.width), std::fabs(rect.height)};
}

// Whether every edge of `rect` lies within the range Cairo holds exactly.
inline bool isInSurfaceRange(SurfaceRect rect) {
  const auto inRange = [](double value) { return std::fabs(value) <= maxSurfaceCoordinate; };
  return inRange(rect.x) && inRange(rect.y) && inRange(rect.x + rect.width) &&
         inRange(rect.y + rect.height);
}

// The part of `rect` (either size may be negative) that falls on a `width` × `height` surface,
// or none when nothing does. Finite input only.
inline std::optional<SurfaceRect> visiblePart(SurfaceRect rect, double width, double height) {
  const double left = std::max(std::min(rect.x, rect.x + rect.width), 0.0);
  const double right = std::min(std::max(rect.x, rect.x + rect.width), width);
  const double top = std::max(std::min(rect.y, rect.y + rect.height), 0.0);
  const double bottom = std::min(std::max(rect.y, rect.y + rect.height), height);
  if (!(left < right && top < bottom)) return std::nullopt;
  return SurfaceRect{left, top, right - left, bottom - top};
}

inline bool isFinite(Color color) {
  return std::isfinite(color.r) && std::isfinite(color.g) && std::isfinite(color.b) &&
         std::isfinite(color.a);
}

}  // namespace brivora
