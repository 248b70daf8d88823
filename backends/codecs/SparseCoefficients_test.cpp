// Progressive JPEGs decoded by libjpeg with its coefficient buffers packed, against the same
// files decoded by libjpeg alone.
#include "backends/codecs/SparseCoefficients.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using testing::Picture;
using testing::Rgba;

// Smooth colour fields, or noise whose coefficients need 16 bits.
Picture picture(int width, int height, bool noisy) {
  Picture made{width, height, {}};
  std::uint32_t state = 7;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      const auto noise = static_cast<std::uint8_t>(noisy ? state >> 24 : 0);
      made.pixels.push_back(Rgba{static_cast<std::uint8_t>(x * 255 / width ^ noise),
                                 static_cast<std::uint8_t>(y * 255 / height),
                                 static_cast<std::uint8_t>((x + y) % 256 | noise)});
    }
  }
  return made;
}

// The RGB rows libjpeg gives at `eighths`/8 of the size, its buffers packed when `packed`.
std::vector<JSAMPLE> decoded(const std::string& jpeg, unsigned eighths, bool packed) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size());
  jpeg_read_header(&info, TRUE);
  info.scale_num = eighths;
  info.scale_denom = 8;
  info.out_color_space = JCS_RGB;
  SparseCoefficients store;
  if (packed) store.install(info, 0);
  jpeg_start_decompress(&info);
  std::vector<JSAMPLE> pixels(std::size_t{info.output_width} * info.output_height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &pixels[std::size_t{info.output_scanline} * info.output_width * 3];
    jpeg_read_scanlines(&info, &row, 1);
  }
  // More rows than libjpeg works on at a time: some were packed and unpacked again.
  EXPECT_TRUE(!packed || store.packedBytes() > 0);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return pixels;
}

TEST(SparseCoefficients, PackedBuffersDecodeToTheSamePixels) {
  const struct {
    const char* what;
    int width, height;
    bool noisy;
    unsigned eighths;
  } cases[] = {
      {"smooth, full size", 203, 117, false, 8},
      {"noisy, full size", 96, 190, true, 8},
      {"noisy, scaled to 3/8", 203, 117, true, 3},
  };
  for (const auto& c : cases) {
    const std::string jpeg =
        testing::encodeJpeg(picture(c.width, c.height, c.noisy), {.progressive = true});
    EXPECT_EQ(decoded(jpeg, c.eighths, true), decoded(jpeg, c.eighths, false)) << c.what;
  }
}

}  // namespace
}  // namespace brivora
