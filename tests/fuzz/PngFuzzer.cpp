// PNG files as the view's image loader decodes them, into a small cover box.
#include "backends/codecs/PngDecoder.h"
#include "tests/fuzz/DecoderFuzzing.h"
#include "tests/fuzz/FuzzTargets.h"

namespace brivora::fuzzing {

void fuzzPng(std::string_view input) {
  fuzzDecoder(input, decodePng, true);
}

}  // namespace brivora::fuzzing
