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
#include <vector>

#include "Brivora/PositionWords.h"
#include "Brivora/ThemeFields.h"
#include "platform/FontWeight.h"

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

const ThemeField* fieldNamed(std::string_view key) {
  for (const ThemeField& field : themeFields()) {
    if (field.key == key) return &field;
  }
  return nullptr;
}

// Indexed by ThemeFieldKind: text, number, seconds, flag.
constexpr std::string_view kindNames[] = {"text", "number", "seconds", "flag"};
constexpr std::string_view schemaTypes[] = {"string", "number", "number", "boolean"};

// Expects a JSON value written in a document to equal the field's built-in default.
void expectDefault(const ordered_json& value, const ThemeField& field, std::string_view where) {
  std::visit(
      [&](auto member) {
        const auto& expected = Theme::fallback().*member;
        using Value = std::decay_t<decltype(expected)>;
        if constexpr (std::is_same_v<Value, std::string>) {
          ASSERT_TRUE(value.is_string()) << where << ": " << field.key;
          EXPECT_EQ(value.get<std::string>(), expected) << where << ": " << field.key;
        } else if constexpr (std::is_same_v<Value, double>) {
          ASSERT_TRUE(value.is_number()) << where << ": " << field.key;
          EXPECT_DOUBLE_EQ(value.get<double>(), expected) << where << ": " << field.key;
        } else {
          ASSERT_TRUE(value.is_boolean()) << where << ": " << field.key;
          EXPECT_EQ(value.get<bool>(), expected) << where << ": " << field.key;
        }
      },
      field.member);
}

TEST(SchemaConsistency, ThemeSchemaNamesEveryFieldInOrderWithItsTypeAndDefault) {
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
  }
  // The older margin name reads like edgeMarginRatio.
  const ordered_json& alias = properties[std::string(edgeMarginAliasKey)];
  EXPECT_EQ(alias.value("type", ""), "number");
  if (alias.contains("default")) {
    expectDefault(alias["default"], *fieldNamed("edgeMarginRatio"), "schema alias");
  }
}

TEST(SchemaConsistency, ThemeSchemaEnumsListTheWordsBrivoraUnderstands) {
  const ordered_json properties = readSchema("docs/theme.schema.json")["properties"];
  std::vector<std::string_view> weights;
  for (FontWeight weight : allFontWeights) weights.push_back(fontWeightName(weight));
  const std::vector<std::string_view> fallbackCreditWords(creditPositionWords.begin(),
                                                          creditPositionWords.end() - 1);
  const std::pair<std::string, std::vector<std::string_view>> rows[] = {
      {"clockPosition", {clockPositionWords.begin(), clockPositionWords.end()}},
      {"countdownPosition", {countdownPositionWords.begin(), countdownPositionWords.end()}},
      {"playerOverlayPosition",
       {playerOverlayPositionWords.begin(), playerOverlayPositionWords.end()}},
      {"creditPosition", {creditPositionWords.begin(), creditPositionWords.end()}},
      {"creditFallbackPosition", fallbackCreditWords},
      {"clockFamily", {clockFamilyWords.begin(), clockFamilyWords.end()}},
      {"clockWeight", weights},
  };
  for (const auto& [key, words] : rows) {
    ASSERT_TRUE(properties.contains(key) && properties[key].contains("enum")) << key;
    const std::set<std::string> documented = properties[key]["enum"].get<std::set<std::string>>();
    const std::set<std::string> understood(words.begin(), words.end());
    EXPECT_EQ(documented, understood) << key;
    EXPECT_TRUE(documented.contains(properties[key].value("default", ""))) << key;
  }
}

TEST(SchemaConsistency, MetaSchemaDescribesDefaultAndPatterns) {
  const ordered_json schema = readSchema("docs/meta.schema.json");
  ASSERT_TRUE(schema.contains("properties"));
  EXPECT_TRUE(schema["properties"].contains("default"));
  EXPECT_TRUE(schema["properties"].contains("patterns"));
  EXPECT_EQ(schema["properties"]["default"].value("type", ""), "object");
  EXPECT_EQ(schema["properties"]["patterns"].value("type", ""), "array");
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
    if (const ThemeField* field = fieldNamed(*key)) {
      EXPECT_EQ(cells[1], kindNames[static_cast<int>(field->kind)]) << *key;
      expectDefault(ordered_json::parse(*defaultValue), *field, "theme-json.md");
    }
  }
  EXPECT_EQ(keys, fieldKeys());
}

}  // namespace
}  // namespace brivora
