#pragma once

#include <optional>
#include <string_view>

#include "backends/codecs/ColourConversion.h"
#include "backends/codecs/ImageCodecs.h"

namespace brivora {

// Decodes JPEG bytes as decodeImage does: the DCT scaling closest above the cover size, colours
// converted from the file's ICC profile (or EXIF colour space) to `colours`, area averaging the
// rest, EXIF orientation applied. Grayscale and (Adobe) CMYK files give RGB; data ending early
// is `corrupt`; other damage libjpeg can read past is tolerated.
DecodeResult decodeJpeg(std::string_view bytes, Size coverBox, const ColourTarget& colours = {});

// The natural size decodeJpeg would give, from the header alone.
ImageHeader probeJpeg(std::string_view bytes);

// The colours the file says it holds, from its header; none when the header is refused.
std::optional<ImageColour> readJpegColour(std::string_view bytes);

}  // namespace brivora
