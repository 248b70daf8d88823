#pragma once

#include <array>
#include <cstdint>

namespace brivora {

// The radii of the three box blurs whose succession approximates a Gaussian of standard
// deviation `sigma` pixels; all zero for a sigma too small to spread a pixel.
std::array<int, 3> shadowBoxRadii(double sigma);

// How many pixels `blurAlphaMask` spreads ink outwards for `sigma`.
int shadowBlurSpread(double sigma);

// Blurs an 8-bit alpha mask in place, three box passes across and three down, approximating
// a Gaussian of standard deviation `sigma` pixels. Pixels beyond the mask count as clear.
void blurAlphaMask(std::uint8_t* data, int width, int height, int stride, double sigma);

// The same blur with the box radii given, as `shadowBoxRadii` makes them.
void blurAlphaMask(std::uint8_t* data, int width, int height, int stride,
                   const std::array<int, 3>& radii);

}  // namespace brivora
