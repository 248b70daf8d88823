#pragma once

#include <cairo.h>

#include <cstdint>
#include <optional>

#include "platform/Color.h"
#include "platform/Geometry.h"

namespace brivora {

// Where a linear gradient across a rect starts and ends, in view coordinates.
struct GradientLine {
  Point start;
  Point end;
};

// The line through the centre of `rect` along `angleDegrees` (0 left to right, 90 bottom to
// top) whose ends are the projections of the rect's nearest and farthest corners.
GradientLine gradientLine(Rect rect, double angleDegrees);

// A linear gradient over a rect of a surface, worked out so that each surface row it touches
// can be blended on its own, in any order. Colours are mixed straight (not premultiplied) and
// composited with 16 bits of precision, then rounded to the surface's 8 bits through a fixed
// 16×16 ordered dither tied to the surface's pixels: a dark band over a dark photo shows no
// steps, and the same frame always gives the same pixels. Partly covered edge pixels are
// blended by their coverage.
class GradientRows {
 public:
  // The gradient from `start` to `end` along `angleDegrees` over `rect` (view coordinates) of
  // a `surfaceWidth` × `surfaceHeight` surface. None when nothing of it lands on the surface
  // or the input is not finite.
  static std::optional<GradientRows> plan(Rect rect, Color start, Color end, double angleDegrees,
                                          int surfaceWidth, int surfaceHeight);

  // The surface rows it touches: from `top()` to `bottom()` − 1.
  int top() const { return top_; }
  int bottom() const { return bottom_; }

  // Blends the gradient over row `y` of premultiplied ARGB32 pixels starting at `row`.
  void blendRow(int y, std::uint8_t* row) const;

 private:
  GradientRows() = default;

  Color start_;
  Color end_;
  Point from_;  // the line's ends, in surface coordinates
  double dx_ = 0;
  double dy_ = 0;
  double lengthSquared_ = 0;
  bool rowsAlike_ = false;  // every pixel of a row lies at the same place along the line
  double xFrom_ = 0;        // the visible part, in surface pixels
  double xTo_ = 0;
  double yFrom_ = 0;
  double yTo_ = 0;
  int left_ = 0;
  int right_ = 0;
  int top_ = 0;
  int bottom_ = 0;
};

// Fills `rect` (view coordinates) on the image surface `cairo` draws to with the gradient
// GradientRows describes, over what is there. Non-finite input draws nothing.
void fillGradient(cairo_t* cairo, Rect rect, Color start, Color end, double angleDegrees);

}  // namespace brivora
