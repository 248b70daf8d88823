#include "backends/cairo/ShadowBlur.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace brivora {

namespace {

constexpr int boxPassCount = 3;

// Wider blurs than this spread a shadow too thin to see; capping keeps the box sizes small.
constexpr double maxSigma = 1024;

// One box pass over `count` values `step` apart; `line` is scratch of at least `count`.
void boxBlurLine(std::uint8_t* values, int count, std::ptrdiff_t step, int radius,
                 std::vector<std::uint8_t>& line) {
  for (int i = 0; i < count; ++i) line[i] = values[i * step];
  const int size = 2 * radius + 1;
  // The window [i - radius, i + radius], with the values beyond either end counted as zero.
  int sum = 0;
  for (int i = 0; i < radius && i < count; ++i) sum += line[i];
  for (int i = 0; i < count; ++i) {
    if (i + radius < count) sum += line[i + radius];
    if (i - radius - 1 >= 0) sum -= line[i - radius - 1];
    values[i * step] = static_cast<std::uint8_t>((sum + size / 2) / size);
  }
}

}  // namespace

std::array<int, 3> shadowBoxRadii(double sigma) {
  std::array<int, 3> radii{};
  if (!std::isfinite(sigma) || sigma <= 0) return radii;
  // Box widths whose variances add up to sigma², the odd width below the ideal for the
  // first `lowerCount` passes and the next odd width for the rest.
  constexpr double passes = boxPassCount;
  const double variance = std::min(sigma, maxSigma) * std::min(sigma, maxSigma);
  const double idealWidth = std::sqrt(12 * variance / passes + 1);
  int lower = static_cast<int>(std::floor(idealWidth));
  if (lower % 2 == 0) --lower;
  const double lowerCount =
      std::round((12 * variance - passes * lower * lower - 4 * passes * lower - 3 * passes) /
                 (-4.0 * lower - 4));
  for (int pass = 0; pass < boxPassCount; ++pass) {
    const int width = pass < lowerCount ? lower : lower + 2;
    radii[pass] = (width - 1) / 2;
  }
  return radii;
}

int shadowBlurSpread(double sigma) {
  const std::array<int, 3> radii = shadowBoxRadii(sigma);
  return radii[0] + radii[1] + radii[2];
}

void blurAlphaMask(std::uint8_t* data, int width, int height, int stride, double sigma) {
  blurAlphaMask(data, width, height, stride, shadowBoxRadii(sigma));
}

void blurAlphaMask(std::uint8_t* data, int width, int height, int stride,
                   const std::array<int, 3>& radii) {
  if (width <= 0 || height <= 0) return;
  std::vector<std::uint8_t> line(static_cast<std::size_t>(std::max(width, height)));
  for (const int radius : radii) {
    if (radius == 0) continue;
    for (int y = 0; y < height; ++y) {
      boxBlurLine(data + static_cast<std::ptrdiff_t>(y) * stride, width, 1, radius, line);
    }
    for (int x = 0; x < width; ++x) boxBlurLine(data + x, height, stride, radius, line);
  }
}

}  // namespace brivora
