#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include "platform/Geometry.h"
#include "platform/Text.h"

namespace brivora {

// Paints the shadow of `layout`, laid out with its origin at `layoutOrigin` (surface
// coordinates), onto `frame`: the text's coverage blurred by a Gaussian of standard deviation
// half the blur radius, in the shadow colour, moved by the offset. Only the part that can
// reach the frame is rasterised. Clear shadow colours draw nothing.
void drawTextShadow(cairo_t* frame, PangoLayout* layout, Point layoutOrigin, const Shadow& shadow);

}  // namespace brivora
