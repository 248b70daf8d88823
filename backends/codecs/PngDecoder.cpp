#include "backends/codecs/PngDecoder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <png.h>

#include "backends/codecs/ArgbWords.h"
#include "backends/codecs/CoverSize.h"
#include "backends/codecs/ExifOrientation.h"
#include "backends/codecs/PixelReduction.h"

namespace brivora {

namespace {

constexpr std::size_t signatureBytes = 8;
constexpr std::size_t chunkHeaderBytes = 8;  // length, then type
constexpr std::size_t chunkCrcBytes = 4;
constexpr std::size_t rgbaBytes = 4;

std::uint32_t bigEndian32(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value = value << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
  }
  return value;
}

struct Chunk {
  std::string_view type;
  std::string_view data;
};

// The chunks before the image data, in order, as far as they lie wholly within the bytes.
std::vector<Chunk> headerChunks(std::string_view bytes) {
  std::vector<Chunk> chunks;
  if (bytes.size() < signatureBytes) return chunks;
  std::size_t offset = signatureBytes;
  while (bytes.size() - offset >= chunkHeaderBytes) {
    const std::size_t length = bigEndian32(bytes, offset);
    const std::string_view type = bytes.substr(offset + 4, 4);
    if (type == "IDAT" || type == "IEND") break;
    const std::size_t dataStart = offset + chunkHeaderBytes;
    if (bytes.size() - dataStart < length || bytes.size() - dataStart - length < chunkCrcBytes) {
      break;
    }
    chunks.push_back({type, bytes.substr(dataStart, length)});
    offset = dataStart + length + chunkCrcBytes;
  }
  return chunks;
}

// The header's claimed size, read by hand so that a lying one is refused before libpng sees it.
std::optional<PixelSize> headerSize(const std::vector<Chunk>& chunks) {
  if (chunks.empty() || chunks.front().type != "IHDR" || chunks.front().data.size() < 8) {
    return std::nullopt;
  }
  const std::uint32_t width = bigEndian32(chunks.front().data, 0);
  const std::uint32_t height = bigEndian32(chunks.front().data, 4);
  // Above 2^31 - 1 libpng refuses anyway; as a claim it is too large.
  constexpr std::uint32_t largestSide = 0x7FFFFFFF;
  return PixelSize{static_cast<int>(std::min(width, largestSide)),
                   static_cast<int>(std::min(height, largestSide))};
}

ExifOrientation exifChunkOrientation(const std::vector<Chunk>& chunks) {
  for (const Chunk& chunk : chunks) {
    if (chunk.type == "eXIf") return orientationFromExif(chunk.data);
  }
  return ExifOrientation::topLeft;
}

// Frees libpng's state on every way out; png_image_free is safe on a freed image.
struct PngImage {
  png_image image{};
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
  ~PngImage() { png_image_free(&image); }
};

// Reads the header into `png`; the failure when it is refused.
std::optional<DecodeFailure> readHeader(std::string_view bytes, const std::vector<Chunk>& chunks,
                                        PngImage& png) {
  const std::optional<PixelSize> claimed = headerSize(chunks);
  if (!claimed) return DecodeFailure::corrupt;
  if (claimed->area() > maxImagePixels) return DecodeFailure::tooLarge;
  // The simplified API catches libpng's errors inside libpng and reports them by return value.
  if (!png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size())) {
    return DecodeFailure::corrupt;
  }
  const PixelSize stored{static_cast<int>(png.image.width), static_cast<int>(png.image.height)};
  if (stored != *claimed || stored.width <= 0 || stored.height <= 0) {
    return DecodeFailure::corrupt;
  }
  return std::nullopt;
}

}  // namespace

ImageHeader probePng(std::string_view bytes) {
  const std::vector<Chunk> chunks = headerChunks(bytes);
  PngImage png;
  if (const auto failure = readHeader(bytes, chunks, png)) return *failure;
  const PixelSize natural =
      orientedSize(PixelSize{static_cast<int>(png.image.width), static_cast<int>(png.image.height)},
                   exifChunkOrientation(chunks));
  return Size{static_cast<double>(natural.width), static_cast<double>(natural.height)};
}

DecodeResult decodePng(std::string_view bytes, Size coverBox) {
  const std::vector<Chunk> chunks = headerChunks(bytes);
  PngImage png;
  if (const auto failure = readHeader(bytes, chunks, png)) return *failure;
  const PixelSize stored{static_cast<int>(png.image.width), static_cast<int>(png.image.height)};
  png.image.format = PNG_FORMAT_RGBA;
  const std::size_t rowBytes = static_cast<std::size_t>(stored.width) * rgbaBytes;
  // Left uninitialised: a lying header over data that ends early costs address space, not time.
  const auto rgba = std::make_unique_for_overwrite<std::uint8_t[]>(
      rowBytes * static_cast<std::size_t>(stored.height));
  if (!png_image_finish_read(&png.image, nullptr, rgba.get(), 0, nullptr)) {
    return DecodeFailure::corrupt;
  }

  const ExifOrientation orientation = exifChunkOrientation(chunks);
  const PixelSize natural = orientedSize(stored, orientation);
  AreaReducer reducer(stored, orientedSize(coverPixelSize(natural, coverBox), orientation));
  std::vector<std::uint32_t> row(static_cast<std::size_t>(stored.width));
  for (std::size_t y = 0; y < static_cast<std::size_t>(stored.height); ++y) {
    const std::uint8_t* pixel = &rgba[y * rowBytes];
    for (std::uint32_t& word : row) {
      word = premultipliedArgb(pixel[0], pixel[1], pixel[2], pixel[3]);
      pixel += rgbaBytes;
    }
    reducer.addRow(row);
  }
  return DecodedImage{Size{static_cast<double>(natural.width), static_cast<double>(natural.height)},
                      applyOrientation(reducer.finish(), orientation)};
}

}  // namespace brivora
