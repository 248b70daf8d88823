#pragma once

#include <cairo.h>

#include "backends/cairo/CairoHandles.h"
#include "platform/Geometry.h"
#include "platform/ImagePixels.h"

namespace brivora {

// Draws decoded images onto a frame surface, scaled with bilinear filtering at sub-pixel
// positions. Keeps a frame-sized scratch surface between calls for translucent draws.
class ImagePainter {
 public:
  // Draws all of `pixels` scaled into `rect` (view coordinates) over what the frame holds, at
  // opacity `fraction`. Nothing for empty pixels, an empty rect, non-finite input or a
  // fraction that is not positive.
  void draw(cairo_t* frame, const ImagePixels& pixels, Rect rect, double fraction);

  // Drops the scratch surface; the next translucent draw makes one of the frame's size.
  void reset();

 private:
  cairo_surface_t* scratchFor(cairo_surface_t* frame);

  CairoSurface scratch_;
};

}  // namespace brivora
