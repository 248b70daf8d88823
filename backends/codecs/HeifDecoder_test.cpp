// HEIC decoding: transforms and the size they show at, alpha, reduction, damaged files.
#include "backends/codecs/HeifDecoder.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "backends/codecs/CoverSize.h"
#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using namespace brivora::testing;
using namespace std::string_literals;

constexpr Size fullSize{std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::infinity()};
// HEVC compresses in 4:2:0 YCbCr even at high quality.
constexpr int heicTolerance = 14;

DecodedImage decoded(const std::string& bytes, Size coverBox) {
  DecodeResult result = decodeHeif(bytes, coverBox);
  if (const auto* failure = std::get_if<DecodeFailure>(&result)) {
    ADD_FAILURE() << "does not decode: " << describeDecodeFailure(*failure);
    return {};
  }
  return std::get<DecodedImage>(std::move(result));
}

#define SKIP_WITHOUT_HEVC_ENCODER()                                             \
  if (!canEncodeHeic()) {                                                       \
    GTEST_SKIP() << "libheif has no HEVC encoder here to make test files with"; \
  }

TEST(HeifDecoding, TransformsAreAppliedAndTheNaturalSizeIsTheShownOne) {
  SKIP_WITHOUT_HEVC_ENCODER();
  const Picture stored = quadrantPicture(64, 32, quadrantColours);
  for (const ShownCorners& row : shownCorners) {
    const std::optional<std::string> heic =
        encodeHeic(stored, static_cast<heif_orientation>(row.orientation));
    ASSERT_TRUE(heic) << row.orientation;
    const DecodedImage image = decoded(*heic, fullSize);
    const Size shown = row.orientation >= 5 ? Size{32, 64} : Size{64, 32};
    EXPECT_EQ(image.naturalSize, shown) << row.orientation;
    EXPECT_EQ(image.pixels.width, shown.width);
    EXPECT_EQ(image.pixels.height, shown.height);
    EXPECT_TRUE(showsCorners(image.pixels, row.corners, heicTolerance))
        << "orientation " << row.orientation;
  }
}

TEST(HeifDecoding, AlphaIsPremultiplied) {
  SKIP_WITHOUT_HEVC_ENCODER();
  const Rgba halfRed{240, 30, 30, 128};
  const std::optional<std::string> heic =
      encodeHeic(solidPicture(32, 32, halfRed), heif_orientation_normal, true);
  ASSERT_TRUE(heic);
  const DecodedImage image = decoded(*heic, fullSize);
  ASSERT_EQ(image.pixels.argb.size(), 32u * 32u);
  EXPECT_TRUE(showsColour(image.pixels.argb[100], halfRed, heicTolerance));
}

TEST(HeifDecoding, AveragesDownToJustCoverTheTurnedImage) {
  SKIP_WITHOUT_HEVC_ENCODER();
  const std::optional<std::string> heic =
      encodeHeic(quadrantPicture(256, 128, quadrantColours), heif_orientation_rotate_90_cw);
  ASSERT_TRUE(heic);
  struct Row {
    Size box;
    PixelSize kept;
  };
  for (const Row& row :
       {Row{{32, 32}, {32, 64}}, Row{{100, 10}, {100, 200}}, Row{{500, 500}, {128, 256}}}) {
    const DecodedImage image = decoded(*heic, row.box);
    EXPECT_EQ(image.naturalSize, (Size{128, 256}));
    EXPECT_EQ(image.pixels.width, row.kept.width) << row.box.width;
    EXPECT_EQ(image.pixels.height, row.kept.height) << row.box.width;
    EXPECT_TRUE(showsCorners(image.pixels, "BRWG", heicTolerance)) << row.box.width;
  }
}

// The file with its image-size properties (the grid's and its tiles') rewritten to claim
// another size.
std::string claimingSize(std::string heic, std::uint32_t width, std::uint32_t height) {
  for (std::size_t property = heic.find("ispe"); property != std::string::npos;
       property = heic.find("ispe", property + 1)) {
    std::size_t at = property + 8;  // after the type, version and flags
    for (const std::uint32_t value : {width, height}) {
      for (int shift = 24; shift >= 0; shift -= 8) heic[at++] = static_cast<char>(value >> shift);
    }
  }
  return heic;
}

TEST(HeifDecoding, DamagedOrLyingFilesFailWithTheirReason) {
  const std::string header =
      "\x00\x00\x00\x18"
      "ftypheic\x00\x00\x00\x00mif1heic"s;
  struct Row {
    const char* what;
    std::string bytes;
    DecodeFailure expected;
  };
  std::vector<Row> rows = {
      {"file type box only", header, DecodeFailure::corrupt},
      {"garbage after the file type", header + std::string(400, '\x07'), DecodeFailure::corrupt},
  };
  if (const std::optional<std::string> good =
          encodeHeic(quadrantPicture(64, 48, quadrantColours))) {
    rows.push_back({"cut in the boxes", good->substr(0, 200), DecodeFailure::corrupt});
    rows.push_back({"cut in the data", good->substr(0, good->size() - 40), DecodeFailure::corrupt});
    rows.push_back(
        {"100000 x 100000", claimingSize(*good, 100000, 100000), DecodeFailure::tooLarge});
    rows.push_back(
        {"one row over the cap", claimingSize(*good, 10000, 10001), DecodeFailure::tooLarge});
  }
  for (const Row& row : rows) {
    const DecodeResult result = decodeHeif(row.bytes, fullSize);
    ASSERT_TRUE(std::holds_alternative<DecodeFailure>(result)) << row.what;
    EXPECT_EQ(std::get<DecodeFailure>(result), row.expected) << row.what;
  }
}

}  // namespace
}  // namespace brivora
