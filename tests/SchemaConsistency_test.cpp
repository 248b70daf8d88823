// The user documents (JSON Schemas and the theme.json reference) agree with the field table
// and the built-in defaults, so that editors and readers see what Brivora does.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
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

TEST(SchemaConsistency, ThemeReferenceTablesListEveryKeyInOrderWithKindAndDefault) {
  // Rows such as: | `clockSizeRatio` | number | `0.1` | Font size of the time ... |
  const std::regex row(R"(^\| `(\w+)` \| (text|number|seconds|flag) \| `([^`]*)` \|)");
  std::vector<std::string> keys;
  std::istringstream lines(readDoc("docs/theme-json.md"));
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (!std::regex_search(line, match, row)) continue;
    keys.push_back(match[1]);
    if (const ThemeField* field = fieldNamed(match.str(1))) {
      EXPECT_EQ(match.str(2), kindNames[static_cast<int>(field->kind)]) << match.str(1);
      expectDefault(ordered_json::parse(match.str(3)), *field, "theme-json.md");
    }
  }
  EXPECT_EQ(keys, fieldKeys());
}

}  // namespace
}  // namespace brivora
