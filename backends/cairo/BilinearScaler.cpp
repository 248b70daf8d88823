#include "backends/cairo/BilinearScaler.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "backends/cairo/CpuFeatures.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define BRIVORA_BILINEAR_AVX2 1
#endif

namespace brivora {

namespace {

constexpr int weightBits = 7;
constexpr int weightOne = 1 << weightBits;
constexpr int pixelsPerVector = 8;

using Taps = BilinearRows::Taps;

Taps tapsFor(int count, double origin, double extent, int sourceCount) {
  Taps taps;
  taps.first.resize(static_cast<std::size_t>(count));
  taps.second.resize(static_cast<std::size_t>(count));
  taps.weight.resize(static_cast<std::size_t>(count));
  const double scale = sourceCount / extent;
  for (int at = 0; at < count; ++at) {
    const double position = ((at + 0.5 - origin) * scale - 0.5) * weightOne;
    const auto fixed = static_cast<std::int64_t>(std::floor(position));
    const std::int64_t index = fixed >> weightBits;  // floor division, negatives included
    const auto clampIndex = [&](std::int64_t value) {
      return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, sourceCount - 1));
    };
    const auto weight = static_cast<std::int16_t>(fixed & (weightOne - 1));
    taps.first[static_cast<std::size_t>(at)] = clampIndex(index);
    // Nothing of the second is taken; sampling the first twice lets every weight pair be
    // told in signed bytes: 127 and 1 stand for 128 and 0.
    taps.second[static_cast<std::size_t>(at)] = clampIndex(weight == 0 ? index : index + 1);
    taps.weight[static_cast<std::size_t>(at)] = weight;
  }
  return taps;
}

// The weights of a pair of pixels as signed bytes, the first's then the second's: 128 − w and
// w, or 127 and 1 for w = 0 (where both pixels are the same one).
std::array<std::int8_t, 2> weightPair(int weight) {
  if (weight == 0) return {weightOne - 1, 1};
  return {static_cast<std::int8_t>(weightOne - weight), static_cast<std::int8_t>(weight)};
}

// One channel-wise blend of two pixels: a × (128 − w) + b × w, rounded, over 128.
std::uint32_t blendPixel(std::uint32_t a, std::uint32_t b, int weight) {
  std::uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int first = static_cast<int>((a >> shift) & 0xFF);
    const int second = static_cast<int>((b >> shift) & 0xFF);
    const int value =
        (first * (weightOne - weight) + second * weight + weightOne / 2) >> weightBits;
    result |= static_cast<std::uint32_t>(value) << shift;
  }
  return result;
}

// x × y / 255 for bytes, rounded as pixman rounds.
int multiplyBytes(int x, int y) {
  const int product = x * y + 0x80;
  return (product + (product >> 8)) >> 8;
}

// `over` at `alpha` (255ths) over `under`, for the ends of rows the vector loop leaves.
std::uint32_t overPixel(std::uint32_t under, std::uint32_t over, int alpha) {
  const int overAlpha = multiplyBytes(static_cast<int>(over >> 24), alpha);
  std::uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int source = multiplyBytes(static_cast<int>((over >> shift) & 0xFF), alpha);
    const int kept = multiplyBytes(static_cast<int>((under >> shift) & 0xFF), 255 - overAlpha);
    result |= static_cast<std::uint32_t>(std::min(255, source + kept)) << shift;
  }
  return result;
}

// A block's start that says it gathers its pixels by the taps.
constexpr std::int32_t gatheredBlock = -1;

// A start stored for a block whose pixels all lie within eight of it, and back: negative, below
// gatheredBlock.
constexpr std::int32_t nearStartOf(std::int32_t start) {
  return -2 - start;
}

// Where each block of eight destination columns finds its pixels in a row: a start and the
// offsets from it, when all lie within sixteen pixels (any scale down to 1/2), else nothing
// and the block gathers them by the taps.
BilinearRows::ColumnBlocks columnBlocks(const Taps& taps, int count) {
  const int blocks = count / pixelsPerVector;
  BilinearRows::ColumnBlocks plan;
  plan.start.resize(static_cast<std::size_t>(blocks));
  plan.picks.resize(static_cast<std::size_t>(blocks) * 2 * pixelsPerVector);
  plan.weights.resize(static_cast<std::size_t>(blocks) * 8 * pixelsPerVector);
  // Unpacking by bytes takes pixels 0, 1, 4, 5 into the low halves and 2, 3, 6, 7 into the high.
  constexpr int unpackOrder[2][4] = {{0, 1, 4, 5}, {2, 3, 6, 7}};
  for (int block = 0; block < blocks; ++block) {
    const auto at = static_cast<std::size_t>(block * pixelsPerVector);
    const std::int32_t start = std::min(taps.first[at], taps.second[at]);
    const std::int32_t end =
        std::max(taps.first[at + pixelsPerVector - 1], taps.second[at + pixelsPerVector - 1]);
    const bool near = start <= end && end - start < 2 * pixelsPerVector;
    const bool withinEight = start <= end && end - start < pixelsPerVector;
    plan.start[static_cast<std::size_t>(block)] = withinEight ? nearStartOf(start)
                                                  : near      ? start
                                                              : gatheredBlock;
    std::int32_t* picks = &plan.picks[static_cast<std::size_t>(block) * 2 * pixelsPerVector];
    for (int pixel = 0; pixel < pixelsPerVector; ++pixel) {
      // The permutes read an offset's low three bits, the blend the top bit of every byte.
      const auto pickOf = [&](std::int32_t index) {
        const std::int32_t offset = near ? index - start : 0;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(offset) |
                                         (offset >= pixelsPerVector ? 0x80808080u : 0u));
      };
      picks[pixel] = pickOf(taps.first[at + static_cast<std::size_t>(pixel)]);
      picks[pixelsPerVector + pixel] = pickOf(taps.second[at + static_cast<std::size_t>(pixel)]);
    }
    std::int8_t* weights = &plan.weights[static_cast<std::size_t>(block) * 8 * pixelsPerVector];
    for (int half = 0; half < 2; ++half) {
      for (int lane = 0; lane < 16; ++lane) {
        const int pixel = unpackOrder[half][lane / 4];
        const auto pair = weightPair(taps.weight[at + static_cast<std::size_t>(pixel)]);
        weights[half * 32 + lane * 2] = pair[0];
        weights[half * 32 + lane * 2 + 1] = pair[1];
      }
    }
  }
  return plan;
}

#ifdef BRIVORA_BILINEAR_AVX2

// The pixels of eight pairs blended by the weight pairs in `weights`: the low halves of each
// 128-bit lane (pixels 0, 1, 4, 5) and the high ones (2, 3, 6, 7) as 16-bit lanes, each
// a × (128 − w) + b × w, rounded, over 128.
struct BlendedLanes {
  __m256i low;
  __m256i high;
};

__attribute__((target("avx2"), always_inline)) inline BlendedLanes blendPairs(__m256i a, __m256i b,
                                                                              __m256i weightLow,
                                                                              __m256i weightHigh) {
  const __m256i half = _mm256_set1_epi16(weightOne / 2);
  const __m256i low = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), weightLow);
  const __m256i high = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), weightHigh);
  return {_mm256_srli_epi16(_mm256_add_epi16(low, half), weightBits),
          _mm256_srli_epi16(_mm256_add_epi16(high, half), weightBits)};
}

// Blends two source rows into `out` over columns [from, to), all with one weight.
__attribute__((target("avx2"))) void blendRows(const std::uint32_t* top,
                                               const std::uint32_t* bottom, int weight,
                                               std::uint32_t* out, int from, int to) {
  const auto pair = weightPair(weight);
  const __m256i weights = _mm256_set1_epi16(static_cast<short>(
      static_cast<std::uint8_t>(pair[0]) | (static_cast<std::uint8_t>(pair[1]) << 8)));
  int at = from;
  for (; at + pixelsPerVector <= to; at += pixelsPerVector) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top + at));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom + at));
    const BlendedLanes blended = blendPairs(a, b, weights, weights);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at),
                        _mm256_packus_epi16(blended.low, blended.high));
  }
  for (; at < to; ++at) out[at] = blendPixel(top[at], bottom[at], weight);
}

// The pixels of `low` and `high` (sixteen in a row) at `picks`: offsets from 0 to 15, those
// from 8 up with the top bit of every byte set.
__attribute__((target("avx2"), always_inline)) inline __m256i pick(__m256i low, __m256i high,
                                                                   __m256i picks) {
  return _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(low, picks),
                            _mm256_permutevar8x32_epi32(high, picks), picks);
}

// Products of bytes in 16-bit lanes divided by 255 as pixman does: (x × y + 0x80) × 0x101 >> 16.
__attribute__((target("avx2"), always_inline)) inline __m256i multiplyLanes(__m256i x, __m256i y) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(x, y), _mm256_set1_epi16(0x80)),
                            _mm256_set1_epi16(0x101));
}

// Eight pixels over eight, the top ones scaled by `alpha` in every lane.
__attribute__((target("avx2"), always_inline)) inline __m256i overLanes(__m256i under, __m256i over,
                                                                        __m256i alpha) {
  const __m256i source = multiplyLanes(over, alpha);
  // Each pixel's alpha (its fourth lane) in all four of its lanes.
  const __m256i sourceAlpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(source, 0xFF), 0xFF);
  const __m256i kept = multiplyLanes(under, _mm256_sub_epi16(_mm256_set1_epi16(255), sourceAlpha));
  return _mm256_add_epi16(source, kept);
}

// Eight pixels under eight opaque ones scaled by `alpha`: what overLanes gives when every top
// pixel's alpha is full, without working each one's alpha out.
__attribute__((target("avx2"), always_inline)) inline __m256i overOpaqueLanes(__m256i under,
                                                                              __m256i over,
                                                                              __m256i alpha,
                                                                              __m256i inverse) {
  return _mm256_add_epi16(multiplyLanes(over, alpha), multiplyLanes(under, inverse));
}

enum class Overlay { none, any, opaque };

// Samples `row` (indexed by source column, readable 16 pixels past its last sampled one) at
// every destination column into `out`; with an overlay, blends `over` at `alpha` (255ths)
// over each pixel before it is stored.
template <Overlay overlay>
__attribute__((target("avx2"))) void blendColumns(const std::uint32_t* row, const Taps& taps,
                                                  const BilinearRows::ColumnBlocks& plan,
                                                  std::uint32_t* out, int count,
                                                  const std::uint32_t* over, int alpha) {
  const auto* base = reinterpret_cast<const int*>(row);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i alphaLanes = _mm256_set1_epi16(static_cast<short>(alpha));
  const __m256i inverseLanes = _mm256_set1_epi16(static_cast<short>(255 - alpha));
  const std::int32_t* starts = plan.start.data();
  const auto* picks = reinterpret_cast<const __m256i*>(plan.picks.data());
  const auto* weights = reinterpret_cast<const __m256i*>(plan.weights.data());
  int at = 0;
  for (; at + pixelsPerVector <= count; at += pixelsPerVector, ++starts, picks += 2, weights += 2) {
    const std::int32_t start = *starts;
    __m256i a;
    __m256i b;
    if (start >= 0) {
      const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + start));
      const __m256i high =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + start + pixelsPerVector));
      a = pick(low, high, _mm256_loadu_si256(picks));
      b = pick(low, high, _mm256_loadu_si256(picks + 1));
    } else if (start != gatheredBlock) {
      // All sixteen pixels lie within eight, as when enlarging: one load, no blend.
      const __m256i low =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + nearStartOf(start)));
      a = _mm256_permutevar8x32_epi32(low, _mm256_loadu_si256(picks));
      b = _mm256_permutevar8x32_epi32(low, _mm256_loadu_si256(picks + 1));
    } else {
      a = _mm256_i32gather_epi32(
          base, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(taps.first.data() + at)), 4);
      b = _mm256_i32gather_epi32(
          base, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(taps.second.data() + at)), 4);
    }
    BlendedLanes blended =
        blendPairs(a, b, _mm256_loadu_si256(weights), _mm256_loadu_si256(weights + 1));
    if constexpr (overlay != Overlay::none) {
      const __m256i top = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(over + at));
      const __m256i topLow = _mm256_unpacklo_epi8(top, zero);
      const __m256i topHigh = _mm256_unpackhi_epi8(top, zero);
      if constexpr (overlay == Overlay::opaque) {
        blended.low = overOpaqueLanes(blended.low, topLow, alphaLanes, inverseLanes);
        blended.high = overOpaqueLanes(blended.high, topHigh, alphaLanes, inverseLanes);
      } else {
        blended.low = overLanes(blended.low, topLow, alphaLanes);
        blended.high = overLanes(blended.high, topHigh, alphaLanes);
      }
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at),
                        _mm256_packus_epi16(blended.low, blended.high));
  }
  for (; at < count; ++at) {
    const auto index = static_cast<std::size_t>(at);
    out[at] = blendPixel(row[taps.first[index]], row[taps.second[index]], taps.weight[index]);
    if constexpr (overlay != Overlay::none) out[at] = overPixel(out[at], over[at], alpha);
  }
}

__attribute__((target("avx2"))) void overRow(std::uint32_t* under, const std::uint32_t* over,
                                             int alpha, int count) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i alphaLanes = _mm256_set1_epi16(static_cast<short>(alpha));
  int at = 0;
  for (; at + pixelsPerVector <= count; at += pixelsPerVector) {
    const __m256i bottom = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(under + at));
    const __m256i top = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(over + at));
    const __m256i low =
        overLanes(_mm256_unpacklo_epi8(bottom, zero), _mm256_unpacklo_epi8(top, zero), alphaLanes);
    const __m256i high =
        overLanes(_mm256_unpackhi_epi8(bottom, zero), _mm256_unpackhi_epi8(top, zero), alphaLanes);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(under + at), _mm256_packus_epi16(low, high));
  }
  for (; at < count; ++at) under[at] = overPixel(under[at], over[at], alpha);
}

#endif

}  // namespace

std::optional<BilinearRows> BilinearRows::prepare(const ImagePixels& source, SurfaceRect rect,
                                                  int width, int height) {
#ifdef BRIVORA_BILINEAR_AVX2
  if (!vectorPathsEnabled() || width <= 0 || height <= 0) return std::nullopt;
  if (source.width <= 0 || source.height <= 0 ||
      source.argb.size() <
          static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height)) {
    return std::nullopt;
  }
  // Mirrored or vanishing rects, and positions beyond exact fixed point, are left to pixman.
  if (!(rect.width >= 1.0 / 64 && rect.height >= 1.0 / 64) || !isInSurfaceRange(rect)) {
    return std::nullopt;
  }
  BilinearRows rows;
  rows.source_ = &source;
  rows.width_ = width;
  rows.columns_ = tapsFor(width, rect.x, rect.width, source.width);
  rows.rows_ = tapsFor(height, rect.y, rect.height, source.height);
  rows.blocks_ = columnBlocks(rows.columns_, width);
  // Only the source columns some destination column samples are blended between rows.
  rows.from_ = *std::min_element(rows.columns_.first.begin(), rows.columns_.first.end());
  rows.to_ = *std::max_element(rows.columns_.second.begin(), rows.columns_.second.end()) + 1;
  // Room for the two loads that read up to sixteen pixels from any sampled one.
  rows.blended_.resize(static_cast<std::size_t>(source.width) + 2 * pixelsPerVector);
  return rows;
#else
  static_cast<void>(source);
  static_cast<void>(rect);
  static_cast<void>(width);
  static_cast<void>(height);
  return std::nullopt;
#endif
}

void BilinearRows::scaleRow(int y, std::uint32_t* out, const std::uint32_t* over, int alpha,
                            bool overOpaque) {
#ifdef BRIVORA_BILINEAR_AVX2
  const auto tap = static_cast<std::size_t>(y);
  const auto sourceWidth = static_cast<std::size_t>(source_->width);
  const std::uint32_t* top =
      source_->argb.data() + static_cast<std::size_t>(rows_.first[tap]) * sourceWidth;
  const std::uint32_t* bottom =
      source_->argb.data() + static_cast<std::size_t>(rows_.second[tap]) * sourceWidth;
  blendRows(top, bottom, rows_.weight[tap], blended_.data(), from_, to_);
  // The next row's new source row is asked for now, to arrive while this row is sampled.
  if (tap + 1 < rows_.second.size() && rows_.second[tap + 1] != rows_.second[tap]) {
    const char* next = reinterpret_cast<const char*>(
        source_->argb.data() + static_cast<std::size_t>(rows_.second[tap + 1]) * sourceWidth);
    for (int at = from_ * 4; at < to_ * 4; at += 64) _mm_prefetch(next + at, _MM_HINT_T0);
  }
  if (over && overOpaque) {
    blendColumns<Overlay::opaque>(blended_.data(), columns_, blocks_, out, width_, over, alpha);
  } else if (over) {
    blendColumns<Overlay::any>(blended_.data(), columns_, blocks_, out, width_, over, alpha);
  } else {
    blendColumns<Overlay::none>(blended_.data(), columns_, blocks_, out, width_, nullptr, 0);
  }
#else
  static_cast<void>(y);
  static_cast<void>(out);
  static_cast<void>(over);
  static_cast<void>(alpha);
  static_cast<void>(overOpaque);
#endif
}

void blendOverRow(std::uint32_t* under, const std::uint32_t* over, int alpha, int count) {
#ifdef BRIVORA_BILINEAR_AVX2
  overRow(under, over, alpha, count);
#else
  for (int at = 0; at < count; ++at) under[at] = overPixel(under[at], over[at], alpha);
#endif
}

bool scaleBilinearInto(const ImagePixels& source, SurfaceRect rect, std::uint32_t* destination,
                       int width, int height, std::ptrdiff_t strideWords) {
  if (!destination || strideWords < width) return false;
  std::optional<BilinearRows> rows = BilinearRows::prepare(source, rect, width, height);
  if (!rows) return false;
  for (int y = 0; y < height; ++y) rows->scaleRow(y, destination + y * strideWords);
  return true;
}

}  // namespace brivora
