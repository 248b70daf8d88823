#pragma once

#include <cstddef>
#include <cstdint>

namespace brivora {

// How many shaped lines the text renderer keeps: every overlay of a frame several times
// over, while a countdown's new string each second pushes the oldest out.
inline constexpr std::size_t shapedTextBudget = 256;

// How many bytes of A8 text and shadow rasters the text renderer keeps: the overlays of a
// 4K frame, each at a few sub-pixel phases, fit many times over.
inline constexpr std::size_t textRasterBudgetBytes = std::size_t{16} << 20;

// What the text renderer keeps, and how often it had to shape and rasterise.
struct TextCacheStats {
  std::size_t shapedTexts = 0;
  std::size_t rasters = 0;
  std::size_t rasterBytes = 0;
  std::uint64_t shapings = 0;        // since the renderer was made
  std::uint64_t rasterisations = 0;  // likewise
};

}  // namespace brivora
