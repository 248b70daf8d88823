// The user documents (JSON Schemas and the theme.json reference) agree with the field table
// and the built-in defaults, so that editors and readers see what Brivora does.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "Brivora/ThemeFields.h"

namespace brivora {
namespace {

using nlohmann::ordered_json;

std::string readDoc(const std::string& relativePath) {
  std::ifstream in(std::filesystem::path(BRIVORA_SOURCE_DIR) / relativePath, std::ios::binary);
  EXPECT_TRUE(in) << relativePath;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

ordered_json readSchema(const std::string& relativePath) {
  return ordered_json::parse(readDoc(relativePath));
}

std::vector<std::string> fieldKeys() {
  std::vector<std::string> keys;
  for (const ThemeField& field : themeFields()) keys.emplace_back(field.key);
  return keys;
}

// Indexed by ThemeFieldKind: text, number, seconds, flag.
constexpr std::string_view kindNames[] = {"text", "number", "seconds", "flag"};
constexpr std::string_view schemaTypes[] = {"string", "number", "number", "boolean"};

// Expects a JSON value written in a document to equal the field's built-in default.
void expectDefault(const ordered_json& value, const ThemeField& field, std::string_view where) {
  const ThemeValue expected = valueOf(Theme::fallback(), field);
  if (const auto* number = std::get_if<double>(&expected)) {
    ASSERT_TRUE(value.is_number()) << where << ": " << field.key;
    EXPECT_DOUBLE_EQ(value.get<double>(), *number) << where << ": " << field.key;
  } else {
    EXPECT_EQ(value, std::visit([](const auto& v) { return ordered_json(v); }, expected))
        << where << ": " << field.key;
  }
}

// The schema's bounds of a number: the range, with an infinite bound for a missing one.
ThemeRange schemaRange(const ordered_json& property) {
  ThemeRange range;
  for (const auto& [word, low, included] : {std::tuple{"minimum", true, true},
                                            {"exclusiveMinimum", true, false},
                                            {"maximum", false, true},
                                            {"exclusiveMaximum", false, false}}) {
    if (!property.contains(word)) continue;
    (low ? range.low : range.high) = property[word].get<double>();
    (low ? range.lowIncluded : range.highIncluded) = included;
  }
  return range;
}

TEST(SchemaConsistency, ThemeSchemaNamesEveryFieldInOrderWithItsTypeDefaultAndWords) {
  const ordered_json properties = readSchema("docs/theme.schema.json")["properties"];
  std::vector<std::string> keys;
  for (const auto& [key, value] : properties.items()) {
    if (key != "$schema" && key != edgeMarginAliasKey) keys.push_back(key);
  }
  EXPECT_EQ(keys, fieldKeys());

  for (const ThemeField& field : themeFields()) {
    const std::string key(field.key);
    if (!properties.contains(key)) continue;  // reported above
    const ordered_json& property = properties[key];
    EXPECT_EQ(property.value("type", ""), schemaTypes[static_cast<int>(field.kind)]) << key;
    ASSERT_TRUE(property.contains("default")) << key;
    expectDefault(property["default"], field, "schema");
    // The schema's bounds are the range `check` holds numbers to.
    const ThemeRange documented = schemaRange(property);
    const ThemeRange expected = field.range.value_or(ThemeRange{});
    EXPECT_EQ(
        std::tie(documented.low, documented.lowIncluded, documented.high, documented.highIncluded),
        std::tie(expected.low, expected.lowIncluded, expected.high, expected.highIncluded))
        << key;
    // Text read as a keyword lists its words, the default among them.
    ASSERT_EQ(property.contains("enum"), field.words.has_value()) << key;
    if (!field.words) continue;
    const auto words = property["enum"].get<std::set<std::string>>();
    EXPECT_EQ(words, std::set<std::string>(field.words->words.begin(), field.words->words.end()))
        << key;
    EXPECT_TRUE(words.contains(property.value("default", ""))) << key;
  }
  // The older margin name reads like edgeMarginRatio.
  const ordered_json& alias = properties[std::string(edgeMarginAliasKey)];
  EXPECT_EQ(alias.value("type", ""), "number");
  if (alias.contains("default")) {
    expectDefault(alias["default"], *themeFieldNamed("edgeMarginRatio"), "schema alias");
  }
}

// The cells of a markdown table row such as "| `clockSizeRatio` | number | `0.1` | ... |".
std::vector<std::string> tableCells(const std::string& line) {
  std::vector<std::string> cells;
  if (!line.starts_with("| ")) return cells;
  std::size_t start = 2;
  for (std::size_t bar = line.find(" |", start); bar != std::string::npos;
       bar = line.find(" |", start)) {
    cells.push_back(line.substr(start, bar - start));
    start = bar + 3;
  }
  return cells;
}

std::optional<std::string> betweenBackticks(const std::string& cell) {
  if (cell.size() < 2 || cell.front() != '`' || cell.back() != '`') return std::nullopt;
  return cell.substr(1, cell.size() - 2);
}

TEST(SchemaConsistency, ThemeReferenceTablesListEveryKeyInOrderWithKindAndDefault) {
  std::vector<std::string> keys;
  std::istringstream lines(readDoc("docs/theme-json.md"));
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> cells = tableCells(line);
    if (cells.size() < 3) continue;
    const std::optional<std::string> key = betweenBackticks(cells[0]);
    const std::optional<std::string> defaultValue = betweenBackticks(cells[2]);
    const bool kindCell =
        std::find(std::begin(kindNames), std::end(kindNames), cells[1]) != std::end(kindNames);
    if (!key || !defaultValue || !kindCell) continue;
    keys.push_back(*key);
    if (const ThemeField* field = themeFieldNamed(*key)) {
      EXPECT_EQ(cells[1], kindNames[static_cast<int>(field->kind)]) << *key;
      expectDefault(ordered_json::parse(*defaultValue), *field, "theme-json.md");
    }
  }
  EXPECT_EQ(keys, fieldKeys());
}

}  // namespace
}  // namespace brivora
