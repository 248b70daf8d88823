#include "Brivora/SrgbHexColor.h"

#include <cstdint>
#include <string>

#include "platform/UnicodeText.h"

namespace brivora {

namespace {

constexpr std::size_t hexDigitCount = 6;

std::optional<std::uint32_t> hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
  return std::nullopt;
}

// An unsigned integer in radix 16 with an optional sign, as the standard unsigned parser
// reads it: "+" is allowed, and "-" only before a value of zero.
std::optional<std::uint32_t> parseUnsignedHex(std::string_view digits) {
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    std::optional<std::uint32_t> digit = hexDigitValue(c);
    if (!digit) return std::nullopt;
    value = value * 16 + *digit;
  }
  if (negative && value != 0) return std::nullopt;
  return value;
}

double component(std::uint32_t value, int shift) {
  return static_cast<double>((value >> shift) & 0xFF) / 255.0;
}

}  // namespace

std::optional<Color> colorFromSrgbHex(std::string_view text) {
  std::string trimmed = unicode::trimmingWhitespaceAndNewlines(text);
  std::string_view digits = trimmed;
  if (digits.starts_with('#')) digits.remove_prefix(1);
  if (unicode::characterCount(digits) != hexDigitCount) return std::nullopt;
  std::optional<std::uint32_t> value = parseUnsignedHex(digits);
  if (!value) return std::nullopt;
  return Color{component(*value, 16), component(*value, 8), component(*value, 0), 1.0};
}

}  // namespace brivora
