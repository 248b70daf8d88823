#include "Brivora/CountdownTarget.h"

namespace brivora {

std::optional<Date> parseDate(std::string_view text) {
  if (text.empty()) return std::nullopt;
  if (auto date = parseInternetDateTime(text, FractionalSeconds::absent)) return date;
  if (auto date = parseInternetDateTime(text, FractionalSeconds::required)) return date;
  return parseLocalDate(text, "yyyy-MM-dd");
}

}  // namespace brivora
