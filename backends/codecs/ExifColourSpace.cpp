#include "backends/codecs/ExifColourSpace.h"

#include <cstdint>
#include <optional>

#include "backends/codecs/TiffDirectory.h"

namespace brivora {

namespace {

constexpr std::uint16_t exifDirectoryTag = 0x8769;
constexpr std::uint16_t colourSpaceTag = 0xA001;
constexpr std::uint16_t interoperabilityDirectoryTag = 0xA005;
constexpr std::uint16_t interoperabilityIndexTag = 0x0001;
constexpr std::uint32_t srgbSpace = 1;
constexpr std::uint32_t adobeRgbSpace = 2;
constexpr std::uint32_t uncalibratedSpace = 0xFFFF;
constexpr std::string_view origin = "EXIF colour space";

// The number held by `tag` in the directory at `directory`.
std::optional<std::uint32_t> numberOf(const TiffReader& reader,
                                      std::optional<std::uint32_t> directory, std::uint16_t tag) {
  if (!directory) return std::nullopt;
  const std::optional<std::size_t> entry = reader.findEntry(*directory, tag);
  return entry ? reader.numberAt(*entry) : std::nullopt;
}

}  // namespace

ColourTag colourTagFromExif(std::string_view exif) {
  exif = exifTiffData(exif);
  ColourTag tag;
  const std::optional<TiffReader> reader = TiffReader::open(exif);
  if (!reader) return tag;
  const std::optional<std::uint32_t> exifDirectory =
      numberOf(*reader, reader->firstDirectory(), exifDirectoryTag);
  const std::optional<std::uint32_t> space = numberOf(*reader, exifDirectory, colourSpaceTag);
  bool adobe = space == adobeRgbSpace;
  if (space == uncalibratedSpace) {
    const std::optional<std::uint32_t> interoperability =
        numberOf(*reader, exifDirectory, interoperabilityDirectoryTag);
    const std::optional<std::size_t> index =
        interoperability ? reader->findEntry(*interoperability, interoperabilityIndexTag)
                         : std::nullopt;
    adobe = index && reader->inlineValue(*index).starts_with("R03");
  }
  if (space == srgbSpace) {
    tag.kind = ColourTag::Kind::srgb;
    tag.origin = origin;
  } else if (adobe) {
    tag.kind = ColourTag::Kind::primaries;
    tag.origin = origin;
    tag.name = "Adobe RGB";
    tag.chromaticities = adobeRgbChromaticities;
    tag.gamma = adobeRgbGamma;
  }
  return tag;
}

}  // namespace brivora
