#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>

#include "Brivora/Theme.h"
#include "platform/JsonValue.h"

namespace brivora {

enum class ThemeFieldKind { text, number, seconds, flag };

// One Theme field: its theme.json key, its kind and where it lives in the record.
struct ThemeField {
  std::string_view key;
  ThemeFieldKind kind;
  std::variant<std::string Theme::*, double Theme::*, bool Theme::*> member;
};

inline constexpr std::size_t themeFieldCount = 42;

// The fields in record order.
const std::array<ThemeField, themeFieldCount>& themeFields();

// The older key that feeds `edgeMarginRatio` when "edgeMarginRatio" gives no number.
inline constexpr std::string_view edgeMarginAliasKey = "bottomMarginRatio";

// Whether `value` is of the kind the field accepts (a number also takes a boolean; a flag
// takes a boolean or a number equal to 0 or 1; a text takes only a string).
bool acceptsValue(const ThemeField& field, const JsonValue& value);

// Sets the field from `value` and returns true when the value is of an accepted kind.
bool assignField(Theme& theme, const ThemeField& field, const JsonValue& value);

// The defaults overridden by the members of a parsed theme.json object.
Theme themeFromJson(const JsonValue& object);

}  // namespace brivora
