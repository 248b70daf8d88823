#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "backends/codecs/ColourConversion.h"
#include "backends/codecs/ImageCodecs.h"

namespace brivora {

// Decodes the primary image of HEIF bytes as decodeImage does, with libheif applying the
// file's rotation, mirroring and crop; the natural size is the size so transformed. Colours are
// converted from its colr box (an ICC profile, else nclx primaries and curve) to `colours`,
// from 10 or 12 bits when the file has them. The size is checked before decoding; a codec
// libheif lacks gives `unsupported`.
DecodeResult decodeHeif(std::string_view bytes, Size coverBox, const ColourTarget& colours = {});

// The colours the primary image says it holds; none when the file is refused.
std::optional<ImageColour> readHeifColour(std::string_view bytes);

// The natural size decodeHeif would give, from the file's boxes alone, without decoding.
ImageHeader probeHeif(std::string_view bytes);

// probeHeif on the regular file at `path`, reading only the boxes it parses, never blocking; a
// file that cannot be read, or is larger than maxImageFileBytes, is `unreadable`.
ImageHeader probeHeifFile(const std::filesystem::path& path);

}  // namespace brivora
