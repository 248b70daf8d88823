#pragma once

#include <cairo.h>

#include <cstdint>
#include <variant>
#include <vector>

#include "backends/cairo/GradientFill.h"
#include "backends/cairo/MaskComposite.h"

namespace brivora {

// Drawing calls held back to be drawn together, row by row, in one walk over the frame: each
// changes a pixel from that pixel alone, so drawing them all on one row, in call order, before
// the next row, gives what drawing each over the whole frame in turn gives.
class RowPasses {
 public:
  using Pass = std::variant<GradientRows, MaskRows>;

  void add(Pass pass);
  bool empty() const { return passes_.empty(); }
  void clear() { passes_.clear(); }

  // Draws every pass, in the order added, on frame row `y` whose first pixel is at `row`.
  void blendRow(int y, std::uint32_t* row) const;

  // Draws every pass on the rows of the ARGB32 image surface `frame` they touch.
  void blendAll(cairo_surface_t* frame) const;

 private:
  std::vector<Pass> passes_;
  int top_ = 0;  // the rows some pass touches
  int bottom_ = 0;
};

}  // namespace brivora
