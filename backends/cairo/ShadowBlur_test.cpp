#include "backends/cairo/ShadowBlur.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

namespace brivora {
namespace {

constexpr int side = 61;
constexpr int centre = side / 2;

std::vector<std::uint8_t> singleDot() {
  std::vector<std::uint8_t> mask(side * side, 0);
  // A 3 × 3 opaque dot, so the blurred values stay well above rounding.
  for (int y = centre - 1; y <= centre + 1; ++y) {
    for (int x = centre - 1; x <= centre + 1; ++x) mask[y * side + x] = 255;
  }
  return mask;
}

TEST(ShadowBoxRadii, BoxVariancesAddUpToTheGaussians) {
  const double sigmas[] = {1, 2, 3.5, 8, 20};
  for (const double sigma : sigmas) {
    double variance = 0;
    for (const int radius : shadowBoxRadii(sigma)) {
      const double width = 2 * radius + 1;
      variance += (width * width - 1) / 12;
    }
    EXPECT_NEAR(std::sqrt(variance), sigma, 0.25 * sigma) << sigma;
  }
}

TEST(ShadowBoxRadii, NoSpreadWithoutABlur) {
  const double sigmas[] = {0, -3, std::nan(""), 0.2};
  for (const double sigma : sigmas) EXPECT_EQ(shadowBlurSpread(sigma), 0) << sigma;
  EXPECT_GT(shadowBlurSpread(1e12), 0);  // huge blurs are capped, not overflowed
}

TEST(ShadowBlur, ZeroSigmaLeavesTheMaskSharp) {
  std::vector<std::uint8_t> mask = singleDot();
  const std::vector<std::uint8_t> original = mask;
  blurAlphaMask(mask.data(), side, side, side, 0);
  EXPECT_EQ(mask, original);
}

TEST(ShadowBlur, SpreadsInkEvenlyWithinTheSpreadAndKeepsItsAmount) {
  const double sigmas[] = {1.5, 2.5, 4};
  for (const double sigma : sigmas) {
    std::vector<std::uint8_t> mask = singleDot();
    const double before = std::accumulate(mask.begin(), mask.end(), 0.0);
    blurAlphaMask(mask.data(), side, side, side, sigma);
    const double after = std::accumulate(mask.begin(), mask.end(), 0.0);
    EXPECT_NEAR(after, before, 0.05 * before) << sigma;

    const auto at = [&](int dx, int dy) {
      return static_cast<int>(mask[(centre + dy) * side + centre + dx]);
    };
    EXPECT_LT(at(0, 0), 255) << sigma;
    EXPECT_EQ(at(3, 0), at(-3, 0)) << sigma;
    EXPECT_EQ(at(0, 3), at(0, -3)) << sigma;
    EXPECT_NEAR(at(3, 0), at(0, 3), 1) << sigma;  // rounded across, then down
    EXPECT_GT(at(0, 0), at(2, 0)) << sigma;
    // The dot reaches one pixel out; the blur no further than its spread beyond that.
    const int reach = shadowBlurSpread(sigma) + 1;
    EXPECT_EQ(at(reach + 1, 0), 0) << sigma;
    EXPECT_EQ(at(0, -(reach + 1)), 0) << sigma;
  }
}

TEST(ShadowBlur, LeavesRowPaddingAlone) {
  constexpr int width = 5;
  constexpr int stride = 8;
  std::vector<std::uint8_t> mask(stride * 5, 0);
  mask[2 * stride + 2] = 255;
  for (int y = 0; y < 5; ++y) {
    for (int x = width; x < stride; ++x) mask[y * stride + x] = 77;  // padding
  }
  blurAlphaMask(mask.data(), width, 5, stride, 1);
  for (int y = 0; y < 5; ++y) {
    for (int x = width; x < stride; ++x) EXPECT_EQ(mask[y * stride + x], 77);
  }
  EXPECT_EQ(mask[2 * stride + 1], mask[2 * stride + 3]);
}

}  // namespace
}  // namespace brivora
