#pragma once

#include <optional>
#include <string_view>

#include "platform/Geometry.h"

namespace brivora::cli {

// The largest side of a frame the commands draw: any screen, and memory stays sane.
inline constexpr int maxFrameSide = 16384;

// "WIDTHxHEIGHT" in whole pixels, each from 1 to maxFrameSide; none for anything else.
std::optional<Size> parsePixelSize(std::string_view text);

// The value of `--size`: parsePixelSize's size, or a UsageError that says what is wanted.
Size sizeOption(std::string_view text);

// The value of `--frames`: a whole count from `least` to `most`, or a UsageError.
long framesOption(std::string_view text, long least, long most);

}  // namespace brivora::cli
