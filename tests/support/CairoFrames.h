#pragma once

// Images and frame comparisons the Cairo backend's tests share.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "backends/cairo/CairoGraphicsContext.h"
#include "platform/Image.h"

namespace brivora::testing {

// Premultiplied noise, the same for the same seed: opaque, or at half alpha.
inline ImagePixels noisePixels(int width, int height, std::uint32_t seed, bool opaque = true) {
  ImagePixels pixels{width, height, {}, opaque};
  const std::uint32_t alpha = opaque ? 255 : 128;
  for (int at = 0; at < width * height; ++at) {
    seed = seed * 1664525u + 1013904223u;
    std::uint32_t word = alpha << 24;
    for (int shift = 0; shift < 24; shift += 8)
      word |= ((seed >> (shift + 8) & 0xFF) * alpha / 255) << shift;
    pixels.argb.push_back(word);
  }
  return pixels;
}

// An image whose natural size is far larger than its pixels, as a downsampled decode is.
inline Image imageOf(ImagePixels pixels) {
  return Image("test.jpg", {4000, 3000}, std::make_shared<ImagePixels>(std::move(pixels)));
}

// The frame's bytes, row after row, each row `stride()` long.
inline std::vector<std::uint8_t> frameBytes(CairoGraphicsContext& context) {
  const std::uint8_t* data = context.data();
  return {data, data + static_cast<std::ptrdiff_t>(context.stride()) * context.height()};
}

// The largest difference between the bytes of two runs of any element type; 256 where their
// sizes differ.
template <typename First, typename Second>
int largestDifference(const std::vector<First>& first, const std::vector<Second>& second) {
  const std::size_t size = first.size() * sizeof(First);
  if (size != second.size() * sizeof(Second)) return 256;
  const auto* a = reinterpret_cast<const std::uint8_t*>(first.data());
  const auto* b = reinterpret_cast<const std::uint8_t*>(second.data());
  int largest = 0;
  for (std::size_t at = 0; at < size; ++at) largest = std::max(largest, std::abs(a[at] - b[at]));
  return largest;
}

}  // namespace brivora::testing
