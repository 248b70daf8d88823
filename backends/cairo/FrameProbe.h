#pragma once

// Frames and pixel probes shared by the Cairo tests.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>

#include "backends/cairo/CairoGraphicsContext.h"

namespace brivora {

inline constexpr int frameWidth = 64;
inline constexpr int frameHeight = 48;
inline constexpr Color opaqueBlack{0, 0, 0, 1};
inline constexpr Color opaqueRed{1, 0, 0, 1};
inline constexpr double nan = std::numeric_limits<double>::quiet_NaN();
inline constexpr double inf = std::numeric_limits<double>::infinity();

// A premultiplied pixel split into 0…255 channels.
struct ProbedPixel {
  int a = 0, r = 0, g = 0, b = 0;
  friend bool operator==(const ProbedPixel&, const ProbedPixel&) = default;
  friend std::ostream& operator<<(std::ostream& out, const ProbedPixel& p) {
    return out << "argb(" << p.a << "," << p.r << "," << p.g << "," << p.b << ")";
  }
};

// The pixel in `column` and `row` of ARGB32 rows `stride` bytes apart, row 0 at the top.
inline ProbedPixel probePixel(const std::uint8_t* data, int stride, int column, int row) {
  std::uint32_t word = 0;
  std::memcpy(&word, data + row * stride + column * 4, sizeof word);
  return {static_cast<int>(word >> 24), static_cast<int>((word >> 16) & 0xff),
          static_cast<int>((word >> 8) & 0xff), static_cast<int>(word & 0xff)};
}

inline ProbedPixel probePixel(CairoGraphicsContext& context, int column, int row) {
  return probePixel(context.data(), context.stride(), column, row);
}

// The largest value of each channel over the frame.
inline ProbedPixel channelMaxima(CairoGraphicsContext& context) {
  ProbedPixel most;
  for (int row = 0; row < context.height(); ++row) {
    for (int column = 0; column < context.width(); ++column) {
      const ProbedPixel p = probePixel(context, column, row);
      most = {std::max(most.a, p.a), std::max(most.r, p.r), std::max(most.g, p.g),
              std::max(most.b, p.b)};
    }
  }
  return most;
}

// The smallest box of surface pixels holding every pixel with some alpha; empty (`found`
// false) when there is none. `right` and `bottom` are exclusive.
struct InkBounds {
  bool found = false;
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const InkBounds&, const InkBounds&) = default;
  friend std::ostream& operator<<(std::ostream& out, const InkBounds& i) {
    if (!i.found) return out << "no ink";
    return out << "[" << i.left << "," << i.right << ")×[" << i.top << "," << i.bottom << ")";
  }
};

inline InkBounds probeInk(CairoGraphicsContext& context) {
  InkBounds bounds{false, context.width(), context.height(), 0, 0};
  for (int row = 0; row < context.height(); ++row) {
    for (int column = 0; column < context.width(); ++column) {
      if (probePixel(context, column, row).a == 0) continue;
      bounds = {true, std::min(bounds.left, column), std::min(bounds.top, row),
                std::max(bounds.right, column + 1), std::max(bounds.bottom, row + 1)};
    }
  }
  return bounds.found ? bounds : InkBounds{};
}

}  // namespace brivora
