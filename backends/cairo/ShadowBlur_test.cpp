#include "backends/cairo/ShadowBlur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace brivora {
namespace {

// How far a blur reaches for a given sigma is checked on text shadows through the Cairo
// context; this checks the mask itself.
TEST(ShadowBlur, SpreadsInkEvenlyWithinTheSpreadKeepingItsAmountAndTheRowPadding) {
  constexpr int side = 61;
  constexpr int stride = 64;  // rows padded, as Cairo's A8 masks are
  constexpr int centre = side / 2;
  constexpr std::uint8_t padding = 77;
  for (const double sigma : {1.5, 2.5, 4.0}) {
    std::vector<std::uint8_t> mask(stride * side, padding);
    for (int y = 0; y < side; ++y) std::fill_n(&mask[y * stride], side, 0);
    // A 3 × 3 opaque dot, so the blurred values stay well above rounding.
    for (int y = centre - 1; y <= centre + 1; ++y)
      std::fill_n(&mask[y * stride + centre - 1], 3, 255);
    blurAlphaMask(mask.data(), side, side, stride, sigma);

    double after = 0;
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) after += mask[y * stride + x];
      for (int x = side; x < stride; ++x) ASSERT_EQ(mask[y * stride + x], padding) << sigma;
    }
    EXPECT_NEAR(after, 9 * 255, 0.05 * 9 * 255) << sigma;
    const auto at = [&](int dx, int dy) {
      return static_cast<int>(mask[(centre + dy) * stride + centre + dx]);
    };
    EXPECT_LT(at(0, 0), 255) << sigma;
    EXPECT_GT(at(0, 0), at(2, 0)) << sigma;
    EXPECT_EQ(at(3, 0), at(-3, 0)) << sigma;
    EXPECT_EQ(at(0, 3), at(0, -3)) << sigma;
    EXPECT_NEAR(at(3, 0), at(0, 3), 1) << sigma;  // rounded across, then down
    // The dot reaches one pixel out; the blur no further than its spread beyond that.
    const int reach = shadowBlurSpread(sigma) + 1;
    EXPECT_EQ(at(reach + 1, 0), 0) << sigma;
    EXPECT_EQ(at(0, -(reach + 1)), 0) << sigma;
  }
}

}  // namespace
}  // namespace brivora
