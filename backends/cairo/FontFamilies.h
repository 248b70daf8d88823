#pragma once

#include <span>
#include <string_view>

#include "platform/Text.h"

namespace brivora {

// The families that give the system font's `design` its look, best first. The default
// design's list ends the search for every design, so text never goes without a face.
std::span<const std::string_view> designFamilies(FontDesign design);

// The families that stand in for `design`, best first, as one comma-separated Pango family
// list: the design's own, then the default design's, then the generic sans-serif.
const char* fontFamilies(FontDesign design);

}  // namespace brivora
