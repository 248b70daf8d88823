// JPEG colour spaces; orientation, reduction and damaged files are tested for every format in
// ImageCodecs_test.
#include "backends/codecs/JpegDecoder.h"

#include <gtest/gtest.h>

#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using namespace brivora::testing;

TEST(JpegDecoding, GrayCmykAndProgressiveFilesComeOutAsOpaqueRgb) {
  const Rgba orange{230, 140, 20};
  const Rgba orangeInks{255, 155, 22, 230};
  struct Row {
    const char* what;
    JpegOptions options;
    Rgba stored, shown;
  };
  const Row rows[] = {
      {"rgb", {}, orange, orange},
      {"progressive", {.progressive = true}, orange, orange},
      {"gray", {.colours = JpegColours::gray}, orange, {153, 153, 153}},  // its luma
      {"cmyk", {.colours = JpegColours::cmyk}, orangeInks, orange},
      {"ycck", {.colours = JpegColours::ycck}, orangeInks, orange},
  };
  for (const Row& row : rows) {
    const DecodedImage image = decodedOrFail(
        decodeJpeg(encodeJpeg(solidPicture(40, 24, row.stored), row.options), fullSize));
    ASSERT_EQ(image.pixels.argb.size(), 40u * 24u) << row.what;
    for (const std::uint32_t word : image.pixels.argb) {
      ASSERT_TRUE(showsColour(word, row.shown, 4)) << row.what;
    }
  }
}

}  // namespace
}  // namespace brivora
