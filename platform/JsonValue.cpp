#include "platform/JsonValue.h"

namespace brivora {

JsonValue JsonValue::boolean(bool value) {
  JsonValue result;
  result.type_ = Type::boolean;
  result.boolean_ = value;
  return result;
}

JsonValue JsonValue::number(double value) {
  JsonValue result;
  result.type_ = Type::number;
  result.number_ = value;
  return result;
}

JsonValue JsonValue::string(std::string value) {
  JsonValue result;
  result.type_ = Type::string;
  result.string_ = std::move(value);
  return result;
}

JsonValue JsonValue::array(std::vector<JsonValue> elements) {
  JsonValue result;
  result.type_ = Type::array;
  result.elements_ = std::move(elements);
  return result;
}

JsonValue JsonValue::object(std::vector<JsonMember> members) {
  JsonValue result;
  result.type_ = Type::object;
  result.members_ = std::move(members);
  return result;
}

std::optional<double> JsonValue::asNumber() const {
  if (type_ == Type::number) return number_;
  if (type_ == Type::boolean) return boolean_ ? 1.0 : 0.0;
  return std::nullopt;
}

std::optional<bool> JsonValue::asFlag() const {
  if (type_ == Type::boolean) return boolean_;
  if (type_ == Type::number && number_ == 1.0) return true;
  if (type_ == Type::number && number_ == 0.0) return false;
  return std::nullopt;
}

const std::string* JsonValue::asText() const {
  return type_ == Type::string ? &string_ : nullptr;
}

const JsonValue* JsonValue::member(std::string_view key) const {
  for (const JsonMember& entry : members_) {
    if (entry.key == key) return &entry.value;
  }
  return nullptr;
}

}  // namespace brivora
