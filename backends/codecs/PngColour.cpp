#include "backends/codecs/PngColour.h"

#include <zlib.h>

#include <cmath>
#include <optional>
#include <string>

#include "backends/codecs/ExifColourSpace.h"

namespace brivora {

namespace {

// The largest profile inflated; real ones are far smaller.
constexpr std::size_t maxProfileBytes = std::size_t{4} * 1024 * 1024;
constexpr std::size_t maxProfileNameBytes = 79;
constexpr double pngFixedPoint = 100000;
constexpr std::size_t chrmBytes = 32;
// libpng takes a gamma this close to sRGB's 1/2.2 for sRGB.
constexpr double srgbGammaTolerance = 0.05;
constexpr double srgbDecodingGamma = 2.2;
constexpr double chromaticityTolerance = 0.001;

const PngChunk* find(const std::vector<PngChunk>& chunks, std::string_view type) {
  for (const PngChunk& chunk : chunks) {
    if (chunk.type == type) return &chunk;
  }
  return nullptr;
}

// The profile of an iCCP chunk (a name, a zero, the method, zlib data); none when damaged.
std::optional<std::string> inflateProfile(std::string_view data) {
  const std::size_t nameEnd = data.find('\0');
  if (nameEnd == std::string_view::npos || nameEnd == 0 || nameEnd > maxProfileNameBytes ||
      data.size() < nameEnd + 2 || data[nameEnd + 1] != 0) {
    return std::nullopt;
  }
  const std::string_view compressed = data.substr(nameEnd + 2);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return std::nullopt;
  std::string profile;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  int status = Z_OK;
  char buffer[16384];
  while (status == Z_OK && profile.size() <= maxProfileBytes) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    profile.append(buffer, sizeof buffer - stream.avail_out);
    if (status == Z_BUF_ERROR && stream.avail_in == 0) break;  // the data ends early
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END || profile.size() > maxProfileBytes) return std::nullopt;
  return profile;
}

bool near(double a, double b, double tolerance) {
  return std::fabs(a - b) <= tolerance;
}

bool nearSrgb(const Chromaticities& c) {
  const Chromaticities& s = srgbChromaticities;
  const double pairs[8][2] = {{c.whiteX, s.whiteX}, {c.whiteY, s.whiteY}, {c.redX, s.redX},
                              {c.redY, s.redY},     {c.greenX, s.greenX}, {c.greenY, s.greenY},
                              {c.blueX, s.blueX},   {c.blueY, s.blueY}};
  for (const auto& pair : pairs) {
    if (!near(pair[0], pair[1], chromaticityTolerance)) return false;
  }
  return true;
}

}  // namespace

ColourTag pngColourTag(const std::vector<PngChunk>& chunks) {
  ColourTag tag;
  if (const PngChunk* iccp = find(chunks, "iCCP")) {
    std::optional<std::string> profile = inflateProfile(iccp->data);
    if (!profile) return ignoredColourTag("iCCP chunk", "the compressed profile is damaged");
    tag.kind = ColourTag::Kind::icc;
    tag.origin = "iCCP chunk";
    tag.icc = std::move(*profile);
    return tag;
  }
  if (find(chunks, "sRGB")) {
    tag.kind = ColourTag::Kind::srgb;
    tag.origin = "sRGB chunk";
    return tag;
  }
  const PngChunk* gama = find(chunks, "gAMA");
  const PngChunk* chrm = find(chunks, "cHRM");
  if (gama && gama->data.size() == 4 && bigEndian32(gama->data, 0) > 0) {
    tag.gamma = pngFixedPoint / bigEndian32(gama->data, 0);
  }
  const bool hasGamma = tag.gamma > 0;
  const bool hasChromaticities = chrm && chrm->data.size() == chrmBytes;
  if (hasChromaticities) {
    double values[8];
    for (std::size_t i = 0; i < 8; ++i) values[i] = bigEndian32(chrm->data, i * 4) / pngFixedPoint;
    tag.chromaticities = {values[0], values[1], values[2], values[3],
                          values[4], values[5], values[6], values[7]};
  }
  if (hasGamma || hasChromaticities) {
    tag.origin = hasGamma && hasChromaticities ? "gAMA and cHRM chunks"
                 : hasGamma                    ? "gAMA chunk"
                                               : "cHRM chunk";
    if (near(tag.gamma, srgbDecodingGamma, srgbDecodingGamma * srgbGammaTolerance)) tag.gamma = 0;
    tag.kind = tag.gamma == 0 && nearSrgb(tag.chromaticities) ? ColourTag::Kind::srgb
                                                              : ColourTag::Kind::primaries;
    return tag;
  }
  if (const PngChunk* exif = find(chunks, "eXIf")) return colourTagFromExif(exif->data);
  return tag;
}

}  // namespace brivora
