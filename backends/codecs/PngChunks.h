#pragma once

// The chunks of a PNG file before its image data, read without libpng.
#include <cstdint>
#include <string_view>
#include <vector>

namespace brivora {

struct PngChunk {
  std::string_view type;
  std::string_view data;
};

// The value of four bytes at `offset`, most significant first; `bytes` must hold them.
std::uint32_t bigEndian32(std::string_view bytes, std::size_t offset);

// The chunks before the image data, in order, as far as they lie wholly within the bytes.
std::vector<PngChunk> headerChunks(std::string_view bytes);

}  // namespace brivora
