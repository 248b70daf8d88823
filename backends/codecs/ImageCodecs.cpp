#include "backends/codecs/ImageCodecs.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "backends/codecs/BackgroundDecoding.h"
#include "backends/codecs/HeifDecoder.h"
#include "backends/codecs/JpegDecoder.h"
#include "backends/codecs/PngDecoder.h"
#include "platform/Files.h"

namespace brivora {

namespace {

enum class ImageFormat { jpeg, png, heif, unknown };

// HEIF files open with an "ftyp" box whose major brand names a HEIF kind of image.
bool hasHeifBrand(std::string_view bytes) {
  static constexpr std::array<std::string_view, 8> brands = {"heic", "heix", "heim", "heis",
                                                             "hevc", "hevx", "mif1", "msf1"};
  return bytes.size() >= 12 && bytes.substr(4, 4) == "ftyp" &&
         std::find(brands.begin(), brands.end(), bytes.substr(8, 4)) != brands.end();
}

ImageFormat formatOf(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xD8\xFF")) return ImageFormat::jpeg;
  if (bytes.starts_with("\x89PNG\r\n\x1A\n")) return ImageFormat::png;
  if (hasHeifBrand(bytes)) return ImageFormat::heif;
  return ImageFormat::unknown;
}

DecodeResult decodeByFormat(std::string_view bytes, Size coverBox, const ColourTarget& colours) {
  switch (formatOf(bytes)) {
    case ImageFormat::jpeg:
      return decodeJpeg(bytes, coverBox, colours);
    case ImageFormat::png:
      return decodePng(bytes, coverBox, colours);
    case ImageFormat::heif:
      return decodeHeif(bytes, coverBox, colours);
    case ImageFormat::unknown:
      break;
  }
  return DecodeFailure::notAnImage;
}

bool allOpaque(const std::vector<std::uint32_t>& argb) {
  std::uint32_t alphas = 0xFF000000u;
  for (const std::uint32_t word : argb) alphas &= word;
  return alphas == 0xFF000000u;
}

}  // namespace

DecodeResult decodeImage(std::string_view bytes, Size coverBox, const ColourTarget& colours) {
  if (bytes.empty()) return DecodeFailure::unreadable;
  try {
    DecodeResult result = decodeByFormat(bytes, coverBox, colours);
    if (auto* decoded = std::get_if<DecodedImage>(&result)) {
      decoded->pixels.opaque = allOpaque(decoded->pixels.argb);
    }
    return result;
  } catch (const std::bad_alloc&) {
    // An image under the pixel cap can still be more than this machine has memory for.
    return DecodeFailure::tooLarge;
  }
}

ImageHeader probeImage(std::string_view bytes) {
  if (bytes.empty()) return DecodeFailure::unreadable;
  try {
    switch (formatOf(bytes)) {
      case ImageFormat::jpeg:
        return probeJpeg(bytes);
      case ImageFormat::png:
        return probePng(bytes);
      case ImageFormat::heif:
        return probeHeif(bytes);
      case ImageFormat::unknown:
        break;
    }
  } catch (const std::bad_alloc&) {
    return DecodeFailure::tooLarge;
  }
  return DecodeFailure::notAnImage;
}

DecodeResult decodeImageFile(const std::filesystem::path& path, Size coverBox,
                             const ColourTarget& colours) {
  const FileContents contents = readWholeFile(path, maxImageFileBytes);
  if (!contents.bytes) return DecodeFailure::unreadable;
  return decodeImage(*contents.bytes, coverBox, colours);
}

std::optional<std::string> describeImageColours(std::string_view bytes) {
  std::optional<ImageColour> colour;
  try {
    switch (formatOf(bytes)) {
      case ImageFormat::jpeg:
        colour = readJpegColour(bytes);
        break;
      case ImageFormat::png:
        colour = readPngColour(bytes);
        break;
      case ImageFormat::heif:
        colour = readHeifColour(bytes);
        break;
      case ImageFormat::unknown:
        break;
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (!colour) return std::nullopt;
  return describeImageColour(*colour);
}

std::string_view describeDecodeFailure(DecodeFailure failure) {
  switch (failure) {
    case DecodeFailure::unreadable:
      return "the file is empty or cannot be read";
    case DecodeFailure::notAnImage:
      return "it is not a JPEG, PNG or HEIC image";
    case DecodeFailure::unsupported:
      return "it is a kind of HEIF image that cannot be decoded here";
    case DecodeFailure::tooLarge:
      return "it is larger than 100 megapixels";
    case DecodeFailure::cancelled:
      return "its decoding was cancelled";
    case DecodeFailure::corrupt:
      break;
  }
  return "the image data is damaged or cut short";
}

std::unique_ptr<Image> loadImage(const std::filesystem::path& path, Size coverBox) {
  // The header almost always lies in the file's first bytes; reading only those keeps the
  // frame loop from reading (and faulting in memory for) a file of many megabytes.
  constexpr std::size_t headBytes = std::size_t{256} * 1024;
  const FileContents head = readFileHead(path, headBytes);
  if (!head.bytes || head.bytes->empty()) return nullptr;
  ImageHeader header = probeImage(*head.bytes);
  std::optional<std::string> whole;
  if (std::holds_alternative<DecodeFailure>(header) && head.bytes->size() == headBytes &&
      formatOf(*head.bytes) == ImageFormat::heif) {
    // libheif checks where the data lies against the file's size: let it read the boxes it
    // wants from the file itself.
    header = probeHeifFile(path);
  } else if (std::holds_alternative<DecodeFailure>(header) && head.bytes->size() == headBytes) {
    // A header past the first bytes (a large profile, boxes after the data): read it all.
    whole = readWholeFile(path, maxImageFileBytes).bytes;
    if (!whole) return nullptr;
    header = probeImage(*whole);
  }
  const Size* naturalSize = std::get_if<Size>(&header);
  if (!naturalSize) return nullptr;
  const ColourTarget& colours = currentColourTarget();
  return std::make_unique<Image>(path, *naturalSize,
                                 whole ? decodeInBackground(std::move(*whole), coverBox, colours)
                                       : decodeFileInBackground(path, coverBox, colours));
}

}  // namespace brivora
