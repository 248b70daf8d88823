#pragma once

#include <cairo.h>

#include <optional>

#include "backends/cairo/CairoHandles.h"
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

// What fillSurfaceRoundedRect covers of a `surfaceWidth` × `surfaceHeight` surface, as an A8
// mask whose top-left pixel lies on the surface's pixel (`x`, `y`): painting a colour through
// it draws what the fill draws. None where the fill draws nothing.
struct ShapeMask {
  CairoSurface mask;
  int x = 0;
  int y = 0;
};
std::optional<ShapeMask> roundedRectMask(Rect rect, double radius, int surfaceWidth,
                                         int surfaceHeight);

}  // namespace brivora
