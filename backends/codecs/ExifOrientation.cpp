#include "backends/codecs/ExifOrientation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

namespace brivora {

namespace {

constexpr std::uint16_t orientationTag = 0x0112;
constexpr std::uint16_t shortType = 3;
constexpr std::uint16_t longType = 4;
constexpr std::size_t directoryEntryBytes = 12;
constexpr std::string_view exifPrefix{"Exif\0\0", 6};

// Reads TIFF integers in the block's own byte order, refusing reads past its end.
class TiffReader {
 public:
  TiffReader(std::string_view bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

  std::optional<std::uint32_t> read(std::size_t offset, std::size_t width) const {
    if (offset > bytes_.size() || bytes_.size() - offset < width) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      const auto byte =
          static_cast<std::uint8_t>(bytes_[offset + (bigEndian_ ? i : width - 1 - i)]);
      value = value << 8 | byte;
    }
    return value;
  }

 private:
  std::string_view bytes_;
  bool bigEndian_;
};

}  // namespace

ExifOrientation orientationFromTiff(std::string_view tiff) {
  bool bigEndian = false;
  if (tiff.starts_with("MM")) {
    bigEndian = true;
  } else if (!tiff.starts_with("II")) {
    return ExifOrientation::topLeft;
  }
  const TiffReader reader(tiff, bigEndian);
  const std::optional<std::uint32_t> magic = reader.read(2, 2);
  const std::optional<std::uint32_t> directory = reader.read(4, 4);
  if (magic != 42 || !directory) return ExifOrientation::topLeft;
  const std::optional<std::uint32_t> entryCount = reader.read(*directory, 2);
  if (!entryCount) return ExifOrientation::topLeft;
  for (std::uint32_t i = 0; i < *entryCount; ++i) {
    const std::size_t entry = std::size_t{*directory} + 2 + i * directoryEntryBytes;
    const std::optional<std::uint32_t> tag = reader.read(entry, 2);
    if (!tag) break;  // a count larger than the block
    if (*tag != orientationTag) continue;
    // The value sits at the start of the entry's 4-byte value field, in its own width.
    const std::optional<std::uint32_t> type = reader.read(entry + 2, 2);
    std::optional<std::uint32_t> value;
    if (type == shortType) value = reader.read(entry + 8, 2);
    if (type == longType) value = reader.read(entry + 8, 4);
    if (value && *value >= 1 && *value <= 8) return static_cast<ExifOrientation>(*value);
    return ExifOrientation::topLeft;
  }
  return ExifOrientation::topLeft;
}

ExifOrientation orientationFromExif(std::string_view exif) {
  if (exif.starts_with(exifPrefix)) exif.remove_prefix(exifPrefix.size());
  return orientationFromTiff(exif);
}

bool swapsAxes(ExifOrientation orientation) {
  return orientation >= ExifOrientation::leftTop;
}

PixelSize orientedSize(PixelSize storedSize, ExifOrientation orientation) {
  return swapsAxes(orientation) ? transposed(storedSize) : storedSize;
}

namespace {

// Where the stored pixel of shown pixel (0, 0) lies, and how far the stored index moves for a
// step right and a step down in the shown image.
struct StoredWalk {
  std::ptrdiff_t start;
  std::ptrdiff_t right;
  std::ptrdiff_t down;
};

StoredWalk storedWalk(ExifOrientation orientation, std::ptrdiff_t w, std::ptrdiff_t h) {
  const std::ptrdiff_t lastRow = (h - 1) * w;
  switch (orientation) {
    case ExifOrientation::topLeft:
      break;
    case ExifOrientation::topRight:
      return {w - 1, -1, w};
    case ExifOrientation::bottomRight:
      return {lastRow + w - 1, -1, -w};
    case ExifOrientation::bottomLeft:
      return {lastRow, 1, -w};
    case ExifOrientation::leftTop:
      return {0, w, 1};
    case ExifOrientation::rightTop:
      return {lastRow, -w, 1};
    case ExifOrientation::rightBottom:
      return {lastRow + w - 1, -w, -1};
    case ExifOrientation::leftBottom:
      return {w - 1, w, -1};
  }
  return {0, 1, w};
}

}  // namespace

ImagePixels applyOrientation(ImagePixels stored, ExifOrientation orientation) {
  if (orientation == ExifOrientation::topLeft) return stored;
  const PixelSize shown = orientedSize({stored.width, stored.height}, orientation);
  ImagePixels result{shown.width, shown.height, {}, stored.opaque};
  result.argb.resize(stored.argb.size());
  // Each shown pixel reads the stored pixel it came from, walking the stored image with fixed
  // steps: the orientation is settled once, not for every pixel. A turned image is walked in
  // square tiles, so that reading down the stored columns stays within the cache.
  constexpr std::ptrdiff_t tile = 64;
  const StoredWalk walk = storedWalk(orientation, stored.width, stored.height);
  const std::ptrdiff_t width = shown.width;
  const std::ptrdiff_t height = shown.height;
  for (std::ptrdiff_t top = 0; top < height; top += tile) {
    for (std::ptrdiff_t left = 0; left < width; left += tile) {
      for (std::ptrdiff_t y = top; y < std::min(top + tile, height); ++y) {
        std::ptrdiff_t from = walk.start + y * walk.down + left * walk.right;
        std::uint32_t* out = result.argb.data() + y * width + left;
        for (std::ptrdiff_t x = left; x < std::min(left + tile, width); ++x, from += walk.right) {
          *out++ = stored.argb[static_cast<std::size_t>(from)];
        }
      }
    }
  }
  return result;
}

}  // namespace brivora
