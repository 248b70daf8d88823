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
// from `start` to `end` along `angleDegrees`. Non-finite input draws nothing.
void fillSurfaceGradient(cairo_t* cairo, Rect rect, Color start, Color end, double angleDegrees);

}  // namespace brivora
