#pragma once

#include <cairo.h>

#include <optional>

#include "backends/cairo/CairoHandles.h"
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

// Fills rects with linear gradients, keeping the last one drawn as pixels: the same gradient at
// the same place (a scrim, every frame) is then composited 1:1 instead of computed afresh.
class GradientPainter {
 public:
  // Fills `rect` (view coordinates) on the image surface `cairo` draws to with a linear
  // gradient from `start` to `end` along `angleDegrees`, over what is there. Non-finite input
  // draws nothing.
  void fill(cairo_t* cairo, Rect rect, Color start, Color end, double angleDegrees);

  // Forgets the kept gradient.
  void reset();

 private:
  struct Drawn {
    Rect rect;
    Color start;
    Color end;
    double angleDegrees = 0;
    int surfaceWidth = 0;
    int surfaceHeight = 0;
    friend bool operator==(const Drawn&, const Drawn&) = default;
  };

  CairoSurface band_;
  std::optional<Drawn> drawn_;
};

}  // namespace brivora
