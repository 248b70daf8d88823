#include "platform/UnicodeText.h"

#include "backends/icu/IcuStrings.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <memory>

namespace brivora::unicode {

namespace {

using icu_strings::fromUtf8;
using icu_strings::toUtf8;

icu::UnicodeString normalizedNfc(const icu::UnicodeString& text) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return text;
  icu::UnicodeString result = normalizer->normalize(text, status);
  return U_SUCCESS(status) ? result : text;
}

bool isAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::unique_ptr<icu::BreakIterator> characterBreaks(const icu::UnicodeString& text) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> breaks(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) return nullptr;
  breaks->setText(text);
  return breaks;
}

}  // namespace

std::string lowercased(std::string_view text) {
  return toUtf8(fromUtf8(text).toLower(icu::Locale::getRoot()));
}

std::string uppercased(std::string_view text) {
  return toUtf8(fromUtf8(text).toUpper(icu::Locale::getRoot()));
}

std::string trimmingWhitespaceAndNewlines(std::string_view text) {
  if (isAscii(text)) {
    constexpr std::string_view asciiWhiteSpace = " \t\n\v\f\r";
    const std::size_t start = text.find_first_not_of(asciiWhiteSpace);
    if (start == std::string_view::npos) return {};
    return std::string(text.substr(start, text.find_last_not_of(asciiWhiteSpace) - start + 1));
  }
  icu::UnicodeString wide = fromUtf8(text);
  std::int32_t start = 0;
  std::int32_t end = wide.length();
  while (start < end && u_isUWhiteSpace(wide.char32At(start))) {
    start = wide.moveIndex32(start, 1);
  }
  while (end > start) {
    std::int32_t previous = wide.moveIndex32(end, -1);
    if (!u_isUWhiteSpace(wide.char32At(previous))) break;
    end = previous;
  }
  return toUtf8(wide.tempSubStringBetween(start, end));
}

std::string nfc(std::string_view text) {
  return toUtf8(normalizedNfc(fromUtf8(text)));
}

int compareNfc(std::string_view a, std::string_view b) {
  if (isAscii(a) && isAscii(b)) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
  // Byte order of UTF-8 is code-point order.
  int order = nfc(a).compare(nfc(b));
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool contains(std::string_view text, std::string_view part) {
  if (part.empty()) return false;
  if (isAscii(text) && isAscii(part) && text.find('\r') == std::string_view::npos) {
    return text.find(part) != std::string_view::npos;
  }
  // A caption lookup asks about one file name once per pattern: normalise it only once.
  thread_local std::string lastText;
  thread_local icu::UnicodeString lastHaystack;
  if (lastText != text || lastHaystack.isBogus()) {
    lastText = text;
    lastHaystack = normalizedNfc(fromUtf8(text));
  }
  const icu::UnicodeString& haystack = lastHaystack;
  const icu::UnicodeString needle = normalizedNfc(fromUtf8(part));
  std::int32_t at = needle.isEmpty() ? -1 : haystack.indexOf(needle);
  if (at < 0) return false;
  std::unique_ptr<icu::BreakIterator> breaks = characterBreaks(haystack);
  if (!breaks) return false;
  for (; at >= 0; at = haystack.indexOf(needle, at + 1)) {
    // A match that splits a character (an "e" before a combining accent) is no match.
    if (breaks->isBoundary(at) && breaks->isBoundary(at + needle.length())) return true;
  }
  return false;
}

std::size_t characterCount(std::string_view text) {
  if (isAscii(text)) {
    // Every ASCII character stands alone, except CR LF, which is one.
    std::size_t pairs = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
         at = text.find("\r\n", at + 2)) {
      ++pairs;
    }
    return text.size() - pairs;
  }
  const icu::UnicodeString wide = fromUtf8(text);
  std::unique_ptr<icu::BreakIterator> breaks = characterBreaks(wide);
  if (!breaks) return static_cast<std::size_t>(wide.countChar32());
  std::size_t count = 0;
  for (std::int32_t at = breaks->next(); at != icu::BreakIterator::DONE; at = breaks->next()) {
    ++count;
  }
  return count;
}

}  // namespace brivora::unicode
