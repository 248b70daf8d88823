#pragma once

#include <optional>
#include <string_view>

#include "platform/Color.h"

namespace brivora {

// An opaque sRGB colour from six hexadecimal digits ("#E5B80B", "e5b80b"), with one optional
// leading "#" and white space around it ignored; none for any other text, and the caller
// picks its own colour.
std::optional<Color> colorFromSrgbHex(std::string_view text);

}  // namespace brivora
