#include "backends/codecs/IccSegments.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brivora {

namespace {

constexpr std::string_view iccSignature{"ICC_PROFILE\0", 12};
constexpr std::string_view origin = "APP2 ICC_PROFILE";

}  // namespace

ColourTag iccFromJpegSegments(std::span<const std::string_view> app2Payloads) {
  std::vector<std::string_view> parts;  // by sequence number, from 1
  std::size_t found = 0;
  for (const std::string_view payload : app2Payloads) {
    if (!payload.starts_with(iccSignature) || payload.size() < iccSignature.size() + 2) continue;
    const auto sequence = static_cast<std::uint8_t>(payload[iccSignature.size()]);
    const auto count = static_cast<std::uint8_t>(payload[iccSignature.size() + 1]);
    if (parts.empty()) parts.resize(count);
    if (count != parts.size() || sequence == 0 || sequence > count) {
      return ignoredColourTag(std::string(origin), "its parts are numbered inconsistently");
    }
    if (!parts[sequence - 1u].empty() || payload.size() == iccSignature.size() + 2) {
      return ignoredColourTag(std::string(origin), "a part is doubled or empty");
    }
    parts[sequence - 1u] = payload.substr(iccSignature.size() + 2);
    ++found;
  }
  if (found == 0) return {};
  if (found != parts.size()) {
    return ignoredColourTag(std::string(origin), "it has " + std::to_string(found) + " of its " +
                                                     std::to_string(parts.size()) + " parts");
  }
  ColourTag tag;
  tag.kind = ColourTag::Kind::icc;
  tag.origin = origin;
  for (const std::string_view part : parts) tag.icc += part;
  return tag;
}

}  // namespace brivora
