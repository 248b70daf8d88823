#include "backends/codecs/PngChunks.h"

namespace brivora {

namespace {

constexpr std::size_t signatureBytes = 8;
constexpr std::size_t chunkHeaderBytes = 8;  // length, then type
constexpr std::size_t chunkCrcBytes = 4;

}  // namespace

std::uint32_t bigEndian32(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value = value << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
  }
  return value;
}

std::vector<PngChunk> headerChunks(std::string_view bytes) {
  std::vector<PngChunk> chunks;
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

}  // namespace brivora
