#pragma once

#include <cstdint>
#include <vector>

namespace brivora {

// Decoded pixels, ready to draw: premultiplied ARGB, one 32-bit word per pixel in native byte
// order (alpha in the top byte), rows from top to bottom with no padding between them.
struct ImagePixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
  // Every pixel's alpha is full: drawn at full opacity, the image hides whatever is under it.
  bool opaque = false;
};

}  // namespace brivora
