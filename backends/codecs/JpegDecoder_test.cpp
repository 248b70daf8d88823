// JPEG decoding: orientation, colour spaces, DCT scaling to the cover size, damaged files.
#include "backends/codecs/JpegDecoder.h"

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
// Block edges and chroma subsampling blur colours a little.
constexpr int jpegTolerance = 12;

DecodedImage decoded(const std::string& bytes, Size coverBox) {
  DecodeResult result = decodeJpeg(bytes, coverBox);
  if (const auto* failure = std::get_if<DecodeFailure>(&result)) {
    ADD_FAILURE() << "does not decode: " << describeDecodeFailure(*failure);
    return {};
  }
  return std::get<DecodedImage>(std::move(result));
}

TEST(JpegDecoding, EachExifOrientationPutsTheRightQuadrantInEachCorner) {
  const Picture stored = quadrantPicture(64, 32, quadrantColours);
  for (const ShownCorners& row : shownCorners) {
    for (const bool bigEndian : {false, true}) {
      const std::string jpeg =
          encodeJpeg(stored, {.app1 = exifPayload(row.orientation, bigEndian)});
      const DecodedImage image = decoded(jpeg, fullSize);
      const Size shown = row.orientation >= 5 ? Size{32, 64} : Size{64, 32};
      EXPECT_EQ(image.naturalSize, shown) << row.orientation;
      EXPECT_EQ(image.pixels.width, shown.width);
      EXPECT_EQ(image.pixels.height, shown.height);
      EXPECT_TRUE(showsCorners(image.pixels, row.corners, jpegTolerance))
          << "orientation " << row.orientation << (bigEndian ? " MM" : " II");
    }
  }
}

TEST(JpegDecoding, GrayCmykAndProgressiveFilesComeOutAsOpaqueRgb) {
  const Rgba orange{230, 140, 20};
  struct Row {
    const char* what;
    JpegOptions options;
    Rgba expected;
  };
  const Row rows[] = {
      {"rgb", {}, orange},
      {"progressive", {.progressive = true}, orange},
      {"gray", {.colours = JpegColours::gray}, {140, 140, 140}},
      {"cmyk", {.colours = JpegColours::cmyk}, orange},
      {"ycck", {.colours = JpegColours::ycck}, orange},
  };
  for (const Row& row : rows) {
    const DecodedImage image =
        decoded(encodeJpeg(solidPicture(40, 24, orange), row.options), fullSize);
    EXPECT_EQ(image.naturalSize, (Size{40, 24})) << row.what;
    ASSERT_EQ(image.pixels.argb.size(), 40u * 24u) << row.what;
    for (const std::uint32_t word : image.pixels.argb) {
      ASSERT_TRUE(showsColour(word, row.expected, 4)) << row.what;
    }
  }
}

TEST(JpegDecoding, ScalesDownToJustCoverTheBoxAndNeverUp) {
  struct Row {
    int width, height, orientation;
    Size box;
    Size natural;
    PixelSize kept;
  };
  const Row rows[] = {
      {800, 600, 1, {100, 100}, {800, 600}, {134, 100}},  // 1/4 by DCT, then averaged
      {800, 600, 1, {100, 75}, {800, 600}, {100, 75}},    // exactly 1/8
      {800, 600, 1, {20, 20}, {800, 600}, {27, 20}},      // below 1/8
      {800, 600, 1, {700, 10}, {800, 600}, {700, 525}},   // 7/8
      {800, 600, 1, {1920, 1080}, {800, 600}, {800, 600}},
      {800, 600, 6, {60, 100}, {600, 800}, {75, 100}},  // the box covers the turned image
      {800, 600, 8, {600, 60}, {600, 800}, {600, 800}},
      {37, 23, 1, {5, 5}, {37, 23}, {9, 5}},  // sizes not a multiple of 8
  };
  const Rgba teal{20, 150, 160};
  for (const Row& row : rows) {
    const std::string jpeg = encodeJpeg(solidPicture(row.width, row.height, teal),
                                        {.app1 = exifPayload(row.orientation, false)});
    const DecodedImage image = decoded(jpeg, row.box);
    EXPECT_EQ(image.naturalSize, row.natural) << row.box.width << "x" << row.box.height;
    EXPECT_EQ(image.pixels.width, row.kept.width) << row.box.width << "x" << row.box.height;
    EXPECT_EQ(image.pixels.height, row.kept.height) << row.box.width << "x" << row.box.height;
    ASSERT_EQ(image.pixels.argb.size(), static_cast<std::size_t>(row.kept.area()));
    EXPECT_TRUE(showsColour(image.pixels.argb.back(), teal, 4));
  }
}

// A frame header alone: start of image, then a baseline frame of the given size.
std::string frameHeader(int width, int height) {
  return "\xFF\xD8\xFF\xC0\x00\x11\x08"s + static_cast<char>(height >> 8) +
         static_cast<char>(height & 0xFF) + static_cast<char>(width >> 8) +
         static_cast<char>(width & 0xFF) + "\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01"s;
}

TEST(JpegDecoding, DamagedOrLyingFilesFailWithTheirReason) {
  const std::string good = encodeJpeg(quadrantPicture(64, 48, quadrantColours));
  const std::string progressive =
      encodeJpeg(quadrantPicture(64, 48, quadrantColours), {.progressive = true});
  struct Row {
    const char* what;
    std::string bytes;
    DecodeFailure expected;
  };
  const Row rows[] = {
      {"signature only", "\xFF\xD8\xFF"s, DecodeFailure::corrupt},
      {"garbage after the signature", "\xFF\xD8\xFF" + std::string(500, '\x5A'),
       DecodeFailure::corrupt},
      {"cut in the header", good.substr(0, 100), DecodeFailure::corrupt},
      {"cut in the data", good.substr(0, good.size() / 2), DecodeFailure::corrupt},
      {"cut in the last rows", good.substr(0, good.size() - 60), DecodeFailure::corrupt},
      {"progressive cut", progressive.substr(0, progressive.size() / 2), DecodeFailure::corrupt},
      {"65500 x 65500", frameHeader(65500, 65500), DecodeFailure::tooLarge},
      {"one row over the cap", frameHeader(10000, 10001), DecodeFailure::tooLarge},
      {"at the cap, but no data", frameHeader(10000, 10000), DecodeFailure::corrupt},
      {"no pixels", frameHeader(0, 10), DecodeFailure::corrupt},
  };
  for (const Row& row : rows) {
    const DecodeResult result = decodeJpeg(row.bytes, fullSize);
    ASSERT_TRUE(std::holds_alternative<DecodeFailure>(result)) << row.what;
    EXPECT_EQ(std::get<DecodeFailure>(result), row.expected) << row.what;
  }
}

}  // namespace
}  // namespace brivora
