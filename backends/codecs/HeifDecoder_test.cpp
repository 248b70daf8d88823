// HEIC alpha; transforms, reduction and damaged files are tested for every format in
// ImageCodecs_test.
#include "backends/codecs/HeifDecoder.h"

#include <gtest/gtest.h>

#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using namespace brivora::testing;

TEST(HeifDecoding, AlphaIsPremultiplied) {
  const Rgba halfRed{240, 30, 30, 128};
  const std::optional<std::string> heic = encodeHeic(solidPicture(32, 32, halfRed), 1, true);
  if (!heic) GTEST_SKIP() << "libheif has no HEVC encoder here to make test files with";
  const DecodedImage image = decodedOrFail(decodeHeif(*heic, fullSize));
  ASSERT_EQ(image.pixels.argb.size(), 32u * 32u);
  // HEVC compresses in 4:2:0 YCbCr even at high quality.
  EXPECT_TRUE(showsColour(image.pixels.argb[100], halfRed, 14));
}

}  // namespace
}  // namespace brivora
