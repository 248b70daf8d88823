#pragma once

#include <optional>
#include <string>

#include "platform/Text.h"

namespace brivora {

// What the text backend will actually use for a design and weight on this machine.
struct InstalledFace {
  // The first of the design's own families that is installed; none when the text falls back
  // to the default design's families.
  std::optional<std::string> family;
  // The installed weight of that family nearest the one asked for.
  FontWeight weight = FontWeight::regular;
};

// Looks `design` up among the installed fonts, and the weight nearest `weight` in it.
InstalledFace installedFace(FontDesign design, FontWeight weight);

}  // namespace brivora
