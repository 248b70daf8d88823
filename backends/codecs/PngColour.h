#pragma once

#include <vector>

#include "backends/codecs/ColourTag.h"
#include "backends/codecs/PngChunks.h"

namespace brivora {

// What a PNG's header chunks say of its colours, the first that speaks deciding: an iCCP
// profile, an sRGB chunk, gAMA and cHRM (a gamma within 5 % of 1/2.2 with sRGB's primaries, or
// none, counts as sRGB, as libpng takes it), then an eXIf colour space. A profile that does not
// inflate is ignored, with the reason.
ColourTag pngColourTag(const std::vector<PngChunk>& chunks);

}  // namespace brivora
