#pragma once

#include <optional>
#include <string_view>

#include "platform/Date.h"

namespace brivora {

// The countdown's target from theme text, tried in order: an internet date-time, the same with
// fractional seconds, then a plain "yyyy-MM-dd" at local midnight. None for an empty text or
// one no form reads; the text is used exactly as written, untrimmed.
std::optional<Date> parseDate(std::string_view text);

}  // namespace brivora
