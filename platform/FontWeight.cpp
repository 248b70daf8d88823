#include "platform/FontWeight.h"

namespace brivora {

std::string_view fontWeightName(FontWeight weight) {
  return fontWeightNames[static_cast<std::size_t>(weight)];
}

std::optional<FontWeight> fontWeightNamed(std::string_view name) {
  for (FontWeight weight : allFontWeights) {
    if (fontWeightName(weight) == name) return weight;
  }
  return std::nullopt;
}

}  // namespace brivora
