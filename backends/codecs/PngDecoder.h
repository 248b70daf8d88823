#pragma once

#include <optional>
#include <string_view>

#include "backends/codecs/ColourConversion.h"
#include "backends/codecs/ImageCodecs.h"

namespace brivora {

// Decodes PNG bytes as decodeImage does: any bit depth, palette, gray or alpha, converted at
// full precision from the colours its chunks name (see pngColourTag) to `colours`, 8 bits
// premultiplied, area-averaged down to the cover size, an eXIf orientation applied. The size in
// the header is checked before any pixel memory is taken.
DecodeResult decodePng(std::string_view bytes, Size coverBox, const ColourTarget& colours = {});

// The natural size decodePng would give, from the header alone.
ImageHeader probePng(std::string_view bytes);

// The colours the file says it holds, from its header chunks; none without a header.
std::optional<ImageColour> readPngColour(std::string_view bytes);

}  // namespace brivora
