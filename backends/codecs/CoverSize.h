#pragma once

#include <cstdint>

#include "platform/Geometry.h"

namespace brivora {

// A size in whole pixels.
struct PixelSize {
  int width = 0;
  int height = 0;

  std::uint64_t area() const {
    return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  }

  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The pixel size worth keeping of an image of `imageSize` scaled, proportions kept, to fill
// `coverBox`: the image scaled down until it just covers the box, never up. A box that is not
// finite keeps the full size; an empty or negative one keeps the least, 1×1 at the smallest.
PixelSize coverPixelSize(PixelSize imageSize, Size coverBox);

// The same size with width and height exchanged.
inline PixelSize transposed(PixelSize size) {
  return {size.height, size.width};
}

}  // namespace brivora
