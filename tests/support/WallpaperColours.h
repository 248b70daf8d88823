#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "hosts/common/PixelRect.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora::testing {

// The colours of the wallpapers writeColourBundle writes, one each, far apart.
inline constexpr std::array<Rgba, 6> wallpaperColours = {Rgba{220, 40, 40},  Rgba{40, 200, 60},
                                                         Rgba{40, 60, 210},  Rgba{230, 210, 40},
                                                         Rgba{200, 40, 200}, Rgba{40, 200, 210}};

// A bundle of six wallpapers in one colour each, shown plainly: no scrim, no caption, a small
// clock at the bottom centre, a zoom that keeps every edge covered as the picture drifts, and a
// cut every `cycleSeconds`.
void writeColourBundle(const TempBundle& bundle, double cycleSeconds);

// 0xRRGGBB at (x, y) of a picture.
using PixelAt = std::function<std::uint32_t(int x, int y)>;

// Which of wallpaperColours fills `area` right up to its edges (its corners and the middles of
// its sides); none when those points do not all show the same one.
std::optional<int> colourFilling(const PixelRect& area, const PixelAt& pixel);

// Whether every area found its colour.
inline bool allFilled(const std::vector<std::optional<int>>& colours) {
  return std::ranges::all_of(colours,
                             [](const std::optional<int>& colour) { return colour.has_value(); });
}

// Whether the pixel is within `tolerance` of `colour` in every channel.
bool shows(std::uint32_t pixel, Rgba colour, int tolerance = 40);

// How many pixels of the picture at the top left of `pixel` differ from `expected` by more than
// a little in some channel.
int differingPixels(const PixelAt& pixel, const ImagePixels& expected);

}  // namespace brivora::testing
