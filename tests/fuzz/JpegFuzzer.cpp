// JPEG files as the view's image loader decodes them, into a small cover box.
#include "backends/codecs/JpegDecoder.h"
#include "tests/fuzz/DecoderFuzzing.h"
#include "tests/fuzz/FuzzTargets.h"

namespace brivora::fuzzing {

void fuzzJpeg(std::string_view input) {
  fuzzDecoder(input, decodeJpeg, true);
}

}  // namespace brivora::fuzzing
