// The colour and weight texts of a theme, read as the view reads them.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Brivora/SrgbHexColor.h"
#include "Brivora/Theme.h"
#include "platform/FontWeight.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTargets.h"

namespace brivora::fuzzing {

namespace {

bool isByteLevel(double component) {
  const double scaled = component * 255;
  return scaled >= 0 && scaled <= 255 && std::abs(scaled - std::round(scaled)) < 1e-9;
}

std::string hexOf(const Color& colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X",
                static_cast<unsigned>(std::lround(colour.r * 255)),
                static_cast<unsigned>(std::lround(colour.g * 255)),
                static_cast<unsigned>(std::lround(colour.b * 255)));
  return text;
}

}  // namespace

void fuzzColorAndWeight(std::string_view input) {
  if (const std::optional<Color> colour = colorFromSrgbHex(input)) {
    requireThat(isByteLevel(colour->r) && isByteLevel(colour->g) && isByteLevel(colour->b) &&
                    colour->a == 1,
                "a hex colour is opaque with components in 255ths");
    requireThat(colorFromSrgbHex(hexOf(*colour)) == colour,
                "a colour written back as hex reads the same");
  }

  if (const std::optional<FontWeight> weight = fontWeightNamed(input)) {
    requireThat(fontWeightName(*weight) == input, "a weight found by name has that name");
  }
  Theme theme;
  theme.clockWeight = std::string(input);
  const FontWeight clockWeight = theme.nsFontWeight();
  requireThat(fontWeightNamed(fontWeightName(clockWeight)) == clockWeight,
              "the clock's weight has a name that reads back");
}

}  // namespace brivora::fuzzing
