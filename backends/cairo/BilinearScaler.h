#pragma once

#include <cstddef>
#include <cstdint>

#include "backends/cairo/SurfaceCoordinates.h"
#include "platform/ImagePixels.h"

namespace brivora {

// Scales `source` onto `rect` (surface pixels; it may reach past the destination) and writes
// every pixel of a `width` × `height` destination of `strideWords` words a row: bilinear samples
// at pixel centres with 7-bit weights, edges padded, as pixman's bilinear filter samples. It
// replaces what was there, so it suits an image that covers the destination. Several times
// faster than pixman for the covering wallpaper. False, having written nothing, where the
// machine lacks AVX2 or the input is unusable; the caller then draws another way.
bool scaleBilinearInto(const ImagePixels& source, SurfaceRect rect, std::uint32_t* destination,
                       int width, int height, std::ptrdiff_t strideWords);

// Premultiplied pixels of the destination's size laid over it at an opacity, in 255ths.
struct RowOverlay {
  const std::uint32_t* pixels = nullptr;
  std::ptrdiff_t strideWords = 0;
  int alpha = 255;
};

// scaleBilinearInto, then `overlay` blended over each row while it is still in the cache, with
// pixman's rounding for an image painted through a solid mask; one pass over the frame where
// two would read and write it twice.
bool scaleBilinearInto(const ImagePixels& source, SurfaceRect rect, std::uint32_t* destination,
                       int width, int height, std::ptrdiff_t strideWords,
                       const RowOverlay& overlay);

}  // namespace brivora
