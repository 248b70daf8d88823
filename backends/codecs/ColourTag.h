#pragma once

// What an image file says about the colours its numbers stand for.
#include <string>
#include <utility>

namespace brivora {

// CIE 1931 xy chromaticities of a white point and three primaries.
struct Chromaticities {
  double whiteX = 0, whiteY = 0;
  double redX = 0, redY = 0;
  double greenX = 0, greenY = 0;
  double blueX = 0, blueY = 0;
  friend bool operator==(const Chromaticities&, const Chromaticities&) = default;
};

// sRGB's and BT.709's primaries, D65 white.
inline constexpr Chromaticities srgbChromaticities{0.3127, 0.3290, 0.64, 0.33,
                                                   0.30,   0.60,   0.15, 0.06};
inline constexpr Chromaticities adobeRgbChromaticities{0.3127, 0.3290, 0.64, 0.33,
                                                       0.21,   0.71,   0.15, 0.06};
// Adobe RGB (1998) decodes with a pure power of 563/256.
inline constexpr double adobeRgbGamma = 563.0 / 256.0;

struct ColourTag {
  enum class Kind {
    untagged,   // nothing usable: the numbers are taken as sRGB
    srgb,       // said to be sRGB (PNG sRGB chunk, EXIF colour space 1, nclx BT.709 / sRGB)
    icc,        // an embedded ICC profile
    primaries,  // primaries and a transfer curve without a profile (PNG gAMA, HEIF nclx, EXIF)
  };
  Kind kind = Kind::untagged;
  // Where the file says it, in a few words ("APP2 ICC_PROFILE", "iCCP", "colr nclx").
  std::string origin;
  std::string icc;                                     // Kind::icc: the profile's bytes
  Chromaticities chromaticities = srgbChromaticities;  // Kind::primaries
  // Kind::primaries: the exponent that decodes the numbers to light (2.2 for gAMA 1/2.2); 0 for
  // the sRGB curve.
  double gamma = 0;
  // A short name for primaries without a profile ("Adobe RGB", "Display P3").
  std::string name;
  // Why the file's own tag was ignored (a damaged profile, say); empty when it was not.
  std::string problem;
};

// A tag the decoder could not use: the image shows untagged, and `problem` says why.
inline ColourTag ignoredColourTag(std::string origin, std::string problem) {
  ColourTag tag;
  tag.origin = std::move(origin);
  tag.problem = std::move(problem);
  return tag;
}

}  // namespace brivora
