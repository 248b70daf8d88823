#include "backends/cairo/BilinearScaler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define BRIVORA_BILINEAR_AVX2 1
#endif

namespace brivora {

namespace {

constexpr int weightBits = 7;
constexpr int weightOne = 1 << weightBits;
constexpr int pixelsPerVector = 8;

// Where each destination pixel along one axis samples the source: the two neighbouring source
// indices, clamped to the edge, and how much of the second to take, in 128ths.
struct Taps {
  std::vector<std::int32_t> first;
  std::vector<std::int32_t> second;
  std::vector<std::int16_t> weight;
};

// The 16-bit weight lanes of one vector.
using WeightLanes = std::array<std::int16_t, 16>;

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
    taps.first[static_cast<std::size_t>(at)] = clampIndex(index);
    taps.second[static_cast<std::size_t>(at)] = clampIndex(index + 1);
    taps.weight[static_cast<std::size_t>(at)] = static_cast<std::int16_t>(fixed & (weightOne - 1));
  }
  return taps;
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

#ifdef BRIVORA_BILINEAR_AVX2

// Sixteen channel pairs in 16-bit lanes blended with their weights: a × (128 − w) + b × w,
// rounded, over 128.
__attribute__((target("avx2"), always_inline)) inline __m256i blendLanes(__m256i a, __m256i b,
                                                                         __m256i weight) {
  const __m256i inverse = _mm256_sub_epi16(_mm256_set1_epi16(weightOne), weight);
  const __m256i sum =
      _mm256_add_epi16(_mm256_mullo_epi16(a, inverse), _mm256_mullo_epi16(b, weight));
  return _mm256_srli_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(weightOne / 2)), weightBits);
}

// Blends eight pixel pairs whose weights are in 16-bit lanes laid out as unpacking by bytes
// lays out the pixels: the low half of each 128-bit lane in `weightLow`, the high in `weightHigh`.
__attribute__((target("avx2"), always_inline)) inline __m256i blendVectors(__m256i a, __m256i b,
                                                                           __m256i weightLow,
                                                                           __m256i weightHigh) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low =
      blendLanes(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero), weightLow);
  const __m256i high =
      blendLanes(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero), weightHigh);
  return _mm256_packus_epi16(low, high);
}

// Blends two source rows into `out` over columns [from, to), all with one weight.
__attribute__((target("avx2"))) void blendRows(const std::uint32_t* top,
                                               const std::uint32_t* bottom, int weight,
                                               std::uint32_t* out, int from, int to) {
  const __m256i lanes = _mm256_set1_epi16(static_cast<short>(weight));
  int at = from;
  for (; at + pixelsPerVector <= to; at += pixelsPerVector) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top + at));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom + at));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at), blendVectors(a, b, lanes, lanes));
  }
  for (; at < to; ++at) out[at] = blendPixel(top[at], bottom[at], weight);
}

// The pixels of `low` and `high` (sixteen in a row) at `indices`, each from 0 to 15.
__attribute__((target("avx2"), always_inline)) inline __m256i pick(__m256i low, __m256i high,
                                                                   __m256i indices) {
  // The permutes read the low three bits of each index; the comparison picks the register.
  const __m256i fromHigh = _mm256_cmpgt_epi32(indices, _mm256_set1_epi32(7));
  return _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(low, indices),
                            _mm256_permutevar8x32_epi32(high, indices), fromHigh);
}

// Samples `row` (indexed by source column, readable 16 pixels past its last sampled one) at
// every destination column. Eight columns sampling within sixteen source pixels, as any scale
// down to 1/2 does, are picked from two loads; wider spans are gathered.
__attribute__((target("avx2"))) void blendColumns(const std::uint32_t* row, const Taps& taps,
                                                  const std::vector<WeightLanes>& weightLow,
                                                  const std::vector<WeightLanes>& weightHigh,
                                                  std::uint32_t* out, int count) {
  const auto* base = reinterpret_cast<const int*>(row);
  int at = 0;
  for (; at + pixelsPerVector <= count; at += pixelsPerVector) {
    const auto index = static_cast<std::size_t>(at);
    const __m256i first =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(taps.first.data() + at));
    const __m256i second =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(taps.second.data() + at));
    const std::int32_t start = std::min(taps.first[index], taps.second[index]);
    const std::int32_t end =
        std::max(taps.first[index + pixelsPerVector - 1], taps.second[index + pixelsPerVector - 1]);
    __m256i a;
    __m256i b;
    if (end - start < 2 * pixelsPerVector && start <= end) {
      const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + start));
      const __m256i high =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + start + pixelsPerVector));
      const __m256i offset = _mm256_set1_epi32(start);
      a = pick(low, high, _mm256_sub_epi32(first, offset));
      b = pick(low, high, _mm256_sub_epi32(second, offset));
    } else {
      a = _mm256_i32gather_epi32(base, first, 4);
      b = _mm256_i32gather_epi32(base, second, 4);
    }
    const std::size_t block = index / pixelsPerVector;
    const __m256i low =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weightLow[block].data()));
    const __m256i high =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weightHigh[block].data()));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + at), blendVectors(a, b, low, high));
  }
  for (; at < count; ++at) {
    const auto index = static_cast<std::size_t>(at);
    out[at] = blendPixel(row[taps.first[index]], row[taps.second[index]], taps.weight[index]);
  }
}

// The column weights of each block of eight, in the lane order unpacking gives: pixels 0, 1,
// 4, 5 in the low halves and 2, 3, 6, 7 in the high, four channels each.
void weightVectors(const Taps& taps, int count, std::vector<WeightLanes>& low,
                   std::vector<WeightLanes>& high) {
  const int blocks = count / pixelsPerVector;
  low.resize(static_cast<std::size_t>(blocks));
  high.resize(static_cast<std::size_t>(blocks));
  constexpr int lowPixels[4] = {0, 1, 4, 5};
  constexpr int highPixels[4] = {2, 3, 6, 7};
  for (int block = 0; block < blocks; ++block) {
    const auto weightOf = [&](int offset) {
      return taps.weight[static_cast<std::size_t>(block * pixelsPerVector + offset)];
    };
    for (int pixel = 0; pixel < 4; ++pixel) {
      for (int channel = 0; channel < 4; ++channel) {
        low[static_cast<std::size_t>(block)][static_cast<std::size_t>(pixel * 4 + channel)] =
            weightOf(lowPixels[pixel]);
        high[static_cast<std::size_t>(block)][static_cast<std::size_t>(pixel * 4 + channel)] =
            weightOf(highPixels[pixel]);
      }
    }
  }
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

bool hasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#endif

}  // namespace

bool scaleBilinearInto(const ImagePixels& source, SurfaceRect rect, std::uint32_t* destination,
                       int width, int height, std::ptrdiff_t strideWords) {
  return scaleBilinearInto(source, rect, destination, width, height, strideWords, RowOverlay{});
}

bool scaleBilinearInto(const ImagePixels& source, SurfaceRect rect, std::uint32_t* destination,
                       int width, int height, std::ptrdiff_t strideWords,
                       const RowOverlay& overlay) {
#ifdef BRIVORA_BILINEAR_AVX2
  if (!hasAvx2() || !destination || width <= 0 || height <= 0 || strideWords < width) return false;
  if (overlay.pixels && (overlay.strideWords < width || overlay.alpha < 0 || overlay.alpha > 255)) {
    return false;
  }
  if (source.width <= 0 || source.height <= 0 ||
      source.argb.size() <
          static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height)) {
    return false;
  }
  // Mirrored or vanishing rects, and positions beyond exact fixed point, are left to pixman.
  if (!(rect.width >= 1.0 / 64 && rect.height >= 1.0 / 64) || !isInSurfaceRange(rect)) {
    return false;
  }
  const Taps columns = tapsFor(width, rect.x, rect.width, source.width);
  const Taps rows = tapsFor(height, rect.y, rect.height, source.height);
  std::vector<WeightLanes> weightLow;
  std::vector<WeightLanes> weightHigh;
  weightVectors(columns, width, weightLow, weightHigh);
  // Only the source columns some destination column samples are blended between rows.
  const int from = *std::min_element(columns.first.begin(), columns.first.end());
  const int to = *std::max_element(columns.second.begin(), columns.second.end()) + 1;
  // One source row blended between its neighbours, with room for the two loads that read up
  // to sixteen pixels from any sampled one.
  std::vector<std::uint32_t> blended(static_cast<std::size_t>(source.width) + 2 * pixelsPerVector);
  for (int y = 0; y < height; ++y) {
    const auto tap = static_cast<std::size_t>(y);
    const std::uint32_t* top =
        source.argb.data() + static_cast<std::size_t>(rows.first[tap]) * source.width;
    const std::uint32_t* bottom =
        source.argb.data() + static_cast<std::size_t>(rows.second[tap]) * source.width;
    blendRows(top, bottom, top == bottom ? 0 : rows.weight[tap], blended.data(), from, to);
    std::uint32_t* out = destination + y * strideWords;
    blendColumns(blended.data(), columns, weightLow, weightHigh, out, width);
    if (overlay.pixels)
      overRow(out, overlay.pixels + y * overlay.strideWords, overlay.alpha, width);
  }
  return true;
#else
  static_cast<void>(source);
  static_cast<void>(rect);
  static_cast<void>(destination);
  static_cast<void>(width);
  static_cast<void>(height);
  static_cast<void>(strideWords);
  static_cast<void>(overlay);
  return false;
#endif
}

}  // namespace brivora
