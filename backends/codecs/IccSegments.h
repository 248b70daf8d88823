#pragma once

#include <span>
#include <string_view>

#include "backends/codecs/ColourTag.h"

namespace brivora {

// The ICC profile a JPEG carries in its APP2 markers (the payloads, in file order): the
// "ICC_PROFILE" parts joined by their sequence numbers, whatever their order. None when no
// marker holds a part; ignored, with the reason, when parts are missing, doubled or disagree on
// their count.
ColourTag iccFromJpegSegments(std::span<const std::string_view> app2Payloads);

}  // namespace brivora
