#pragma once

#include <string_view>

#include "backends/codecs/ImageCodecs.h"

namespace brivora {

// Decodes JPEG bytes as decodeImage does: the DCT scaling closest above the cover size, area
// averaging the rest, EXIF orientation applied. Grayscale and (Adobe) CMYK files give RGB; data
// ending early is `corrupt`; other damage libjpeg can read past is tolerated.
DecodeResult decodeJpeg(std::string_view bytes, Size coverBox);

// The natural size decodeJpeg would give, from the header alone.
ImageHeader probeJpeg(std::string_view bytes);

}  // namespace brivora
