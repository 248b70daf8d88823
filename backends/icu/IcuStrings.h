#pragma once

#include <unicode/unistr.h>

#include <string>
#include <string_view>

namespace brivora::icu_strings {

// UTF-8 in, UTF-16 for ICU; bad UTF-8 sequences become U+FFFD.
inline icu::UnicodeString fromUtf8(std::string_view text) {
  return icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
}

inline std::string toUtf8(const icu::UnicodeString& text) {
  std::string result;
  text.toUTF8String(result);
  return result;
}

}  // namespace brivora::icu_strings
