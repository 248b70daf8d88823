#include <gtest/gtest.h>

#include <string>

#include "platform/JsonValue.h"

namespace brivora {
namespace {

TEST(JsonKinds, NumbersTakeBooleansFlagsTakeZeroAndOneTextsTakeOnlyStrings) {
  const struct {
    std::string_view json;
    std::optional<double> number;
    std::optional<bool> flag;
    bool text;
  } cases[] = {
      {"0.5", 0.5, std::nullopt, false},
      {"1", 1.0, true, false},
      {"0", 0.0, false, false},
      {"2", 2.0, std::nullopt, false},
      {"true", 1.0, true, false},
      {"false", 0.0, false, false},
      {"\"1\"", std::nullopt, std::nullopt, true},
      {"null", std::nullopt, std::nullopt, false},
      {"[1]", std::nullopt, std::nullopt, false},
      {"18446744073709551615", 18446744073709551615.0, std::nullopt, false},
      {"-9223372036854775808", -9223372036854775808.0, std::nullopt, false},
      {"1e308", 1e308, std::nullopt, false},
  };
  for (const auto& row : cases) {
    // Whether each text parses is the public suite's to see.
    const JsonValue value = parseJson(row.json).value.value_or(JsonValue());
    EXPECT_EQ(value.asNumber(), row.number) << row.json;
    EXPECT_EQ(value.asFlag(), row.flag) << row.json;
    EXPECT_EQ(value.asText() != nullptr, row.text) << row.json;
  }
}

TEST(JsonObjects, KeepFileOrderAndLetARepeatedKeyReplaceTheEarlierValue) {
  JsonParseResult result = parseJson(R"({"b": 1, "a": 2, "b": 3, "c": {"b": 4}})");
  ASSERT_TRUE(result.value.has_value());
  const auto& members = result.value->members();
  ASSERT_EQ(members.size(), 3u);
  EXPECT_EQ(members[0].key, "b");
  EXPECT_EQ(members[0].value.asNumber(), 3.0);
  EXPECT_EQ(members[1].key, "a");
  EXPECT_EQ(result.value->member("c")->member("b")->asNumber(), 4.0);
  EXPECT_EQ(result.value->member("B"), nullptr);
  EXPECT_EQ(result.repeatedKeys, (std::vector<std::string>{"b"}));
  EXPECT_EQ(parseJson("[1]").value->member("a"), nullptr);
}

TEST(JsonSyntaxErrors, PointAtTheOffendingTokenWithAReadableMessage) {
  const struct {
    std::string_view text;
    std::size_t line, column;
    std::string_view messagePart;
  } cases[] = {
      {"{\n  \"a\": 1\n  \"b\": 2\n}", 3, 3, "expected ',' or '}' after a value"},
      {"[1 2]", 1, 4, "expected ',' or ']' after a value"},
      {"{\"a\" 1}", 1, 6, "expected ':'"},
      {"{\"a\": tru}", 1, 7, "invalid literal"},
      {"{\"a\": 1,}", 1, 9, "unexpected '}'; expected a key in double quotes"},
      {"", 1, 1, "the file is empty"},
      {" \n ", 2, 2, "the file is empty"},
      {"[\"a\\\"b\" 1]", 1, 9, "expected ',' or ']'"},
      {"[\"a\" \"b\\\"c\"]", 1, 6, "expected ',' or ']'"},
      {"{\"\xC3\xA9\xC3\xA9\": x}", 1, 8, "invalid literal"},  // columns count characters
      {"{} {}", 1, 4, "expected end of input"},
      {std::string_view("{\"a\": 1}\0 trailing", 18), 1, 9, "a NUL byte is not allowed"},
  };
  for (const auto& row : cases) {
    JsonParseResult result = parseJson(row.text);
    ASSERT_FALSE(result.value.has_value()) << row.text;
    EXPECT_EQ(result.error.line, row.line) << row.text;
    EXPECT_EQ(result.error.column, row.column) << row.text;
    EXPECT_NE(result.error.message.find(row.messagePart), std::string::npos)
        << row.text << ": " << result.error.message;
  }
}

TEST(JsonNesting, RefusesContainersNestedBeyondTheLimitWithoutExhaustingTheStack) {
  const std::string allowed =
      std::string(maxJsonNestingDepth, '[') + std::string(maxJsonNestingDepth, ']');
  EXPECT_TRUE(parseJson(allowed).value.has_value());

  JsonParseResult result = parseJson(std::string(100000, '[') + std::string(100000, ']'));
  ASSERT_FALSE(result.value.has_value());
  EXPECT_EQ(result.error.column, maxJsonNestingDepth + 1);
  EXPECT_NE(result.error.message.find("nested deeper"), std::string::npos);
}

}  // namespace
}  // namespace brivora
