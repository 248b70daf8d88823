#pragma once

#include <filesystem>
#include <string_view>

#include "backends/codecs/ImageCodecs.h"

namespace brivora {

// Decodes the primary image of HEIF bytes as decodeImage does, with libheif applying the
// file's rotation, mirroring and crop; the natural size is the size so transformed. The size is
// checked before decoding; a codec libheif lacks gives `unsupported`.
DecodeResult decodeHeif(std::string_view bytes, Size coverBox);

// The natural size decodeHeif would give, from the file's boxes alone, without decoding.
ImageHeader probeHeif(std::string_view bytes);

// probeHeif on the regular file at `path`, reading only the boxes it parses, never blocking; a
// file that cannot be read, or is larger than maxImageFileBytes, is `unreadable`.
ImageHeader probeHeifFile(const std::filesystem::path& path);

}  // namespace brivora
