#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "backends/codecs/CoverSize.h"
#include "platform/ImagePixels.h"

namespace brivora {

// Shrinks premultiplied ARGB pixels by area averaging, row by row as a decoder hands them over,
// so a large image never needs to be held whole. Each output pixel is the exact average of the
// source area it covers, partly covered source pixels weighed by their share.
class AreaReducer {
 public:
  // `target` is at most `source` on each side and at least 1×1.
  AreaReducer(PixelSize source, PixelSize target);

  // Takes the next source row, top to bottom: `source.width` words. Rows past the last are
  // ignored.
  void addRow(std::span<const std::uint32_t> row);

  // The reduced pixels; rows never handed over count as transparent. Call once.
  ImagePixels finish();

 private:
  struct Share {
    int first = 0;                  // the output index the source index falls in first
    std::uint32_t firstWeight = 0;  // how much of it lies there; the rest goes to first + 1
  };

  static std::vector<Share> shares(int sourceCount, int targetCount);
  void emitRow();

  PixelSize source_;
  PixelSize target_;
  std::vector<Share> columnShares_;
  std::vector<Share> rowShares_;
  std::uint64_t pixelWeight_;  // the summed weight of one output pixel
  int rowsTaken_ = 0;
  int outputRow_ = 0;                   // the output row `current_` accumulates
  std::vector<std::uint64_t> rowSums_;  // one source row, summed across, 4 channels a column
  std::vector<std::uint64_t> current_;
  std::vector<std::uint64_t> next_;
  ImagePixels output_;
};

}  // namespace brivora
