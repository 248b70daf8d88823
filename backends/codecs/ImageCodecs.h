#pragma once

// Image decoding: JPEG, PNG and HEIC files to ready-to-draw pixels.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "backends/codecs/ColourTarget.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/ImagePixels.h"

namespace brivora {

// The largest image file read; a bigger one counts as unreadable.
inline constexpr std::size_t maxImageFileBytes = std::size_t{256} * 1024 * 1024;

// The most pixels an image may claim; files claiming more are refused before decoding.
inline constexpr std::uint64_t maxImagePixels = 100'000'000;

enum class DecodeFailure {
  unreadable,   // the file is missing, empty, not a regular file or too big to read
  notAnImage,   // no JPEG, PNG or HEIF signature
  unsupported,  // a HEIF file this build has no decoder for (another codec, say)
  tooLarge,     // its header claims more than maxImagePixels, or memory ran out
  corrupt,      // the data is damaged or cut short
  cancelled,    // the decode stopped early because nobody wanted its pixels any more
};

struct DecodedImage {
  Size naturalSize;    // the file's pixel size, oriented as shown
  ImagePixels pixels;  // oriented as shown; at most naturalSize, at least what covers the box
  // Why the file's colour profile was ignored (the image then shows as sRGB); empty when it
  // was used or there was none.
  std::string colourProblem = {};
};

using DecodeResult = std::variant<DecodedImage, DecodeFailure>;

// The natural size an image's header promises, or why it is refused.
using ImageHeader = std::variant<Size, DecodeFailure>;

// Decodes JPEG, PNG or HEIF bytes, chosen by their signature, not a file name. Keeps only the
// pixels needed to fill `coverBox` with the image, proportions kept (never more than the file
// holds); EXIF orientation (JPEG, PNG) and HEIF transforms are applied, and the colours are
// converted from the file's profile to `colours` before they are averaged down. Safe on any
// bytes: damage gives `corrupt`, never a crash or exit; a damaged profile is ignored. Prints
// nothing, though libde265 may write a line to stderr for a broken HEVC stream. Thread-safe.
DecodeResult decodeImage(std::string_view bytes, Size coverBox, const ColourTarget& colours = {});

// The natural size decodeImage would give, from the header alone: the same refusals for a
// missing signature, a damaged header or too many pixels, but none for damage after it.
ImageHeader probeImage(std::string_view bytes);

// decodeImage on the contents of a regular file of at most maxImageFileBytes, read without
// blocking; an empty or unreadable file gives `unreadable`.
DecodeResult decodeImageFile(const std::filesystem::path& path, Size coverBox,
                             const ColourTarget& colours = {});

// What the image's header says of its colours, in a few words for people ("ICC profile
// \"Display P3\" (colr prof)", "untagged, shown as sRGB", or why a profile is ignored); none
// when it is not an image whose header can be read.
std::optional<std::string> describeImageColours(std::string_view bytes);

// A short, lower-case reason: "the image data is damaged or cut short", ...
std::string_view describeDecodeFailure(DecodeFailure failure);

// The loader hosts install with setImageLoader. Reads the file's header at once, then reads and
// decodes the file on a worker thread, converting to the calling thread's currentColourTarget:
// none when the file cannot be read or its header is refused; an image with pixels in progress
// otherwise.
std::unique_ptr<Image> loadImage(const std::filesystem::path& path, Size coverBox);

}  // namespace brivora
