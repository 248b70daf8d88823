#pragma once

#include <cairo.h>

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

// Fills `rect` (view coordinates) on the image surface `cairo` draws to with a linear gradient
// from `start` to `end` along `angleDegrees`, over what is there. Colours are mixed straight
// (not premultiplied) and composited with 16 bits of precision, then rounded to the surface's
// 8 bits through a fixed 16×16 ordered dither tied to the surface's pixels: a dark band over a
// dark photo shows no steps, and the same frame always gives the same pixels. Partly covered
// edge pixels are blended by their coverage. Non-finite input draws nothing.
void fillGradient(cairo_t* cairo, Rect rect, Color start, Color end, double angleDegrees);

}  // namespace brivora
