#pragma once

#include <span>
#include <string>

#include "backends/recording/RecordingGraphicsContext.h"

namespace brivora {

// The draw list as JSON text: an array with one object per call, in call order, each naming
// its "op" ("fillRect", "image", "gradient", "roundedRect", "text") and its values.
std::string drawListJson(std::span<const DrawCall> calls);

}  // namespace brivora
