#pragma once

#include <cstdint>

namespace brivora {

// Packs 8-bit channels into one ImagePixels word, alpha in the top byte.
inline std::uint32_t packArgb(std::uint32_t alpha, std::uint32_t red, std::uint32_t green,
                              std::uint32_t blue) {
  return alpha << 24 | red << 16 | green << 8 | blue;
}

// Scales a colour channel by coverage `alpha`, both 0...255, rounding to nearest.
inline std::uint32_t premultiplied(std::uint32_t channel, std::uint32_t alpha) {
  return (channel * alpha + 127) / 255;
}

// The ImagePixels word for a straight-alpha (not premultiplied) RGBA pixel.
inline std::uint32_t premultipliedArgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue,
                                       std::uint32_t alpha) {
  return packArgb(alpha, premultiplied(red, alpha), premultiplied(green, alpha),
                  premultiplied(blue, alpha));
}

}  // namespace brivora
