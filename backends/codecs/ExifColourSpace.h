#pragma once

#include <string_view>

#include "backends/codecs/ColourTag.h"

namespace brivora {

// What an EXIF block (a JPEG APP1 payload or PNG eXIf chunk, with or without "Exif\0\0") says of
// the colours: sRGB for colour space 1; Adobe RGB for colour space 2, or for "uncalibrated"
// with the interoperability index "R03", as cameras shooting Adobe RGB write it; untagged
// otherwise, and for anything damaged.
ColourTag colourTagFromExif(std::string_view exif);

}  // namespace brivora
