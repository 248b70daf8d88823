#include "backends/cairo/GradientFill.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "backends/cairo/CpuFeatures.h"
#include "backends/cairo/SurfaceCoordinates.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define BRIVORA_GRADIENT_AVX2 1
#endif

namespace brivora {

namespace {

constexpr int ditherSize = 16;
constexpr int bytesPerPixel = 4;
constexpr double fixedOne = 65536;  // values carry 16 bits below the surface's 8
constexpr std::uint32_t keepAll = 65536;

// The 16×16 Bayer matrix: every threshold from 0 to 255 once, spread as evenly as can be.
constexpr std::array<std::array<std::uint8_t, ditherSize>, ditherSize> bayerMatrix() {
  std::array<std::array<std::uint8_t, ditherSize>, ditherSize> matrix{};
  for (int y = 0; y < ditherSize; ++y) {
    for (int x = 0; x < ditherSize; ++x) {
      int value = 0;
      for (int bit = 3; bit >= 0; --bit) {
        const int xBit = (x >> (3 - bit)) & 1;
        const int yBit = (y >> (3 - bit)) & 1;
        value |= ((xBit ^ yBit) << (2 * bit + 1)) | (yBit << (2 * bit));
      }
      matrix[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] =
          static_cast<std::uint8_t>(value);
    }
  }
  return matrix;
}
constexpr auto bayer = bayerMatrix();

// What the dither adds below the surface's 8 bits at pixel (x, y): a threshold from the middle
// of one of 256 steps.
std::uint32_t ditherThreshold(int x, int y) {
  return (bayer[static_cast<std::size_t>(y % ditherSize)]
               [static_cast<std::size_t>(x % ditherSize)] *
              2u +
          1)
         << 7;
}

// A source pixel in fixed point: what is added to each channel (B, G, R, A in memory order),
// and what the destination is multiplied by (1 − alpha).
struct FixedSource {
  std::array<std::uint32_t, 4> add{};
  std::uint32_t keep = keepAll;
};

FixedSource fixedSource(Color start, Color end, double t, double coverage) {
  t = std::clamp(t, 0.0, 1.0);
  const double alpha = std::clamp(start.a + (end.a - start.a) * t, 0.0, 1.0) * coverage;
  const double channels[3] = {start.b + (end.b - start.b) * t, start.g + (end.g - start.g) * t,
                              start.r + (end.r - start.r) * t};
  FixedSource source;
  for (std::size_t c = 0; c < 3; ++c) {
    source.add[c] =
        static_cast<std::uint32_t>(std::clamp(channels[c], 0.0, 1.0) * alpha * 255 * fixedOne);
  }
  source.add[3] = static_cast<std::uint32_t>(alpha * 255 * fixedOne);
  source.keep = static_cast<std::uint32_t>(std::lround((1 - alpha) * fixedOne));
  return source;
}

// How much of pixel [index, index + 1) lies within [from, to).
double coverageOf(int index, double from, double to) {
  return std::clamp(std::min<double>(index + 1, to) - std::max<double>(index, from), 0.0, 1.0);
}

// One pixel: the destination kept, the source added, the dither's threshold, rounded down.
inline void blendPixel(std::uint8_t* pixel, const FixedSource& source, std::uint32_t threshold) {
  for (std::size_t c = 0; c < 4; ++c) {
    pixel[c] = static_cast<std::uint8_t>(
        std::min<std::uint32_t>(255, (pixel[c] * source.keep + source.add[c] + threshold) >> 16));
  }
}

// A run of whole pixels with one source, starting at column `x` of row `y`, sixteen at a time
// with the thresholds laid out beside the additions so the compiler can vectorise it.
void blendRun(std::uint8_t* pixels, int x, int count, int y, const FixedSource& source) {
  std::array<std::uint32_t, ditherSize * bytesPerPixel> add{};
  for (int i = 0; i < ditherSize; ++i) {
    const std::uint32_t threshold = ditherThreshold(x + i, y);
    for (std::size_t c = 0; c < 4; ++c) {
      add[static_cast<std::size_t>(i) * 4 + c] = source.add[c] + threshold;
    }
  }
  const std::uint32_t keep = source.keep;
  int done = 0;
  for (; done + ditherSize <= count; done += ditherSize) {
    std::uint8_t* block = pixels + static_cast<std::ptrdiff_t>(done) * bytesPerPixel;
    for (std::size_t k = 0; k < add.size(); ++k) {
      block[k] = static_cast<std::uint8_t>((block[k] * keep + add[k]) >> 16);
    }
  }
  for (; done < count; ++done) {
    std::uint8_t* pixel = pixels + static_cast<std::ptrdiff_t>(done) * bytesPerPixel;
    for (std::size_t c = 0; c < 4; ++c) {
      pixel[c] = static_cast<std::uint8_t>(
          (pixel[c] * keep + add[static_cast<std::size_t>(done % ditherSize) * 4 + c]) >> 16);
    }
  }
}

#ifdef BRIVORA_GRADIENT_AVX2

// The additions of a block of eight pixels in 16-bit lanes, in the order unpacking bytes gives
// (pixels 0, 1, 4, 5 in the low half, 2, 3, 6, 7 in the high), split for the carry: the low 16
// bits subtracted from 0xFFFF, and the high 16 bits plus one.
struct BlockAdditions {
  __m256i notLow[2];
  __m256i highPlusOne[2];
};

// (p × keep + addition) >> 16 for sixteen channels p in 16-bit lanes, exactly: the 32-bit
// product's halves, its high half plus the addition's, plus the carry from the low halves
// (which the comparison gives as 0 for a carry and −1 for none).
__attribute__((target("avx2"), always_inline)) inline __m256i ditheredLanes(__m256i p, __m256i keep,
                                                                            __m256i notLow,
                                                                            __m256i highPlusOne) {
  const __m256i productLow = _mm256_mullo_epi16(p, keep);
  const __m256i productHigh = _mm256_mulhi_epu16(p, keep);
  const __m256i noCarry = _mm256_cmpeq_epi16(_mm256_max_epu16(productLow, notLow), notLow);
  return _mm256_add_epi16(_mm256_add_epi16(productHigh, highPlusOne), noCarry);
}

// blendRun with AVX2, to the same bytes: eight pixels a step, the dither's sixteen columns in
// two alternating blocks. `source.keep` must be below 65536.
__attribute__((target("avx2"))) void blendRunAvx2(std::uint8_t* pixels, int x, int count, int y,
                                                  const FixedSource& source) {
  constexpr int blockPixels = 8;
  constexpr int lanePixels[2][4] = {{0, 1, 4, 5}, {2, 3, 6, 7}};
  BlockAdditions blocks[2];
  for (int parity = 0; parity < 2; ++parity) {
    for (int half = 0; half < 2; ++half) {
      alignas(32) std::uint16_t notLow[16];
      alignas(32) std::uint16_t highPlusOne[16];
      for (int lane = 0; lane < 16; ++lane) {
        const int pixel = parity * blockPixels + lanePixels[half][lane / 4];
        const std::uint32_t addition =
            source.add[static_cast<std::size_t>(lane % 4)] + ditherThreshold(x + pixel, y);
        notLow[lane] = static_cast<std::uint16_t>(0xFFFF - (addition & 0xFFFF));
        highPlusOne[lane] = static_cast<std::uint16_t>((addition >> 16) + 1);
      }
      blocks[parity].notLow[half] = _mm256_load_si256(reinterpret_cast<const __m256i*>(notLow));
      blocks[parity].highPlusOne[half] =
          _mm256_load_si256(reinterpret_cast<const __m256i*>(highPlusOne));
    }
  }
  const __m256i keep = _mm256_set1_epi16(static_cast<short>(source.keep));
  const __m256i zero = _mm256_setzero_si256();
  int done = 0;
  for (int parity = 0; done + blockPixels <= count; done += blockPixels, parity ^= 1) {
    auto* at = reinterpret_cast<__m256i*>(pixels + static_cast<std::ptrdiff_t>(done) * 4);
    const __m256i before = _mm256_loadu_si256(at);
    const BlockAdditions& block = blocks[parity];
    const __m256i low = ditheredLanes(_mm256_unpacklo_epi8(before, zero), keep, block.notLow[0],
                                      block.highPlusOne[0]);
    const __m256i high = ditheredLanes(_mm256_unpackhi_epi8(before, zero), keep, block.notLow[1],
                                       block.highPlusOne[1]);
    _mm256_storeu_si256(at, _mm256_packus_epi16(low, high));
  }
  if (done < count) {
    blendRun(pixels + static_cast<std::ptrdiff_t>(done) * 4, x + done, count - done, y, source);
  }
}

#endif

// A run of whole pixels with one source, with AVX2 where it may run.
void blendWholePixels(std::uint8_t* pixels, int x, int count, int y, const FixedSource& source) {
  // Keeping all of the destination adds less than one step to it, whatever the dither.
  if (source.keep >= keepAll) return;
#ifdef BRIVORA_GRADIENT_AVX2
  if (vectorPathsEnabled()) {
    blendRunAvx2(pixels, x, count, y, source);
    return;
  }
#endif
  blendRun(pixels, x, count, y, source);
}

}  // namespace

GradientLine gradientLine(Rect rect, double angleDegrees) {
  const double radians = angleDegrees * std::numbers::pi / 180;
  const double dx = std::cos(radians);
  const double dy = std::sin(radians);
  // The farthest corner's projection from the centre onto the direction.
  const double reach = (std::fabs(rect.width() * dx) + std::fabs(rect.height() * dy)) / 2;
  return {{rect.midX() - dx * reach, rect.midY() - dy * reach},
          {rect.midX() + dx * reach, rect.midY() + dy * reach}};
}

std::optional<GradientRows> GradientRows::plan(Rect rect, Color start, Color end,
                                               double angleDegrees, int surfaceWidth,
                                               int surfaceHeight) {
  if (!isFinite(rect) || !isFinite(start) || !isFinite(end) || !std::isfinite(angleDegrees)) {
    return std::nullopt;
  }
  const SurfaceRect onSurface = surfaceRect(rect, surfaceHeight);
  if (!isInSurfaceRange(onSurface)) return std::nullopt;
  const auto visible = visiblePart(onSurface, surfaceWidth, surfaceHeight);
  if (!visible) return std::nullopt;
  GradientRows rows;
  rows.start_ = start;
  rows.end_ = end;
  rows.xFrom_ = visible->x;
  rows.xTo_ = visible->x + visible->width;
  rows.yFrom_ = visible->y;
  rows.yTo_ = visible->y + visible->height;
  rows.left_ = static_cast<int>(std::floor(rows.xFrom_));
  rows.top_ = static_cast<int>(std::floor(rows.yFrom_));
  rows.right_ = static_cast<int>(std::ceil(rows.xTo_));
  rows.bottom_ = static_cast<int>(std::ceil(rows.yTo_));

  const GradientLine line = gradientLine(rect, angleDegrees);
  rows.from_ = surfacePoint(line.start, surfaceHeight);
  const Point to = surfacePoint(line.end, surfaceHeight);
  rows.dx_ = to.x - rows.from_.x;
  rows.dy_ = to.y - rows.from_.y;
  rows.lengthSquared_ = rows.dx_ * rows.dx_ + rows.dy_ * rows.dy_;
  // Rows of one colour: the whole run shares one source.
  rows.rowsAlike_ = std::fabs(rows.dx_) < 1e-9 * std::sqrt(rows.lengthSquared_);
  return rows;
}

void GradientRows::blendRow(int y, std::uint8_t* row) const {
  if (y < top_ || y >= bottom_) return;
  // Where along the line a pixel's centre falls: 0 at the start, 1 at the end.
  const auto along = [&](int x) {
    if (!(lengthSquared_ > 0)) return 0.0;
    return ((x + 0.5 - from_.x) * dx_ + (y + 0.5 - from_.y) * dy_) / lengthSquared_;
  };
  const double rowCoverage = coverageOf(y, yFrom_, yTo_);
  const auto blendOne = [&](int x) {
    const FixedSource source =
        fixedSource(start_, end_, along(x), rowCoverage * coverageOf(x, xFrom_, xTo_));
    blendPixel(row + static_cast<std::ptrdiff_t>(x) * bytesPerPixel, source, ditherThreshold(x, y));
  };
  // Whole pixels in the middle; the partly covered edges one by one.
  const int first = coverageOf(left_, xFrom_, xTo_) < 1 ? left_ + 1 : left_;
  const int last = coverageOf(right_ - 1, xFrom_, xTo_) < 1 ? right_ - 1 : right_;
  if (first > left_) blendOne(left_);
  if (rowsAlike_) {
    if (last > first) {
      blendWholePixels(row + static_cast<std::ptrdiff_t>(first) * bytesPerPixel, first,
                       last - first, y, fixedSource(start_, end_, along(first), rowCoverage));
    }
  } else {
    for (int x = first; x < last; ++x) blendOne(x);
  }
  if (last < right_ && right_ - 1 >= first) blendOne(right_ - 1);
}

void fillGradient(cairo_t* cairo, Rect rect, Color start, Color end, double angleDegrees) {
  cairo_surface_t* target = cairo_get_target(cairo);
  const cairo_format_t format = cairo_image_surface_get_format(target);
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return;
  const std::optional<GradientRows> rows =
      GradientRows::plan(rect, start, end, angleDegrees, cairo_image_surface_get_width(target),
                         cairo_image_surface_get_height(target));
  if (!rows) return;
  cairo_surface_flush(target);
  unsigned char* data = cairo_image_surface_get_data(target);
  const int stride = cairo_image_surface_get_stride(target);
  for (int y = rows->top(); y < rows->bottom(); ++y) {
    rows->blendRow(y, data + static_cast<std::ptrdiff_t>(y) * stride);
  }
  cairo_surface_mark_dirty_rectangle(target, 0, rows->top(), cairo_image_surface_get_width(target),
                                     rows->bottom() - rows->top());
}

}  // namespace brivora
