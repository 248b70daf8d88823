// parseJson on nlohmann_json's SAX parser: the tree is built here with an explicit stack,
// so neither parsing nor the depth cap depends on recursion.
#include <nlohmann/json.hpp>

#include <string>
#include <unordered_map>
#include <utility>

#include "backends/json/JsonSyntaxMessage.h"
#include "platform/JsonValue.h"

namespace brivora {

namespace {

class TreeBuilder : public nlohmann::json_sax<nlohmann::json> {
 public:
  explicit TreeBuilder(std::string_view text) : text_(text) {}

  bool null() override { return add(JsonValue()); }
  bool boolean(bool value) override { return add(JsonValue::boolean(value)); }
  bool number_integer(number_integer_t value) override {
    return add(JsonValue::number(static_cast<double>(value)));
  }
  bool number_unsigned(number_unsigned_t value) override {
    return add(JsonValue::number(static_cast<double>(value)));
  }
  bool number_float(number_float_t value, const string_t&) override {
    return add(JsonValue::number(value));
  }
  bool string(string_t& value) override { return add(JsonValue::string(std::move(value))); }
  bool binary(binary_t&) override { return false; }  // never produced by the JSON text format

  bool start_object(std::size_t) override { return open(true); }
  bool key(string_t& value) override {
    stack_.back().pendingKey = std::move(value);
    return true;
  }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(false); }
  bool end_array() override { return close(); }

  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& exception) override {
    error_ = locateSyntaxError(text_, startOfOffendingToken(text_, position, exception.what()),
                               exception.what());
    return false;
  }

  JsonParseResult finish(bool accepted) {
    JsonParseResult result;
    if (accepted && root_) {
      result.value = std::move(root_);
    } else {
      result.error = error_;
      if (tooDeep_) {
        result.error =
            locateSyntaxError(text_, offsetOfExcessNesting(text_, maxJsonNestingDepth), "");
        result.error.message =
            "nested deeper than " + std::to_string(maxJsonNestingDepth) + " levels";
      }
    }
    result.repeatedKeys = std::move(repeatedKeys_);
    return result;
  }

 private:
  struct OpenContainer {
    bool isObject = false;
    std::vector<JsonValue> elements;
    std::vector<JsonMember> members;
    std::unordered_map<std::string, std::size_t> memberIndex;
    std::string pendingKey;
  };

  bool open(bool isObject) {
    if (stack_.size() >= maxJsonNestingDepth) {
      tooDeep_ = true;
      return false;
    }
    stack_.emplace_back();
    stack_.back().isObject = isObject;
    return true;
  }

  bool close() {
    OpenContainer done = std::move(stack_.back());
    stack_.pop_back();
    return add(done.isObject ? JsonValue::object(std::move(done.members))
                             : JsonValue::array(std::move(done.elements)));
  }

  bool add(JsonValue value) {
    if (stack_.empty()) {
      root_ = std::move(value);
      return true;
    }
    OpenContainer& parent = stack_.back();
    if (!parent.isObject) {
      parent.elements.push_back(std::move(value));
      return true;
    }
    auto [found, inserted] =
        parent.memberIndex.try_emplace(parent.pendingKey, parent.members.size());
    if (inserted) {
      parent.members.push_back(JsonMember{std::move(parent.pendingKey), std::move(value)});
    } else {
      repeatedKeys_.push_back(parent.pendingKey);
      parent.members[found->second].value = std::move(value);
    }
    return true;
  }

  std::string_view text_;
  std::vector<OpenContainer> stack_;
  std::optional<JsonValue> root_;
  std::vector<std::string> repeatedKeys_;
  JsonSyntaxError error_;
  bool tooDeep_ = false;
};

}  // namespace

JsonParseResult parseJson(std::string_view text) {
  // The parser takes a NUL byte for the end of the input and would accept whatever follows;
  // valid JSON never holds one.
  if (std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    JsonParseResult refused;
    refused.error = locateSyntaxError(text, nul, "a NUL byte is not allowed in JSON text");
    return refused;
  }
  TreeBuilder builder(text);
  bool accepted = false;
  try {
    accepted = nlohmann::json::sax_parse(text.begin(), text.end(), &builder);
  } catch (const std::exception&) {
    accepted = false;  // the SAX parser reports through parse_error; this is belt and braces
  }
  return builder.finish(accepted);
}

}  // namespace brivora
