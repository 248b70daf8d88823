#pragma once

// JPEG, PNG and HEIC files of the sample wallpapers.
#include <optional>
#include <string>

#include "tools/sample-wallpapers/Canvas.h"

namespace brivora::samples {

// A baseline JPEG with optimised Huffman tables and 4:2:0 chroma; `quality` 1 to 100.
std::string encodeJpeg(const RgbPixels& pixels, int quality);

// An 8-bit RGB PNG at deflate's highest level; none when libpng fails.
std::optional<std::string> encodePng(const RgbPixels& pixels);

// Whether this libheif has an HEVC encoder, which HEIC files need.
bool canEncodeHeic();

// An HEVC-coded HEIF file; none, with `error` set, when libheif cannot make one.
std::optional<std::string> encodeHeic(const RgbPixels& pixels, int quality, std::string& error);

}  // namespace brivora::samples
