#include "backends/cairo/GradientFill.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "backends/cairo/CairoHandles.h"
#include "backends/cairo/SurfaceCoordinates.h"

namespace brivora {

namespace {

constexpr int ditherSize = 16;
constexpr int bytesPerPixel = 4;
constexpr double fixedOne = 65536;  // values carry 16 bits below the surface's 8

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

// A source pixel in fixed point: what is added to each channel (B, G, R, A in memory order),
// and what the destination is multiplied by (1 − alpha).
struct FixedSource {
  std::array<std::uint32_t, 4> add{};
  std::uint32_t keep = 65536;
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
  const auto& thresholds = bayer[static_cast<std::size_t>(y % ditherSize)];
  for (int i = 0; i < ditherSize; ++i) {
    const std::uint32_t threshold =
        (thresholds[static_cast<std::size_t>((x + i) % ditherSize)] * 2u + 1) << 7;
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

void fillGradient(cairo_t* cairo, Rect rect, Color start, Color end, double angleDegrees) {
  if (!isFinite(rect) || !isFinite(start) || !isFinite(end) || !std::isfinite(angleDegrees)) {
    return;
  }
  cairo_surface_t* target = cairo_get_target(cairo);
  const cairo_format_t format = cairo_image_surface_get_format(target);
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return;
  const int surfaceWidth = cairo_image_surface_get_width(target);
  const int surfaceHeight = cairo_image_surface_get_height(target);
  const SurfaceRect onSurface = surfaceRect(rect, surfaceHeight);
  if (!isInSurfaceRange(onSurface)) return;
  const auto visible = visiblePart(onSurface, surfaceWidth, surfaceHeight);
  if (!visible) return;
  const int left = static_cast<int>(std::floor(visible->x));
  const int top = static_cast<int>(std::floor(visible->y));
  const int right = static_cast<int>(std::ceil(visible->x + visible->width));
  const int bottom = static_cast<int>(std::ceil(visible->y + visible->height));

  const GradientLine line = gradientLine(rect, angleDegrees);
  const Point from = surfacePoint(line.start, surfaceHeight);
  const Point to = surfacePoint(line.end, surfaceHeight);
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  const double lengthSquared = dx * dx + dy * dy;
  // Where along the line a pixel's centre falls: 0 at the start, 1 at the end.
  const auto along = [&](int x, int y) {
    if (!(lengthSquared > 0)) return 0.0;
    return ((x + 0.5 - from.x) * dx + (y + 0.5 - from.y) * dy) / lengthSquared;
  };
  // Rows (or columns) of one colour: the whole run shares one source.
  const bool rowsAlike = std::fabs(dx) < 1e-9 * std::sqrt(lengthSquared);

  cairo_surface_flush(target);
  unsigned char* data = cairo_image_surface_get_data(target);
  const int stride = cairo_image_surface_get_stride(target);
  const double xFrom = visible->x;
  const double xTo = visible->x + visible->width;
  for (int y = top; y < bottom; ++y) {
    const double rowCoverage = coverageOf(y, visible->y, visible->y + visible->height);
    auto* row = data + static_cast<std::ptrdiff_t>(y) * stride;
    const auto& thresholds = bayer[static_cast<std::size_t>(y % ditherSize)];
    auto blendOne = [&](int x) {
      const FixedSource source =
          fixedSource(start, end, along(x, y), rowCoverage * coverageOf(x, xFrom, xTo));
      blendPixel(row + static_cast<std::ptrdiff_t>(x) * bytesPerPixel, source,
                 (thresholds[static_cast<std::size_t>(x % ditherSize)] * 2u + 1) << 7);
    };
    // Whole pixels in the middle; the partly covered edges one by one.
    const int first = coverageOf(left, xFrom, xTo) < 1 ? left + 1 : left;
    const int last = coverageOf(right - 1, xFrom, xTo) < 1 ? right - 1 : right;
    if (first > left) blendOne(left);
    if (rowsAlike) {
      if (last > first) {
        blendRun(row + static_cast<std::ptrdiff_t>(first) * bytesPerPixel, first, last - first, y,
                 fixedSource(start, end, along(first, y), rowCoverage));
      }
    } else {
      for (int x = first; x < last; ++x) blendOne(x);
    }
    if (last < right && right - 1 >= first) blendOne(right - 1);
  }
  cairo_surface_mark_dirty_rectangle(target, left, top, right - left, bottom - top);
}

}  // namespace brivora
