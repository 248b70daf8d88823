#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivora {

struct JsonMember;

// One parsed JSON value. Readers ask for the kind they want and get nothing for any other:
// a configuration value of the wrong kind then simply counts as missing.
class JsonValue {
 public:
  enum class Type { null, boolean, number, string, array, object };

  JsonValue() = default;
  static JsonValue boolean(bool value);
  static JsonValue number(double value);
  static JsonValue string(std::string value);
  static JsonValue array(std::vector<JsonValue> elements);
  static JsonValue object(std::vector<JsonMember> members);

  Type type() const { return type_; }
  bool isObject() const { return type_ == Type::object; }
  bool isArray() const { return type_ == Type::array; }

  // A number: JSON numbers, and booleans as 1 and 0.
  std::optional<double> asNumber() const;
  // A flag: booleans, and numbers equal to 0 or 1.
  std::optional<bool> asFlag() const;
  // A text: strings only; no number or boolean is turned into text.
  const std::string* asText() const;

  // An object's member by exact key, or null for a missing key or a non-object.
  const JsonValue* member(std::string_view key) const;
  // An object's members in file order (empty for anything else). Keys are unique: when a
  // file repeats a key, the later value replaced the earlier one at the first one's place.
  const std::vector<JsonMember>& members() const { return members_; }
  // An array's elements in order (empty for anything else).
  const std::vector<JsonValue>& elements() const { return elements_; }

 private:
  Type type_ = Type::null;
  bool boolean_ = false;
  double number_ = 0;
  std::string string_;
  std::vector<JsonValue> elements_;
  std::vector<JsonMember> members_;
};

struct JsonMember {
  std::string key;
  JsonValue value;
};

// Where and why a text is not valid JSON. Line and column count from 1; the column counts
// characters, not bytes.
struct JsonSyntaxError {
  std::size_t line = 1;
  std::size_t column = 1;
  std::string message;
};

struct JsonParseResult {
  std::optional<JsonValue> value;         // set exactly when the text is valid JSON
  JsonSyntaxError error;                  // filled when value is empty
  std::vector<std::string> repeatedKeys;  // keys an object held twice; the later value counts
};

// Containers nested deeper than this make the text count as invalid, so that no file can
// exhaust the stack of whoever walks the result.
inline constexpr std::size_t maxJsonNestingDepth = 512;

// Parses one JSON document (RFC 8259, UTF-8, an optional byte-order mark) in full strictness:
// no comments, no trailing commas, nothing after the value.
JsonParseResult parseJson(std::string_view text);

}  // namespace brivora
