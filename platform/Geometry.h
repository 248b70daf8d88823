#pragma once

#include <cmath>

namespace brivora {

// A point in view coordinates: origin at the lower left, y upwards, in points.
struct Point {
  double x = 0;
  double y = 0;

  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  double width = 0;
  double height = 0;

  friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle whose origin is its lower-left corner.
struct Rect {
  Point origin;
  Size size;

  Rect() = default;
  Rect(Point rectOrigin, Size rectSize) : origin(rectOrigin), size(rectSize) {}
  Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}

  double minX() const { return origin.x; }
  double minY() const { return origin.y; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }
  double midX() const { return origin.x + size.width * 0.5; }
  double midY() const { return origin.y + size.height * 0.5; }
  double width() const { return size.width; }
  double height() const { return size.height; }

  friend bool operator==(const Rect&, const Rect&) = default;
};

inline bool isFinite(Point point) {
  return std::isfinite(point.x) && std::isfinite(point.y);
}
inline bool isFinite(Size size) {
  return std::isfinite(size.width) && std::isfinite(size.height);
}
inline bool isFinite(Rect rect) {
  return isFinite(rect.origin) && isFinite(rect.size);
}

}  // namespace brivora
