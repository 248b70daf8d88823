#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "backends/cairo/BilinearScaler.h"
#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/RowPasses.h"
#include "backends/cairo/SurfaceCoordinates.h"
#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/ImagePixels.h"

namespace brivora {

// Draws decoded images onto a frame surface, scaled with bilinear filtering at sub-pixel
// positions. Keeps a frame-sized scratch surface between calls for translucent draws, and
// what it last scaled there: an image fading in at a fixed place is scaled once, then only
// blended.
class ImagePainter {
 public:
  // Draws all of `pixels` scaled into `rect` (view coordinates) over what the frame holds, at
  // opacity `fraction`. Nothing for empty pixels, an empty rect, non-finite input or a
  // fraction that is not positive.
  void draw(cairo_t* frame, const ImagePixels& pixels, Rect rect, double fraction);

  // An image fading in: drawn at `fraction` over everything before it.
  struct Incoming {
    const ImagePixels& pixels;
    Rect rect;
    double fraction;
  };

  // Draws what filling the whole frame with the opaque `fill`, then drawing the opaque
  // `wallpaper` into `rect` at full opacity, then `incoming` when given, then `passes`, would
  // draw: the same pixels within a rounding step, in one walk over the frame's rows. Only the
  // rows and columns the wallpaper covers in part or not at all are drawn draw by draw first.
  void drawOverFill(cairo_t* frame, Color fill, const ImagePixels& wallpaper, Rect rect,
                    const Incoming* incoming, const RowPasses& passes);

  // Drops the scratch surface; the next translucent draw makes one of the frame's size.
  void reset();

 private:
  // What the scratch surface holds: these pixels scaled into this rect.
  struct Scaled {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    SurfaceRect rect;
    bool operator==(const Scaled&) const = default;
  };

  cairo_surface_t* scratchFor(cairo_surface_t* frame);

  // The walk: every row of `target`, the scaled wallpaper written into rows [top, bottom)
  // from column `left`, `overlay` (rows `overlayStride` words apart, from column `left`)
  // blended over it at `overlayAlpha` when given (`overlayOpaque`: its alpha is full
  // everywhere), then `passes` drawn over the whole row.
  static void walkRows(cairo_surface_t* target, BilinearRows& scaling, int left, int top,
                       int bottom, const std::uint32_t* overlay, std::ptrdiff_t overlayStride,
                       int overlayAlpha, bool overlayOpaque, const RowPasses& passes);

  // Makes the scratch hold `pixels` scaled onto `onSurface` within `visible`, unless it holds
  // them already; false when it cannot.
  bool keepScaled(cairo_surface_t* scratch, const ImagePixels& pixels, SurfaceRect onSurface,
                  SurfaceRect visible);

  CairoSurface scratch_;
  std::optional<Scaled> scaled_;
};

}  // namespace brivora
