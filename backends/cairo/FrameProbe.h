#pragma once

// Reading back frame pixels in the tests.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "backends/cairo/CairoGraphicsContext.h"

namespace brivora {

// A premultiplied pixel split into 0…255 channels.
struct ProbedPixel {
  int a = 0;
  int r = 0;
  int g = 0;
  int b = 0;
};

// The pixel in `column` and `row` of the surface, row 0 at the top.
inline ProbedPixel probePixel(CairoGraphicsContext& context, int column, int row) {
  std::uint32_t word = 0;
  std::memcpy(&word, context.data() + row * context.stride() + column * 4, sizeof word);
  return {static_cast<int>(word >> 24), static_cast<int>((word >> 16) & 0xff),
          static_cast<int>((word >> 8) & 0xff), static_cast<int>(word & 0xff)};
}

// The smallest box of surface pixels holding every pixel with alpha above `threshold`; empty
// (`found` false) when there is none.
struct InkBounds {
  bool found = false;
  int left = 0;
  int top = 0;
  int right = 0;   // exclusive
  int bottom = 0;  // exclusive
};

inline InkBounds probeInk(CairoGraphicsContext& context, int threshold = 0) {
  InkBounds bounds;
  for (int row = 0; row < context.height(); ++row) {
    for (int column = 0; column < context.width(); ++column) {
      if (probePixel(context, column, row).a <= threshold) continue;
      if (!bounds.found) {
        bounds = {true, column, row, column + 1, row + 1};
        continue;
      }
      bounds.left = std::min(bounds.left, column);
      bounds.top = std::min(bounds.top, row);
      bounds.right = std::max(bounds.right, column + 1);
      bounds.bottom = std::max(bounds.bottom, row + 1);
    }
  }
  return bounds;
}

}  // namespace brivora
