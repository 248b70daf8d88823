// PNG decoding: pixel formats to premultiplied ARGB, reduction, eXIf orientation, damaged files.
#include "backends/codecs/PngDecoder.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "backends/codecs/CoverSize.h"
#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using namespace brivora::testing;
using namespace std::string_literals;

constexpr Size fullSize{std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::infinity()};

DecodedImage decoded(const std::string& bytes, Size coverBox) {
  DecodeResult result = decodePng(bytes, coverBox);
  if (const auto* failure = std::get_if<DecodeFailure>(&result)) {
    ADD_FAILURE() << "does not decode: " << describeDecodeFailure(*failure);
    return {};
  }
  return std::get<DecodedImage>(std::move(result));
}

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
    std::uint32_t first;  // the two pixels' words
    std::uint32_t second;
    int tolerance = 0;
  };
  const Row rows[] = {
      {"rgba", pngOf<std::uint8_t>(PNG_FORMAT_RGBA, {200, 100, 50, 128, 10, 20, 30, 255}),
       0x80643219, 0xFF0A141E},
      {"rgba fully transparent",
       pngOf<std::uint8_t>(PNG_FORMAT_RGBA, {200, 100, 50, 0, 0, 0, 0, 1}), 0x00000000, 0x01000000},
      {"rgb", pngOf<std::uint8_t>(PNG_FORMAT_RGB, {1, 2, 3, 250, 251, 252}), 0xFF010203,
       0xFFFAFBFC},
      {"gray", pngOf<std::uint8_t>(PNG_FORMAT_GRAY, {0x40, 0xFF}), 0xFF404040, 0xFFFFFFFF},
      {"gray and alpha", pngOf<std::uint8_t>(PNG_FORMAT_GA, {0x80, 0x40, 0x80, 0xFF}), 0x40202020,
       0xFF808080},
      {"palette with transparency",
       pngOf<std::uint8_t>(PNG_FORMAT_RGBA_COLORMAP, {1, 0}, {10, 20, 30, 255, 0, 0, 255, 0}),
       0x00000000, 0xFF0A141E},
      // 16-bit linear light, premultiplied, as libpng writes it: gamma-encoded 8-bit after
      // decoding (libpng's curve is near sRGB, not on it: the mid gray lands at 126).
      {"16-bit",
       pngOf<std::uint16_t>(PNG_FORMAT_LINEAR_RGB_ALPHA,
                            {65535, 0, 0, 65535, 14027, 14027, 14027, 65535}),
       0xFFFF0000, 0xFF808080, 2},
      {"16-bit half covered",
       pngOf<std::uint16_t>(PNG_FORMAT_LINEAR_RGB_ALPHA, {32768, 0, 0, 32768, 0, 0, 0, 0}),
       0x80800000, 0x00000000, 1},
  };
  for (const Row& row : rows) {
    ASSERT_FALSE(row.png.empty()) << row.what;
    const DecodedImage image = decoded(row.png, fullSize);
    EXPECT_EQ(image.naturalSize, (Size{2, 1})) << row.what;
    ASSERT_EQ(image.pixels.argb.size(), 2u) << row.what;
    for (std::size_t i = 0; i < 2; ++i) {
      const std::uint32_t expected = i == 0 ? row.first : row.second;
      for (int c = 0; c < 4; ++c) {
        const int actual = static_cast<int>((image.pixels.argb[i] >> (8 * c)) & 0xFF);
        const int wanted = static_cast<int>((expected >> (8 * c)) & 0xFF);
        EXPECT_NEAR(actual, wanted, row.tolerance)
            << row.what << " pixel " << i << std::hex << ": 0x" << image.pixels.argb[i];
      }
    }
  }
}

TEST(PngDecoding, AveragesDownToJustCoverTheBox) {
  const std::string png = encodePng(quadrantPicture(300, 200, quadrantColours));
  struct Row {
    Size box;
    PixelSize kept;
  };
  const Row rows[] = {
      {{30, 30}, {45, 30}}, {{100, 10}, {100, 67}}, {{600, 600}, {300, 200}}, {{0, 0}, {1, 1}}};
  for (const Row& row : rows) {
    const DecodedImage image = decoded(png, row.box);
    EXPECT_EQ(image.naturalSize, (Size{300, 200}));
    EXPECT_EQ(image.pixels.width, row.kept.width) << row.box.width;
    EXPECT_EQ(image.pixels.height, row.kept.height) << row.box.width;
    if (row.kept.width >= 2 && row.kept.height >= 2) {
      EXPECT_TRUE(showsCorners(image.pixels, "RGBW", 0)) << row.box.width;
    }
  }
  // A single pixel is the average of all four quadrants.
  const DecodedImage one = decoded(png, {0, 0});
  ASSERT_EQ(one.pixels.argb.size(), 1u);
  EXPECT_TRUE(showsColour(one.pixels.argb[0], {138, 138, 140}, 1));
}

TEST(PngDecoding, AnExifChunkTurnsTheImage) {
  const std::string plain = encodePng(quadrantPicture(64, 32, quadrantColours));
  for (const ShownCorners& row : shownCorners) {
    const std::string tiff = exifPayload(row.orientation, true).substr(6);
    const DecodedImage image =
        decoded(withChunkAfterHeader(plain, pngChunk("eXIf", tiff)), fullSize);
    EXPECT_EQ(image.naturalSize, row.orientation >= 5 ? (Size{32, 64}) : (Size{64, 32}));
    EXPECT_TRUE(showsCorners(image.pixels, row.corners, 0)) << row.orientation;
  }
}

// A PNG that stops after a header chunk claiming this size.
std::string headerOnly(std::uint32_t width, std::uint32_t height) {
  std::string data;
  for (const std::uint32_t value : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) data += static_cast<char>(value >> shift);
  }
  data += "\x08\x06\x00\x00\x00"s;  // 8-bit RGBA, not interlaced
  return "\x89PNG\r\n\x1A\n"s + pngChunk("IHDR", data);
}

TEST(PngDecoding, DamagedOrLyingFilesFailWithTheirReason) {
  const std::string good = encodePng(quadrantPicture(64, 48, quadrantColours));
  std::string badChecksum = good;
  badChecksum[good.find("IDAT") + 10] ^= 0x55;
  struct Row {
    const char* what;
    std::string bytes;
    DecodeFailure expected;
  };
  const Row rows[] = {
      {"signature only", "\x89PNG\r\n\x1A\n"s, DecodeFailure::corrupt},
      {"garbage after the signature", "\x89PNG\r\n\x1A\n" + std::string(300, 'Z'),
       DecodeFailure::corrupt},
      {"cut in the header", good.substr(0, 20), DecodeFailure::corrupt},
      {"cut in the data", good.substr(0, good.size() / 2), DecodeFailure::corrupt},
      {"data damaged", badChecksum, DecodeFailure::corrupt},
      {"100000 x 100000", headerOnly(100000, 100000), DecodeFailure::tooLarge},
      {"one row over the cap", headerOnly(10000, 10001), DecodeFailure::tooLarge},
      {"wider than libpng takes", headerOnly(0xFFFFFFFF, 1000), DecodeFailure::tooLarge},
      {"at the cap, but no data", headerOnly(10000, 10000), DecodeFailure::corrupt},
      {"no pixels", headerOnly(0, 10), DecodeFailure::corrupt},
  };
  for (const Row& row : rows) {
    const DecodeResult result = decodePng(row.bytes, fullSize);
    ASSERT_TRUE(std::holds_alternative<DecodeFailure>(result)) << row.what;
    EXPECT_EQ(std::get<DecodeFailure>(result), row.expected) << row.what;
  }
}

}  // namespace
}  // namespace brivora
