#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>
#include <optional>

#include "backends/cairo/CairoHandles.h"
#include "platform/Color.h"

namespace brivora {

// A solid colour painted source-over through an A8 mask placed on a frame, worked out once and
// then blended a frame row at a time, with the same pixels as `cairo_mask_surface` gives. Only
// where the AVX2 paths run: twice as fast as pixman's SSE2 path.
class MaskRows {
 public:
  // `mask` with its top-left pixel at the whole pixel (`x`, `y`) of a `frameWidth` ×
  // `frameHeight` frame; it holds a reference to the mask. None where the AVX2 paths do not
  // run, the mask is not A8, or nothing of it lands on the frame.
  static std::optional<MaskRows> place(cairo_surface_t* mask, int x, int y, Color color,
                                       int frameWidth, int frameHeight);

  // The frame rows it touches: from `top()` to `bottom()` − 1.
  int top() const { return top_; }
  int bottom() const { return bottom_; }

  // Paints over frame row `y`, whose first pixel is at `row`.
  void blendRow(int y, std::uint32_t* row) const;

 private:
  MaskRows() = default;

  CairoSurface mask_;
  int x_ = 0;
  int y_ = 0;
  int left_ = 0;
  int top_ = 0;
  int right_ = 0;
  int bottom_ = 0;
  std::array<int, 4> source_{};  // the premultiplied colour's bytes: alpha, red, green, blue
};

// Paints `color` source-over through the A8 surface `mask`, its top-left pixel at the whole
// pixel (`x`, `y`) of the ARGB32 image surface `frame` draws to, with the same pixels as
// `cairo_mask_surface` gives. `frame` must draw untransformed and unclipped, as the context
// keeps it between calls. Through MaskRows where it runs; elsewhere Cairo does it.
void paintThroughMask(cairo_t* frame, cairo_surface_t* mask, int x, int y, Color color);

}  // namespace brivora
