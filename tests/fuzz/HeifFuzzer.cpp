// HEIF files as the view's image loader decodes them, into a small cover box. libheif may hand
// over pixels it premultiplied itself, so their channels are not checked against alpha.
#include "backends/codecs/HeifDecoder.h"
#include "tests/fuzz/DecoderFuzzing.h"
#include "tests/fuzz/FuzzTargets.h"

namespace brivora::fuzzing {

void fuzzHeif(std::string_view input) {
  fuzzDecoder(input, decodeHeif, false);
}

}  // namespace brivora::fuzzing
