#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Bundle.h"
#include "platform/JsonValue.h"

namespace brivora::cli {

// One thing `brivora check` found: where (a file, with line and column when known) and what.
struct Problem {
  std::string where;
  std::string message;
};

using Problems = std::vector<Problem>;

// A JSON resource of the bundle as check reads it: the source text (for locating keys) and the
// parsed top-level object, when it is one.
struct CheckedJson {
  std::string fileName;
  std::string text;
  std::optional<JsonValue> object;

  // "file:line:column" of the first place `"key":` is written, or the file name alone.
  std::string whereKey(std::string_view key) const;
};

// Reads the bundle's "name.json" and reports why the view would ignore it: unreadable, not
// valid JSON (with line and column), not an object, keys written twice. None when the file
// is absent, which is no problem: the defaults apply.
std::optional<CheckedJson> readJsonForCheck(const Bundle& bundle, std::string_view name,
                                            Problems& problems);

// Puts the problems from index `first` on in the order of their places in the file (line, then
// column); those without a line keep their order after them.
void sortByPlace(Problems& problems, std::size_t first);

// The candidate closest to `word` by edit distance (ignoring case), when close enough to be a
// likely misspelling.
std::optional<std::string_view> closestWord(std::string_view word,
                                            std::span<const std::string_view> candidates);

// "unknown key \"x\"", with the closest known key as a suggestion.
std::string unknownKeyMessage(std::string_view key, std::span<const std::string_view> known);

// The JSON text of a value for messages: "\"abc\"", "0.5", "true", "null", "an array", ...
std::string describeValue(const JsonValue& value);

// The text cut to a length that fits in a message, with "..." where it was cut.
std::string shortened(std::string_view text);

// A JSON string literal.
std::string jsonQuoted(std::string_view text);

// The shortest text that reads back as the same number.
std::string formatNumber(double value);

// "a, b or c"
std::string listWords(std::span<const std::string_view> words);

void checkThemeFile(const Bundle& bundle, Problems& problems);
void checkMetaFile(const Bundle& bundle, std::span<const std::filesystem::path> wallpapers,
                   Problems& problems);
void checkWallpapers(const Bundle& bundle, std::span<const std::filesystem::path> wallpapers,
                     Problems& problems);

}  // namespace brivora::cli
