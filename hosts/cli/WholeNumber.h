#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace brivora::cli {

// `text` as a whole number of type `Number`, all of it; none for anything else or out of range.
template <typename Number>
std::optional<Number> wholeNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace brivora::cli
