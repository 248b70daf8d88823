#include "backends/codecs/PngDecoder.h"

#include <bit>
#include <csetjmp>
#include <cstdint>
#include <optional>
#include <vector>

#include <png.h>

#include "backends/codecs/CoverSize.h"
#include "backends/codecs/DecodeCancellation.h"
#include "backends/codecs/ExifOrientation.h"
#include "backends/codecs/PixelReduction.h"
#include "backends/codecs/PngChunks.h"
#include "backends/codecs/PngColour.h"

namespace brivora {

namespace {

// The header's claimed size, read by hand so that a lying one is refused before libpng sees it.
std::optional<PixelSize> headerSize(const std::vector<PngChunk>& chunks) {
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

ExifOrientation exifChunkOrientation(const std::vector<PngChunk>& chunks) {
  for (const PngChunk& chunk : chunks) {
    if (chunk.type == "eXIf") return orientationFromExif(chunk.data);
  }
  return ExifOrientation::topLeft;
}

// The bytes libpng reads, from the start.
struct MemoryReader {
  std::string_view bytes;
  std::size_t offset = 0;
};

void readBytes(png_structp png, png_bytep into, std::size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (reader->bytes.size() - reader->offset < count) png_error(png, "the data ends early");
  std::copy_n(reader->bytes.data() + reader->offset, count, reinterpret_cast<char*>(into));
  reader->offset += count;
}

[[noreturn]] void abandonDecoding(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Everything that must outlive a longjmp out of libpng lives here, outside the frame that calls
// setjmp, and is released by the destructor on every way out.
struct PngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  MemoryReader reader;
  ImageColour colour;
  PixelSize stored;
  std::optional<RowConverter> converter;
  std::optional<AreaReducer> reducer;
  std::vector<png_byte> samples;  // one row, or every row of an interlaced image
  std::vector<std::uint32_t> row;

  PngSession() = default;
  PngSession(const PngSession&) = delete;
  PngSession& operator=(const PngSession&) = delete;
  ~PngSession() { png_destroy_read_struct(&png, &info, nullptr); }
};

enum class PngOutcome { decoded, corrupt, cancelled };

// Rows come out as RGBA (or gray and alpha, for a gray profile), 8 or 16 bits, straight alpha,
// with no gamma applied: the colour conversion does that.
SampleLayout rowLayout(png_structp png, png_infop info, const ColourTag& tag) {
  const bool wide = png_get_bit_depth(png, info) == 16;
  const bool gray = (png_get_color_type(png, info) & PNG_COLOR_MASK_COLOR) == 0;
  if (gray && tag.kind == ColourTag::Kind::icc && iccColourSpace(tag.icc) == "GRAY") {
    return wide ? SampleLayout::graya16 : SampleLayout::graya8;
  }
  return wide ? SampleLayout::rgba16 : SampleLayout::rgba8;
}

void setTransforms(png_structp png, png_infop info, SampleLayout layout) {
  png_set_expand(png);  // palettes to RGB, small grays to 8 bits, tRNS to alpha
  if (layout == SampleLayout::rgba8 || layout == SampleLayout::rgba16) png_set_gray_to_rgb(png);
  const bool wide = layout == SampleLayout::rgba16 || layout == SampleLayout::graya16;
  if (wide && std::endian::native == std::endian::little) png_set_swap(png);
  if ((png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) == 0 &&
      !png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_add_alpha(png, 0xFFFF, PNG_FILLER_AFTER);
  }
}

// The libpng calls; C++ objects are only touched through `session`, between libpng calls, so
// the jump back from an error skips no destructor. Without `colours` to convert to it stops
// once the header is read. The size libpng reads must be the one `claimed`.
PngOutcome runDecoder(PngSession& session, PixelSize claimed, PixelSize target,
                      const ColourTarget* colours) {
  if (setjmp(png_jmpbuf(session.png))) return PngOutcome::corrupt;
  png_structp png = session.png;
  png_set_read_fn(png, &session.reader, readBytes);
  png_read_info(png, session.info);
  session.stored = PixelSize{static_cast<int>(png_get_image_width(png, session.info)),
                             static_cast<int>(png_get_image_height(png, session.info))};
  if (session.stored != claimed) return PngOutcome::corrupt;
  if (!colours) return PngOutcome::decoded;
  session.colour.layout = rowLayout(png, session.info, session.colour.tag);
  setTransforms(png, session.info, session.colour.layout);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, session.info);

  session.converter.emplace(session.colour.tag, session.colour.layout, *colours);
  session.reducer.emplace(session.stored, target);
  const std::size_t width = static_cast<std::size_t>(session.stored.width);
  const std::size_t height = static_cast<std::size_t>(session.stored.height);
  const std::size_t rowBytes = png_get_rowbytes(png, session.info);
  session.row.resize(width);
  if (passes > 1) {
    // Interlaced rows arrive in passes over the whole image: gather them all first.
    session.samples.resize(rowBytes * height);
    for (int pass = 0; pass < passes; ++pass) {
      for (std::size_t y = 0; y < height; ++y) {
        if (decodeCancelled()) return PngOutcome::cancelled;
        png_read_row(png, &session.samples[y * rowBytes], nullptr);
      }
    }
    for (std::size_t y = 0; y < height; ++y) {
      session.converter->convert(&session.samples[y * rowBytes], session.row);
      session.reducer->addRow(session.row);
    }
  } else {
    session.samples.resize(rowBytes);
    for (std::size_t y = 0; y < height; ++y) {
      if (decodeCancelled()) return PngOutcome::cancelled;
      png_read_row(png, session.samples.data(), nullptr);
      session.converter->convert(session.samples.data(), session.row);
      session.reducer->addRow(session.row);
    }
  }
  // Whatever follows the last row (text, the end chunk) is not needed.
  return PngOutcome::decoded;
}

// Checks the header by hand and opens libpng on `bytes`; the failure when it is refused.
std::optional<DecodeFailure> openPng(std::string_view bytes, const std::vector<PngChunk>& chunks,
                                     PngSession& session) {
  const std::optional<PixelSize> claimed = headerSize(chunks);
  if (!claimed) return DecodeFailure::corrupt;
  if (claimed->area() > maxImagePixels) return DecodeFailure::tooLarge;
  if (claimed->width <= 0 || claimed->height <= 0) return DecodeFailure::corrupt;
  session.png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, abandonDecoding, ignoreWarning);
  if (!session.png) return DecodeFailure::tooLarge;
  session.info = png_create_info_struct(session.png);
  if (!session.info) return DecodeFailure::tooLarge;
  session.reader.bytes = bytes;
  session.colour.tag = pngColourTag(chunks);
  return std::nullopt;
}

}  // namespace

ImageHeader probePng(std::string_view bytes) {
  const std::vector<PngChunk> chunks = headerChunks(bytes);
  PngSession session;
  if (const auto failure = openPng(bytes, chunks, session)) return *failure;
  const PixelSize claimed = *headerSize(chunks);
  if (runDecoder(session, claimed, claimed, nullptr) != PngOutcome::decoded) {
    return DecodeFailure::corrupt;
  }
  const PixelSize natural = orientedSize(claimed, exifChunkOrientation(chunks));
  return Size{static_cast<double>(natural.width), static_cast<double>(natural.height)};
}

std::optional<ImageColour> readPngColour(std::string_view bytes) {
  const std::vector<PngChunk> chunks = headerChunks(bytes);
  const std::optional<PixelSize> claimed = headerSize(chunks);
  if (!claimed || chunks.front().data.size() < 10) return std::nullopt;
  ImageColour colour{pngColourTag(chunks)};
  const auto depth = static_cast<std::uint8_t>(chunks.front().data[8]);
  const auto type = static_cast<std::uint8_t>(chunks.front().data[9]);
  const bool gray = (type & PNG_COLOR_MASK_COLOR) == 0;
  const bool grayProfile =
      colour.tag.kind == ColourTag::Kind::icc && iccColourSpace(colour.tag.icc) == "GRAY";
  colour.layout = gray && grayProfile ? (depth == 16 ? SampleLayout::graya16 : SampleLayout::graya8)
                                      : (depth == 16 ? SampleLayout::rgba16 : SampleLayout::rgba8);
  return colour;
}

DecodeResult decodePng(std::string_view bytes, Size coverBox, const ColourTarget& colours) {
  const std::vector<PngChunk> chunks = headerChunks(bytes);
  PngSession session;
  if (const auto failure = openPng(bytes, chunks, session)) return *failure;
  const PixelSize claimed = *headerSize(chunks);
  const ExifOrientation orientation = exifChunkOrientation(chunks);
  const PixelSize natural = orientedSize(claimed, orientation);
  const PixelSize target = orientedSize(coverPixelSize(natural, coverBox), orientation);
  switch (runDecoder(session, claimed, target, &colours)) {
    case PngOutcome::corrupt:
      return DecodeFailure::corrupt;
    case PngOutcome::cancelled:
      return DecodeFailure::cancelled;
    case PngOutcome::decoded:
      break;
  }
  return DecodedImage{Size{static_cast<double>(natural.width), static_cast<double>(natural.height)},
                      applyOrientation(session.reducer->finish(), orientation),
                      session.converter->problem()};
}

}  // namespace brivora
