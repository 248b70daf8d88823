#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Unicode text operations on UTF-8 strings. Invalid UTF-8 is read with each bad sequence as
// U+FFFD, so no input fails; results are always valid UTF-8.
namespace brivora::unicode {

// Full Unicode case mapping, independent of any locale ("ß" upper-cases to "SS").
std::string lowercased(std::string_view text);
std::string uppercased(std::string_view text);

// The text without white space and line breaks (the Unicode White_Space property) at
// either end.
std::string trimmingWhitespaceAndNewlines(std::string_view text);

// The canonically composed (NFC) form.
std::string nfc(std::string_view text);

// Orders two texts by the code points of their NFC forms: negative, zero or positive.
// Canonically equivalent texts compare equal; the order is case-sensitive and not numeric.
int compareNfc(std::string_view a, std::string_view b);

// Whether `text` contains `part` under canonical equivalence, case-sensitively, matching whole
// user-perceived characters only. An empty `part` is contained nowhere.
bool contains(std::string_view text, std::string_view part);

// The number of user-perceived characters (extended grapheme clusters).
std::size_t characterCount(std::string_view text);

}  // namespace brivora::unicode
