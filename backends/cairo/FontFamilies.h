#pragma once

#include "platform/Text.h"

namespace brivora {

// The installed families that stand in for the system font's `design`, best first, as one
// comma-separated Pango family list.
const char* fontFamilies(FontDesign design);

}  // namespace brivora
