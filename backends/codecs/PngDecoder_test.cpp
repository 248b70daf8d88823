// PNG pixel formats; orientation, reduction and damaged files are tested for every format in
// ImageCodecs_test.
#include "backends/codecs/PngDecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <png.h>

#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using namespace brivora::testing;

// Two pixels side by side.
template <typename Sample>
std::string pngOf(png_uint_32 format, std::vector<Sample> samples,
                  std::vector<std::uint8_t> colourMap = {}) {
  return encodePngSamples(2, 1, format, samples.data(),
                          colourMap.empty() ? nullptr : colourMap.data(),
                          static_cast<int>(colourMap.size() / 4));
}

TEST(PngDecoding, EveryPixelFormatComesOutAsPremultipliedArgb) {
  struct Row {
    const char* what;
    std::string png;
    std::uint32_t first, second;  // the two pixels' words
    int tolerance = 0;
  };
  const Row rows[] = {
      {"rgba", pngOf<std::uint8_t>(PNG_FORMAT_RGBA, {200, 100, 50, 128, 200, 100, 50, 0}),
       0x80643219, 0x00000000},
      {"rgb", pngOf<std::uint8_t>(PNG_FORMAT_RGB, {1, 2, 3, 250, 251, 252}), 0xFF010203,
       0xFFFAFBFC},
      {"gray and alpha", pngOf<std::uint8_t>(PNG_FORMAT_GA, {0x80, 0x40, 0x80, 0xFF}), 0x40202020,
       0xFF808080},
      {"palette with transparency",
       pngOf<std::uint8_t>(PNG_FORMAT_RGBA_COLORMAP, {1, 0}, {10, 20, 30, 255, 0, 0, 255, 0}),
       0x00000000, 0xFF0A141E},
      // Linear light, premultiplied, as libpng writes 16 bits; gamma-encoded 8-bit after decoding.
      {"16-bit",
       pngOf<std::uint16_t>(PNG_FORMAT_LINEAR_RGB_ALPHA, {32768, 0, 0, 32768, 0, 0, 0, 0}),
       0x80800000, 0x00000000, 1},
  };
  for (const Row& row : rows) {
    const DecodedImage image = decodedOrFail(decodePng(row.png, fullSize));
    ASSERT_EQ(image.pixels.argb.size(), 2u) << row.what;
    for (std::size_t i = 0; i < 2; ++i) {
      for (int shift = 0; shift < 32; shift += 8) {
        EXPECT_NEAR(image.pixels.argb[i] >> shift & 0xFF,
                    (i ? row.second : row.first) >> shift & 0xFF, row.tolerance)
            << row.what << " pixel " << i << std::hex << ": 0x" << image.pixels.argb[i];
      }
    }
  }
}

}  // namespace
}  // namespace brivora
