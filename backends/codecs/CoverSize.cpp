#include "backends/codecs/CoverSize.h"

#include <algorithm>
#include <cmath>

namespace brivora {

namespace {

// Slack for products like (1920 / 4000) * 4000 that land a hair above a whole number.
constexpr double wholePixelTolerance = 1e-6;

int scaledSide(int side, double scale) {
  const double scaled = std::ceil(static_cast<double>(side) * scale - wholePixelTolerance);
  return std::clamp(static_cast<int>(std::min(scaled, static_cast<double>(side))), 1, side);
}

}  // namespace

PixelSize coverPixelSize(PixelSize imageSize, Size coverBox) {
  if (imageSize.width <= 0 || imageSize.height <= 0) return imageSize;
  if (!isFinite(coverBox)) return imageSize;
  const double scale =
      std::max(coverBox.width / imageSize.width, coverBox.height / imageSize.height);
  if (scale >= 1) return imageSize;
  const double positiveScale = std::max(scale, 0.0);
  return {scaledSide(imageSize.width, positiveScale), scaledSide(imageSize.height, positiveScale)};
}

}  // namespace brivora
