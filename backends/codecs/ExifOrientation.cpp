#include "backends/codecs/ExifOrientation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "backends/codecs/TiffDirectory.h"

namespace brivora {

namespace {

constexpr std::uint16_t orientationTag = 0x0112;

}  // namespace

ExifOrientation orientationFromTiff(std::string_view tiff) {
  const std::optional<TiffReader> reader = TiffReader::open(tiff);
  const std::optional<std::uint32_t> directory = reader ? reader->firstDirectory() : std::nullopt;
  if (!directory) return ExifOrientation::topLeft;
  const std::optional<std::size_t> entry = reader->findEntry(*directory, orientationTag);
  const std::optional<std::uint32_t> value = entry ? reader->numberAt(*entry) : std::nullopt;
  if (value && *value >= 1 && *value <= 8) return static_cast<ExifOrientation>(*value);
  return ExifOrientation::topLeft;
}

ExifOrientation orientationFromExif(std::string_view exif) {
  return orientationFromTiff(exifTiffData(exif));
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
