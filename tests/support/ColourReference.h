#pragma once

// ICC profiles and LittleCMS's own conversions, as the references the decoders' colours are
// held to.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "backends/codecs/ColourTag.h"

namespace brivora::testing {

// Debian's profiles: icc-profiles-free and Ghostscript's (libgs-common).
inline constexpr const char* adobeRgbProfile =
    "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";
inline constexpr const char* srgbProfile = "/usr/share/color/icc/sRGB.icc";
inline constexpr const char* linearRgbProfile = "/usr/share/color/icc/ghostscript/scrgb.icc";
inline constexpr const char* cmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
inline constexpr const char* grayProfile = "/usr/share/color/icc/ghostscript/sgray.icc";

// The bytes of the profile at `path`; empty when its package is not installed.
std::string installedProfile(const char* path);

// An RGB profile LittleCMS makes from primaries and a decoding gamma (0: the sRGB curve).
std::string madeProfile(const Chromaticities& chromaticities, double gamma);

// transicc's conversion (perceptual, as the decoders convert) of one colour from the profile
// `input` to `output` (profile bytes; empty for its built-in sRGB), rounded and clamped to
// 0...255. `values` are in transicc's scale: 0...255 for RGB and gray, 0...100 for CMYK. None
// when transicc (liblcms2-utils) is missing.
std::optional<std::array<int, 3>> transiccColour(const std::string& input,
                                                 const std::string& output,
                                                 const std::vector<double>& values);

}  // namespace brivora::testing
