#include "hosts/cli/CheckSupport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/Files.h"
#include "platform/TextPosition.h"

namespace brivora::cli {

namespace {

std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string shortened(std::string_view text) {
  constexpr std::size_t longest = 60;
  if (text.size() <= longest) return std::string(text);
  std::size_t cut = longest;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut)) + "...";
}

std::string CheckedJson::whereKey(std::string_view key) const {
  const std::string literal = jsonQuoted(key);
  for (std::size_t at = text.find(literal); at != std::string::npos;
       at = text.find(literal, at + 1)) {
    std::size_t after = at + literal.size();
    while (after < text.size() && std::isspace(static_cast<unsigned char>(text[after]))) ++after;
    if (after < text.size() && text[after] == ':') {
      const TextPosition position = textPositionAt(text, at);
      return fileName + ":" + std::to_string(position.line) + ":" + std::to_string(position.column);
    }
  }
  return fileName;
}

std::optional<CheckedJson> readJsonForCheck(const Bundle& bundle, std::string_view name,
                                            Problems& problems) {
  std::optional<std::filesystem::path> location = bundle.urlForResource(name, "json");
  if (!location) return std::nullopt;
  CheckedJson checked{std::string(name) + ".json", {}, std::nullopt};
  FileContents contents = readWholeFile(*location, maxJsonFileBytes);
  if (!contents.bytes) {
    std::string reason(describeReadFailure(contents.failure));
    if (contents.failure == ReadFailure::tooLarge) {
      reason += " (over " + std::to_string(maxJsonFileBytes / (1024 * 1024)) + " MiB)";
    }
    problems.push_back({checked.fileName, "cannot be read: " + reason + "; it is ignored"});
    return checked;
  }
  checked.text = std::move(*contents.bytes);
  JsonParseResult parsed = parseJson(checked.text);
  if (!parsed.value) {
    problems.push_back({checked.fileName + ":" + std::to_string(parsed.error.line) + ":" +
                            std::to_string(parsed.error.column),
                        parsed.error.message});
    return checked;
  }
  if (!parsed.value->isObject()) {
    problems.push_back({checked.fileName, "the top level must be an object ({ ... }), not " +
                                              describeValue(*parsed.value) +
                                              "; the file is ignored"});
    return checked;
  }
  for (const std::string& key : parsed.repeatedKeys) {
    problems.push_back({checked.whereKey(key),
                        jsonQuoted(key) + " is written more than once; only the last one counts"});
  }
  checked.object = std::move(parsed.value);
  return checked;
}

void sortByPlace(Problems& problems, std::size_t first) {
  // "file:line:column" gives {line, column}; a bare file name sorts after every line.
  auto place = [](const Problem& problem) {
    std::pair<std::size_t, std::size_t> lineColumn{SIZE_MAX, SIZE_MAX};
    std::string_view where = problem.where;
    const std::size_t firstColon = where.find(':');
    const std::size_t secondColon = where.find(':', firstColon + 1);
    if (firstColon == std::string_view::npos || secondColon == std::string_view::npos) {
      return lineColumn;
    }
    std::from_chars(where.data() + firstColon + 1, where.data() + secondColon, lineColumn.first);
    std::from_chars(where.data() + secondColon + 1, where.data() + where.size(), lineColumn.second);
    return lineColumn;
  };
  std::stable_sort(problems.begin() + static_cast<std::ptrdiff_t>(first), problems.end(),
                   [&](const Problem& a, const Problem& b) { return place(a) < place(b); });
}

std::optional<std::string_view> closestWord(std::string_view word,
                                            std::span<const std::string_view> candidates) {
  std::optional<std::string_view> best;
  std::size_t bestDistance = std::max<std::size_t>(2, word.size() / 3) + 1;
  for (std::string_view candidate : candidates) {
    std::size_t distance = editDistance(word, candidate);
    if (distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

std::string unknownKeyMessage(std::string_view key, std::span<const std::string_view> known) {
  std::string message = "unknown key " + jsonQuoted(key);
  if (std::optional<std::string_view> guess = closestWord(key, known)) {
    message += " (did you mean " + jsonQuoted(*guess) + "?)";
  }
  return message + "; it is ignored";
}

std::string describeValue(const JsonValue& value) {
  switch (value.type()) {
    case JsonValue::Type::null:
      return "null";
    case JsonValue::Type::boolean:
      return *value.asFlag() ? "true" : "false";
    case JsonValue::Type::number:
      return formatNumber(*value.asNumber());
    case JsonValue::Type::string:
      return jsonQuoted(shortened(*value.asText()));
    case JsonValue::Type::array:
      return "an array";
    case JsonValue::Type::object:
      return "an object";
  }
  return "a value";
}

std::string jsonQuoted(std::string_view text) {
  return nlohmann::json(std::string(text))
      .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string formatNumber(double value) {
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::to_string(value);
}

std::string listWords(std::span<const std::string_view> words) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? " or " : ", ";
    text += words[i];
  }
  return text;
}

}  // namespace brivora::cli
