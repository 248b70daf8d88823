#include "Brivora/ThemeFields.h"

namespace brivora {

namespace {

using Kind = ThemeFieldKind;

}  // namespace

const std::array<ThemeField, themeFieldCount>& themeFields() {
  static const std::array<ThemeField, themeFieldCount> fields = {{
      {"name", Kind::text, &Theme::name},
      {"clockColor", Kind::text, &Theme::clockColor},
      {"dateColor", Kind::text, &Theme::dateColor},
      {"timeFormat", Kind::text, &Theme::timeFormat},
      {"dateFormat", Kind::text, &Theme::dateFormat},
      {"clockSizeRatio", Kind::number, &Theme::clockSizeRatio},
      {"dateSizeRatio", Kind::number, &Theme::dateSizeRatio},
      {"clockPosition", Kind::text, &Theme::clockPosition},
      {"clockFamily", Kind::text, &Theme::clockFamily},
      {"clockWeight", Kind::text, &Theme::clockWeight},
      {"showAmPm", Kind::flag, &Theme::showAmPm},
      {"clockKern", Kind::number, &Theme::clockKern},
      {"dateKern", Kind::number, &Theme::dateKern},
      {"edgeMarginRatio", Kind::number, &Theme::edgeMarginRatio},
      {"scrimEnabled", Kind::flag, &Theme::scrimEnabled},
      {"scrimHeightRatio", Kind::number, &Theme::scrimHeightRatio},
      {"scrimOpacity", Kind::number, &Theme::scrimOpacity},
      {"credit", Kind::text, &Theme::credit},
      {"creditPosition", Kind::text, &Theme::creditPosition},
      {"creditFallbackPosition", Kind::text, &Theme::creditFallbackPosition},
      {"creditSizeRatio", Kind::number, &Theme::creditSizeRatio},
      {"creditOpacity", Kind::number, &Theme::creditOpacity},
      {"countdownTo", Kind::text, &Theme::countdownTo},
      {"countdownLabel", Kind::text, &Theme::countdownLabel},
      {"countdownPosition", Kind::text, &Theme::countdownPosition},
      {"countdownLabelSizeRatio", Kind::number, &Theme::countdownLabelSizeRatio},
      {"countdownNumberSizeRatio", Kind::number, &Theme::countdownNumberSizeRatio},
      {"countdownTextColor", Kind::text, &Theme::countdownTextColor},
      {"countdownBgEnabled", Kind::flag, &Theme::countdownBgEnabled},
      {"countdownBgColor", Kind::text, &Theme::countdownBgColor},
      {"countdownBgOpacity", Kind::number, &Theme::countdownBgOpacity},
      {"countdownBgPaddingX", Kind::number, &Theme::countdownBgPaddingX},
      {"countdownBgPaddingY", Kind::number, &Theme::countdownBgPaddingY},
      {"countdownBgCornerRadius", Kind::number, &Theme::countdownBgCornerRadius},
      {"playerOverlayEnabled", Kind::flag, &Theme::playerOverlayEnabled},
      {"playerOverlayPosition", Kind::text, &Theme::playerOverlayPosition},
      {"playerNameSizeRatio", Kind::number, &Theme::playerNameSizeRatio},
      {"playerSubtitleSizeRatio", Kind::number, &Theme::playerSubtitleSizeRatio},
      {"playerFactSizeRatio", Kind::number, &Theme::playerFactSizeRatio},
      {"cycleSeconds", Kind::seconds, &Theme::cycleSeconds},
      {"crossfadeSeconds", Kind::seconds, &Theme::crossfadeSeconds},
      {"kenBurnsZoom", Kind::number, &Theme::kenBurnsZoom},
  }};
  return fields;
}

bool acceptsValue(const ThemeField& field, const JsonValue& value) {
  switch (field.kind) {
    case Kind::text:
      return value.asText() != nullptr;
    case Kind::number:
    case Kind::seconds:
      return value.asNumber().has_value();
    case Kind::flag:
      return value.asFlag().has_value();
  }
  return false;
}

bool assignField(Theme& theme, const ThemeField& field, const JsonValue& value) {
  if (!acceptsValue(field, value)) return false;
  if (auto text = std::get_if<std::string Theme::*>(&field.member)) {
    theme.** text = *value.asText();
  } else if (auto number = std::get_if<double Theme::*>(&field.member)) {
    theme.** number = *value.asNumber();
  } else if (auto flag = std::get_if<bool Theme::*>(&field.member)) {
    theme.** flag = *value.asFlag();
  }
  return true;
}

Theme themeFromJson(const JsonValue& object) {
  Theme theme = Theme::fallback();
  bool edgeMarginGiven = false;
  for (const ThemeField& field : themeFields()) {
    const JsonValue* value = object.member(field.key);
    if (value && assignField(theme, field, *value) && field.key == "edgeMarginRatio") {
      edgeMarginGiven = true;
    }
  }
  if (const JsonValue* alias = object.member(edgeMarginAliasKey); alias && !edgeMarginGiven) {
    if (std::optional<double> margin = alias->asNumber()) theme.edgeMarginRatio = *margin;
  }
  return theme;
}

}  // namespace brivora
