#pragma once

#include <cairo.h>

#include "platform/Color.h"

namespace brivora {

// Paints `color` source-over through the A8 surface `mask`, its top-left pixel at the whole
// pixel (`x`, `y`) of the ARGB32 image surface `frame` draws to, with the same pixels as
// `cairo_mask_surface` gives. `frame` must draw untransformed and unclipped, as the context
// keeps it between calls. Where the processor has AVX2 the mask is composited here, twice as
// fast as pixman's SSE2 path; elsewhere Cairo does it.
void paintThroughMask(cairo_t* frame, cairo_surface_t* mask, int x, int y, Color color);

}  // namespace brivora
