#pragma once

#include <array>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "Brivora/Theme.h"
#include "platform/JsonValue.h"

namespace brivora {

enum class ThemeFieldKind { text, number, seconds, flag };

// The values a number field is meant for. The view uses any number; `brivora check` and the
// schema name the ones outside.
struct ThemeRange {
  double low = -std::numeric_limits<double>::infinity();
  bool lowIncluded = true;
  double high = std::numeric_limits<double>::infinity();
  bool highIncluded = true;

  bool contains(double value) const {
    return (lowIncluded ? value >= low : value > low) &&
           (highIncluded ? value <= high : value < high);
  }
};

// The words a text field is read as once lower-cased, and what the view uses for any other.
struct ThemeWords {
  std::span<const std::string_view> words;
  // What one word is, for messages: "a clock position".
  std::string_view what;
  // What the view uses for any other text, as messages name it.
  std::string_view otherwise;
  // Whether other programs reading the file may compare the word as written, so that it should
  // be written in lower case.
  bool lowerCaseOnly = false;
};

// One Theme field: its theme.json key, its kind, where it lives in the record (and so its
// default, the record's initialiser), the range meant for a number and the words of a text
// read as a keyword. Loading, `brivora check`, `brivora inspect` and the schema test all read
// these rows.
struct ThemeField {
  std::string_view key;
  ThemeFieldKind kind;
  std::variant<std::string Theme::*, double Theme::*, bool Theme::*> member;
  std::optional<ThemeRange> range = std::nullopt;
  std::optional<ThemeWords> words = std::nullopt;
};

inline constexpr std::size_t themeFieldCount = 42;

// The fields in record order.
const std::array<ThemeField, themeFieldCount>& themeFields();

// The field under `key`, or null.
const ThemeField* themeFieldNamed(std::string_view key);

// The older key that feeds `edgeMarginRatio` when "edgeMarginRatio" gives no number.
inline constexpr std::string_view edgeMarginAliasKey = "bottomMarginRatio";

// A field's value in `theme`; `Theme::fallback()` gives its default.
using ThemeValue = std::variant<std::string, double, bool>;
ThemeValue valueOf(const Theme& theme, const ThemeField& field);

// Whether `value` is of the kind the field accepts (a number also takes a boolean; a flag
// takes a boolean or a number equal to 0 or 1; a text takes only a string).
bool acceptsValue(const ThemeField& field, const JsonValue& value);

// Sets the field from `value` and returns true when the value is of an accepted kind.
bool assignField(Theme& theme, const ThemeField& field, const JsonValue& value);

// The defaults overridden by the members of a parsed theme.json object.
Theme themeFromJson(const JsonValue& object);

}  // namespace brivora
