// Reading the EXIF orientation tag and turning pixels by it.
#include "backends/codecs/ExifOrientation.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using testing::exifPayload;

std::string tiffOf(const std::string& payload) {
  return payload.substr(6);  // after "Exif\0\0"
}

TEST(ExifOrientationTag, ReadsEitherByteOrderWithOrWithoutThePrefix) {
  for (int value = 1; value <= 8; ++value) {
    for (const bool bigEndian : {false, true}) {
      const std::string payload = exifPayload(value, bigEndian);
      EXPECT_EQ(orientationFromExif(payload), static_cast<ExifOrientation>(value)) << value;
      EXPECT_EQ(orientationFromExif(tiffOf(payload)), static_cast<ExifOrientation>(value));
      EXPECT_EQ(orientationFromTiff(tiffOf(payload)), static_cast<ExifOrientation>(value));
    }
  }
}

TEST(ExifOrientationTag, DamagedOrMissingTagsReadAsUpright) {
  const std::string good = tiffOf(exifPayload(6, true));
  auto changed = [&](std::size_t offset, std::string bytes, std::string tiff = {}) {
    if (tiff.empty()) tiff = good;
    tiff.replace(offset, bytes.size(), bytes);
    return tiff;
  };
  const std::pair<const char*, std::string> rows[] = {
      {"empty", ""},
      {"no byte-order mark", "XX" + good.substr(2)},
      {"wrong magic number", changed(2, std::string("\0\x2B", 2))},
      {"directory past the end", changed(4, std::string("\0\0\xFF\xFF", 4))},
      {"orientation entry not counted", changed(8, std::string("\0\x01", 2))},
      {"more entries than bytes", changed(8, "\x7F\xFF", changed(22, "\x01\x13"))},
      {"cut inside the orientation entry", good.substr(0, 30)},
      {"value out of range", changed(30, std::string("\0\x09", 2))},
      {"value zero", changed(30, std::string("\0\0", 2))},
      {"not a number type", changed(24, std::string("\0\x02", 2))},
      {"no orientation tag", changed(22, std::string("\x01\x13", 2))},
  };
  for (const auto& [what, tiff] : rows) {
    EXPECT_EQ(orientationFromTiff(tiff), ExifOrientation::topLeft) << what;
  }
  // A tag written as a 4-byte LONG by lenient writers still counts.
  const std::string asLong =
      changed(24, std::string("\0\x04\0\0\0\x01", 6) + std::string("\0\0\0\x08", 4));
  EXPECT_EQ(orientationFromTiff(asLong), ExifOrientation::leftBottom);
}

TEST(ExifOrientationPixels, EachOrientationShowsTheStoredPixelsTurnedOrMirrored) {
  // Stored 3×2:  a b c
  //              d e f
  const ImagePixels stored{3, 2, {'a', 'b', 'c', 'd', 'e', 'f'}};
  struct Row {
    ExifOrientation orientation;
    int width;
    std::string shown;  // rows from the top, read left to right
  };
  const Row rows[] = {
      {ExifOrientation::topLeft, 3, "abcdef"},     {ExifOrientation::topRight, 3, "cbafed"},
      {ExifOrientation::bottomRight, 3, "fedcba"}, {ExifOrientation::bottomLeft, 3, "defabc"},
      {ExifOrientation::leftTop, 2, "adbecf"},     {ExifOrientation::rightTop, 2, "daebfc"},
      {ExifOrientation::rightBottom, 2, "fcebda"}, {ExifOrientation::leftBottom, 2, "cfbead"},
  };
  for (const Row& row : rows) {
    const ImagePixels shown = applyOrientation(stored, row.orientation);
    EXPECT_EQ(shown.width, row.width);
    EXPECT_EQ(shown.height, 6 / row.width);
    EXPECT_EQ(std::string(shown.argb.begin(), shown.argb.end()), row.shown)
        << static_cast<int>(row.orientation);
  }
}

}  // namespace
}  // namespace brivora
