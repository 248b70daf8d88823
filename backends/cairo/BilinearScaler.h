#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "backends/cairo/SurfaceCoordinates.h"
#include "platform/ImagePixels.h"

namespace brivora {

// An image scaled onto `rect` (surface pixels; it may reach past the destination) for a
// destination of `width` × `height`, written a row at a time: bilinear samples at pixel
// centres with 7-bit weights, edges padded, as pixman's bilinear filter samples. Where each
// row and column samples the image is worked out once, when it is made. It replaces what was
// there, so it suits an image that covers the destination. Several times faster than pixman
// for the covering wallpaper. Only where the AVX2 paths run.
class BilinearRows {
 public:
  // None where the AVX2 paths do not run or the input is unusable (too few pixels, a
  // mirrored or vanishing rect, positions beyond exact fixed point); the caller then draws
  // another way. `source` must outlive the scaling.
  static std::optional<BilinearRows> prepare(const ImagePixels& source, SurfaceRect rect, int width,
                                             int height);

  // Writes the `width` pixels of destination row `y`, from 0 to height − 1, at `out`; with
  // `over`, blends those `width` premultiplied pixels over them at `alpha` (255ths) first,
  // as blendOverRow would. `overOpaque` says every pixel of `over` has a full alpha.
  void scaleRow(int y, std::uint32_t* out, const std::uint32_t* over = nullptr, int alpha = 255,
                bool overOpaque = false);

  int width() const { return width_; }

  // Where each destination pixel along one axis samples the source: the two neighbouring
  // source indices, clamped to the edge, and how much of the second to take, in 128ths.
  struct Taps {
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> second;
    std::vector<std::int16_t> weight;
  };

  // How each block of eight destination columns samples a row: the first of the sixteen
  // pixels it loads (or of eight, or that it gathers them by the taps instead, told by negative
  // values), which of them each column takes first and second, and the columns' weight pairs
  // in the order the blend takes them.
  struct ColumnBlocks {
    std::vector<std::int32_t> start;
    std::vector<std::int32_t> picks;
    std::vector<std::int8_t> weights;
  };

 private:
  BilinearRows() = default;

  const ImagePixels* source_ = nullptr;
  int width_ = 0;
  Taps columns_;
  Taps rows_;
  ColumnBlocks blocks_;
  int from_ = 0;  // the source columns some destination one samples
  int to_ = 0;
  std::vector<std::uint32_t> blended_;  // one source row blended between its neighbours
};

// `over` (premultiplied) at `alpha` (255ths) source-over `under`, `count` pixels, with
// pixman's rounding for an image painted through a solid mask. Only where the AVX2 paths run.
void blendOverRow(std::uint32_t* under, const std::uint32_t* over, int alpha, int count);

// Scales `source` onto all of a `width` × `height` destination of `strideWords` words a row, as
// BilinearRows does. False, having written nothing, where BilinearRows cannot.
bool scaleBilinearInto(const ImagePixels& source, SurfaceRect rect, std::uint32_t* destination,
                       int width, int height, std::ptrdiff_t strideWords);

}  // namespace brivora
