#pragma once

#include <string_view>

#include "backends/codecs/ImageCodecs.h"

namespace brivora::fuzzing {

using Decoder = DecodeResult (*)(std::string_view bytes, Size coverBox,
                                 const ColourTarget& colours);

// Runs `decoder` on the input after its first two bytes, which choose a cover box of up to
// 255 × 255 points, and checks what a decoded image promises its drawer. `premultiplies`
// says whether the decoder itself premultiplies, so that no channel may exceed alpha.
void fuzzDecoder(std::string_view input, Decoder decoder, bool premultiplies);

}  // namespace brivora::fuzzing
