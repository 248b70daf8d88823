// Reading the EXIF orientation tag from damaged blocks; the decoders' tests read every value in
// either byte order and turn pixels by it.
#include "backends/codecs/ExifOrientation.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

using testing::exifPayload;

TEST(ExifOrientationTag, DamagedOrMissingTagsReadAsUpright) {
  const std::string good = exifPayload(6, true).substr(6);  // after "Exif\0\0"
  auto changed = [&](std::size_t offset, std::string bytes, std::string tiff = {}) {
    if (tiff.empty()) tiff = good;
    tiff.replace(offset, bytes.size(), bytes);
    return tiff;
  };
  const std::pair<const char*, std::string> rows[] = {
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

}  // namespace
}  // namespace brivora
