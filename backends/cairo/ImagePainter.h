#pragma once

#include <cairo.h>

#include <cstdint>
#include <optional>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/SurfaceCoordinates.h"
#include "platform/Geometry.h"
#include "platform/ImagePixels.h"

namespace brivora {

// Draws decoded images onto a frame surface, scaled with bilinear filtering at sub-pixel
// positions. Keeps a frame-sized scratch surface between calls for translucent draws, and
// what it last scaled there: an image fading in at a fixed place is scaled once, then only
// blended.
class ImagePainter {
 public:
  // Whether a draw blends over what the frame holds or replaces it.
  enum class Mode { over, replace };

  // Draws all of `pixels` scaled into `rect` (view coordinates) at opacity `fraction`: over
  // what the frame holds, or, for `replace` at full opacity, in place of it within the rect.
  // Nothing for empty pixels, an empty rect, non-finite input or a fraction that is not
  // positive.
  void draw(cairo_t* frame, const ImagePixels& pixels, Rect rect, double fraction,
            Mode mode = Mode::over);

  // Draws `cover` into `coverRect` in place of the frame's pixels, then `incoming` into
  // `incomingRect` at opacity `fraction` over it: the same as two draws, in one pass over the
  // frame where both images cover it.
  void drawCrossfade(cairo_t* frame, const ImagePixels& cover, Rect coverRect,
                     const ImagePixels& incoming, Rect incomingRect, double fraction);

  // Whether `rect` (view coordinates) covers the whole frame, so that an opaque image drawn
  // into it at full opacity leaves nothing of what was under it.
  static bool coversFrame(cairo_t* frame, Rect rect);

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

  // Makes the scratch hold `pixels` scaled onto `onSurface` within `visible`, unless it holds
  // them already; false when it cannot.
  bool keepScaled(cairo_surface_t* scratch, const ImagePixels& pixels, SurfaceRect onSurface,
                  SurfaceRect visible);

  CairoSurface scratch_;
  std::optional<Scaled> scaled_;
};

}  // namespace brivora
