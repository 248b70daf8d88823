#include "backends/cairo/MaskComposite.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "backends/cairo/CpuFeatures.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define BRIVORA_MASK_COMPOSITE_AVX2 1
#endif

namespace brivora {

namespace {

#ifdef BRIVORA_MASK_COMPOSITE_AVX2

// A premultiplied colour in 8-bit channels, rounded as Cairo hands a solid source to pixman.
struct SolidPixel {
  int a = 0;
  int r = 0;
  int g = 0;
  int b = 0;
};

int channelByte(double value) {
  return static_cast<int>(value * 65535 + 0.5) >> 8;
}

SolidPixel solidPixel(Color color) {
  const double alpha = std::clamp(color.a, 0.0, 1.0);
  return {channelByte(alpha), channelByte(std::clamp(color.r, 0.0, 1.0) * alpha),
          channelByte(std::clamp(color.g, 0.0, 1.0) * alpha),
          channelByte(std::clamp(color.b, 0.0, 1.0) * alpha)};
}

// `value` / 255 rounded to nearest, for products of two bytes, as pixman divides.
int divide255(int value) {
  value += 0x80;
  return (value + (value >> 8)) >> 8;
}

// One pixel of the composite, for the ends of rows the vector loop leaves.
std::uint32_t overPixel(std::uint32_t destination, const SolidPixel& source, int coverage) {
  const int sourceChannels[4] = {source.b, source.g, source.r, source.a};  // from bit 0 up
  const int transparency = 255 - divide255(source.a * coverage);
  std::uint32_t result = 0;
  for (int channel = 0; channel < 4; ++channel) {
    const int shift = 8 * channel;
    const int kept = divide255(static_cast<int>((destination >> shift) & 0xff) * transparency);
    const int value = std::min(255, kept + divide255(sourceChannels[channel] * coverage));
    result |= static_cast<std::uint32_t>(value) << shift;
  }
  return result;
}

// Products of two bytes in 16-bit lanes divided by 255, rounded to nearest as pixman does:
// (x + 0x80) * 0x101 >> 16.
__attribute__((target("avx2"))) __m256i divideLanes255(__m256i products) {
  return _mm256_mulhi_epu16(_mm256_adds_epu16(products, _mm256_set1_epi16(0x80)),
                            _mm256_set1_epi16(0x101));
}

// Source-over of `source` through `mask` onto premultiplied ARGB32 rows, eight pixels a step
// in 16-bit lanes, with pixman's rounding: the source scaled by the coverage, then the frame
// by what that leaves uncovered.
__attribute__((target("avx2"))) void overRowsAvx2(std::uint8_t* frame, int frameStride,
                                                  const std::uint8_t* mask, int maskStride,
                                                  int width, int height, const SolidPixel& source) {
  const auto lane = [](int value) { return static_cast<short>(value); };
  const __m256i sourceLanes =
      _mm256_setr_epi16(lane(source.b), lane(source.g), lane(source.r), lane(source.a),
                        lane(source.b), lane(source.g), lane(source.r), lane(source.a),
                        lane(source.b), lane(source.g), lane(source.r), lane(source.a),
                        lane(source.b), lane(source.g), lane(source.r), lane(source.a));
  const std::uint32_t opaqueWord =
      static_cast<std::uint32_t>(source.a) << 24 | static_cast<std::uint32_t>(source.r) << 16 |
      static_cast<std::uint32_t>(source.g) << 8 | static_cast<std::uint32_t>(source.b);
  const __m256i opaqueSource = _mm256_set1_epi32(static_cast<int>(opaqueWord));
  const bool sourceIsOpaque = source.a == 255;
  const __m256i zero = _mm256_setzero_si256();
  const __m256i byteMax = _mm256_set1_epi16(0xff);
  constexpr std::uint64_t fullCoverage = ~std::uint64_t{0};

  for (int row = 0; row < height; ++row) {
    auto* pixels = reinterpret_cast<std::uint32_t*>(frame + std::ptrdiff_t{row} * frameStride);
    const std::uint8_t* coverage = mask + std::ptrdiff_t{row} * maskStride;
    int column = 0;
    for (; column + 8 <= width; column += 8) {
      std::uint64_t eight = 0;
      std::memcpy(&eight, coverage + column, sizeof eight);
      if (eight == 0) continue;
      auto* destination = reinterpret_cast<__m256i*>(pixels + column);
      if (eight == fullCoverage && sourceIsOpaque) {
        _mm256_storeu_si256(destination, opaqueSource);
        continue;
      }
      // The coverages as 16-bit lanes, four per pixel, in the order unpacking splits the
      // frame's pixels: 0, 1, 4, 5 then 2, 3, 6, 7.
      __m256i lanes = _mm256_cvtepu8_epi16(_mm_cvtsi64_si128(static_cast<long long>(eight)));
      lanes = _mm256_permute4x64_epi64(lanes, 0x50);
      lanes = _mm256_unpacklo_epi16(lanes, lanes);
      const __m256i coverageLow = _mm256_unpacklo_epi32(lanes, lanes);
      const __m256i coverageHigh = _mm256_unpackhi_epi32(lanes, lanes);
      const __m256i paintLow = divideLanes255(_mm256_mullo_epi16(sourceLanes, coverageLow));
      const __m256i paintHigh = divideLanes255(_mm256_mullo_epi16(sourceLanes, coverageHigh));
      // What each pixel's paint leaves uncovered: 255 minus its alpha, in all four lanes.
      const __m256i keepLow = _mm256_xor_si256(
          _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(paintLow, 0xff), 0xff), byteMax);
      const __m256i keepHigh = _mm256_xor_si256(
          _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(paintHigh, 0xff), 0xff), byteMax);
      const __m256i before = _mm256_loadu_si256(destination);
      const __m256i low =
          divideLanes255(_mm256_mullo_epi16(_mm256_unpacklo_epi8(before, zero), keepLow));
      const __m256i high =
          divideLanes255(_mm256_mullo_epi16(_mm256_unpackhi_epi8(before, zero), keepHigh));
      _mm256_storeu_si256(destination, _mm256_packus_epi16(_mm256_adds_epu16(low, paintLow),
                                                           _mm256_adds_epu16(high, paintHigh)));
    }
    for (; column < width; ++column) {
      if (coverage[column] != 0) {
        pixels[column] = overPixel(pixels[column], source, coverage[column]);
      }
    }
  }
}

#endif

}  // namespace

std::optional<MaskRows> MaskRows::place(cairo_surface_t* mask, int x, int y, Color color,
                                        int frameWidth, int frameHeight) {
#ifdef BRIVORA_MASK_COMPOSITE_AVX2
  if (!vectorPathsEnabled() || cairo_image_surface_get_format(mask) != CAIRO_FORMAT_A8) {
    return std::nullopt;
  }
  MaskRows rows;
  // The part of the mask on the frame.
  rows.left_ = std::max(x, 0);
  rows.top_ = std::max(y, 0);
  rows.right_ = std::min(x + cairo_image_surface_get_width(mask), frameWidth);
  rows.bottom_ = std::min(y + cairo_image_surface_get_height(mask), frameHeight);
  if (rows.left_ >= rows.right_ || rows.top_ >= rows.bottom_) return std::nullopt;
  cairo_surface_flush(mask);
  rows.mask_.reset(cairo_surface_reference(mask));
  rows.x_ = x;
  rows.y_ = y;
  const SolidPixel source = solidPixel(color);
  rows.source_ = {source.a, source.r, source.g, source.b};
  return rows;
#else
  static_cast<void>(mask);
  static_cast<void>(x);
  static_cast<void>(y);
  static_cast<void>(color);
  static_cast<void>(frameWidth);
  static_cast<void>(frameHeight);
  return std::nullopt;
#endif
}

void MaskRows::blendRow(int y, std::uint32_t* row) const {
#ifdef BRIVORA_MASK_COMPOSITE_AVX2
  if (y < top_ || y >= bottom_) return;
  const int maskStride = cairo_image_surface_get_stride(mask_.get());
  overRowsAvx2(reinterpret_cast<std::uint8_t*>(row + left_), 0,
               cairo_image_surface_get_data(mask_.get()) + std::ptrdiff_t{y - y_} * maskStride +
                   (left_ - x_),
               maskStride, right_ - left_, 1,
               SolidPixel{source_[0], source_[1], source_[2], source_[3]});
#else
  static_cast<void>(y);
  static_cast<void>(row);
#endif
}

void paintThroughMask(cairo_t* frame, cairo_surface_t* mask, int x, int y, Color color) {
  cairo_surface_t* target = cairo_get_target(frame);
  if (cairo_image_surface_get_format(target) == CAIRO_FORMAT_ARGB32) {
    const int width = cairo_image_surface_get_width(target);
    const int height = cairo_image_surface_get_height(target);
    if (const auto rows = MaskRows::place(mask, x, y, color, width, height)) {
      cairo_surface_flush(target);
      auto* data = cairo_image_surface_get_data(target);
      const int stride = cairo_image_surface_get_stride(target);
      for (int row = rows->top(); row < rows->bottom(); ++row) {
        rows->blendRow(row, reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t{row} * stride));
      }
      cairo_surface_mark_dirty_rectangle(target, 0, rows->top(), width,
                                         rows->bottom() - rows->top());
      return;
    }
    // Nothing of the mask on the frame draws nothing either way.
  }
  cairo_save(frame);
  cairo_set_source_rgba(frame, color.r, color.g, color.b, color.a);
  cairo_mask_surface(frame, mask, x, y);
  cairo_restore(frame);
}

}  // namespace brivora
