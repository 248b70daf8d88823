#pragma once

#include <string_view>

#include "backends/codecs/ImageCodecs.h"

namespace brivora {

// Decodes PNG bytes as decodeImage does: any bit depth, palette, gray or alpha to 8-bit sRGB,
// premultiplied, area-averaged down to the cover size, an eXIf orientation applied. The size in
// the header is checked before any pixel memory is taken.
DecodeResult decodePng(std::string_view bytes, Size coverBox);

// The natural size decodePng would give, from the header alone.
ImageHeader probePng(std::string_view bytes);

}  // namespace brivora
