#include "backends/cairo/InstalledFonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "backends/cairo/FontFamilies.h"

namespace brivora {

namespace {

struct PatternFree {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct ObjectSetFree {
  void operator()(FcObjectSet* set) const { FcObjectSetDestroy(set); }
};
struct FontSetFree {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};

// The system weights run from ultra light at 100 to black at 900 on the OpenType scale.
double openTypeWeight(FontWeight weight) {
  const auto at = std::find(allFontWeights.begin(), allFontWeights.end(), weight);
  return 100.0 * static_cast<double>(at - allFontWeights.begin() + 1);
}

FontWeight systemWeight(double openType) {
  const long index = std::clamp(std::lround(openType / 100) - 1, 0L, 8L);
  return allFontWeights[static_cast<std::size_t>(index)];
}

// The OpenType weight ranges of the installed faces of `family`; empty when none is installed.
std::vector<std::pair<double, double>> installedWeights(std::string_view family) {
  const std::string name(family);
  std::unique_ptr<FcPattern, PatternFree> pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  std::unique_ptr<FcObjectSet, ObjectSetFree> objects(
      FcObjectSetBuild(FC_FAMILY, FC_WEIGHT, static_cast<char*>(nullptr)));
  std::unique_ptr<FcFontSet, FontSetFree> fonts(FcFontList(nullptr, pattern.get(), objects.get()));
  std::vector<std::pair<double, double>> weights;
  if (!fonts) return weights;
  for (int at = 0; at < fonts->nfont; ++at) {
    FcPattern* font = fonts->fonts[at];
    int weight = 0;
    FcRange* range = nullptr;
    if (FcPatternGetInteger(font, FC_WEIGHT, 0, &weight) == FcResultMatch) {
      const double value = FcWeightToOpenTypeDouble(weight);
      weights.emplace_back(value, value);
    } else if (FcPatternGetRange(font, FC_WEIGHT, 0, &range) == FcResultMatch) {
      // A variable font: every weight in its range.
      double low = 0;
      double high = 0;
      FcRangeGetDouble(range, &low, &high);
      weights.emplace_back(FcWeightToOpenTypeDouble(low), FcWeightToOpenTypeDouble(high));
    } else {
      weights.emplace_back(400, 400);
    }
  }
  return weights;
}

}  // namespace

InstalledFace installedFace(FontDesign design, FontWeight weight) {
  const double wanted = openTypeWeight(weight);
  for (std::string_view family : designFamilies(design)) {
    const auto weights = installedWeights(family);
    if (weights.empty()) continue;
    double nearest = weights.front().first;
    for (const auto& [low, high] : weights) {
      const double closest = std::clamp(wanted, low, high);
      if (std::fabs(closest - wanted) < std::fabs(nearest - wanted)) nearest = closest;
    }
    return InstalledFace{std::string(family), systemWeight(nearest)};
  }
  return InstalledFace{std::nullopt, weight};
}

}  // namespace brivora
