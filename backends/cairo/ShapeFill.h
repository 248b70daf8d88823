#pragma once

#include <cairo.h>

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/GraphicsContext.h"

namespace brivora {

// Fills `rect` (view coordinates) on the image surface `cairo` draws to with `color`; copy
// replaces what is under the rect, source-over blends onto it. Non-finite input draws nothing.
void fillSurfaceRect(cairo_t* cairo, Rect rect, Color color, CompositingOperation operation);

// Fills `rect` (view coordinates) with corners of `radius`, clamped to half the shorter side;
// a negative radius gives square corners. Non-finite input draws nothing.
void fillSurfaceRoundedRect(cairo_t* cairo, Rect rect, double radius, Color color);

}  // namespace brivora
