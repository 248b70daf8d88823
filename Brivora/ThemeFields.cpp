#include "Brivora/ThemeFields.h"

#include "platform/FontWeight.h"

namespace brivora {

namespace {

using Kind = ThemeFieldKind;

// Sizes are fractions of the view's height: above zero, at most all of it.
constexpr ThemeRange sizeRatio{0, false, 1, true};
constexpr ThemeRange fraction{0, true, 1, true};
// Margins on two sides leave room between them.
constexpr ThemeRange marginRatio{0, true, 0.5, false};
constexpr ThemeRange positive{.low = 0, .lowIncluded = false};
constexpr ThemeRange notNegative{.low = 0};
// A zoom below 1 shows the picture's edges; far above, only a blur of pixels.
constexpr ThemeRange zoom{1, true, 4, true};

// The words each overlay places itself by; any other puts it at its first word's place.
constexpr std::array<std::string_view, 7> clockPositionWords = {
    "bottom-center", "top-left",     "top-center", "top-right",
    "bottom-left",   "bottom-right", "center"};
constexpr std::array<std::string_view, 6> countdownPositionWords = {
    "bottom-center", "top-left", "top-center", "top-right", "bottom-left", "bottom-right"};
constexpr std::array<std::string_view, 4> captionPositionWords = {"top-left", "top-right",
                                                                  "bottom-left", "bottom-right"};
// The fallback takes every credit position but the last, "inside-countdown".
constexpr std::array<std::string_view, 8> creditPositionWords = {
    "bottom-right", "bottom-left", "bottom-center",   "top-right",
    "top-left",     "under-clock", "under-countdown", "inside-countdown"};
constexpr std::array<std::string_view, 3> designWords = {"default", "rounded", "serif"};

constexpr ThemeWords clockPositions{clockPositionWords, "a clock position", "bottom-center", true};
constexpr ThemeWords countdownPositions{countdownPositionWords, "a countdown position",
                                        "bottom-center", true};
constexpr ThemeWords captionPositions{captionPositionWords, "a caption position", "top-left", true};
constexpr ThemeWords creditPositions{creditPositionWords, "a credit position", "bottom-right",
                                     true};
constexpr ThemeWords fallbackCreditPositions{std::span(creditPositionWords).first<7>(),
                                             "a fallback credit position", "bottom-right", true};
constexpr ThemeWords designs{designWords, "a design", "the default design"};
constexpr ThemeWords weights{fontWeightNames, "a weight", "regular"};

}  // namespace

const std::array<ThemeField, themeFieldCount>& themeFields() {
  static const std::array<ThemeField, themeFieldCount> fields = {{
      {"name", Kind::text, &Theme::name},
      {"clockColor", Kind::text, &Theme::clockColor},
      {"dateColor", Kind::text, &Theme::dateColor},
      {"timeFormat", Kind::text, &Theme::timeFormat},
      {"dateFormat", Kind::text, &Theme::dateFormat},
      {"clockSizeRatio", Kind::number, &Theme::clockSizeRatio, sizeRatio},
      {"dateSizeRatio", Kind::number, &Theme::dateSizeRatio, sizeRatio},
      {"clockPosition", Kind::text, &Theme::clockPosition, std::nullopt, clockPositions},
      {"clockFamily", Kind::text, &Theme::clockFamily, std::nullopt, designs},
      {"clockWeight", Kind::text, &Theme::clockWeight, std::nullopt, weights},
      {"showAmPm", Kind::flag, &Theme::showAmPm},
      {"clockKern", Kind::number, &Theme::clockKern},
      {"dateKern", Kind::number, &Theme::dateKern},
      {"edgeMarginRatio", Kind::number, &Theme::edgeMarginRatio, marginRatio},
      {"scrimEnabled", Kind::flag, &Theme::scrimEnabled},
      {"scrimHeightRatio", Kind::number, &Theme::scrimHeightRatio, fraction},
      {"scrimOpacity", Kind::number, &Theme::scrimOpacity, fraction},
      {"credit", Kind::text, &Theme::credit},
      {"creditPosition", Kind::text, &Theme::creditPosition, std::nullopt, creditPositions},
      {"creditFallbackPosition", Kind::text, &Theme::creditFallbackPosition, std::nullopt,
       fallbackCreditPositions},
      {"creditSizeRatio", Kind::number, &Theme::creditSizeRatio, sizeRatio},
      {"creditOpacity", Kind::number, &Theme::creditOpacity, fraction},
      {"countdownTo", Kind::text, &Theme::countdownTo},
      {"countdownLabel", Kind::text, &Theme::countdownLabel},
      {"countdownPosition", Kind::text, &Theme::countdownPosition, std::nullopt,
       countdownPositions},
      {"countdownLabelSizeRatio", Kind::number, &Theme::countdownLabelSizeRatio, sizeRatio},
      {"countdownNumberSizeRatio", Kind::number, &Theme::countdownNumberSizeRatio, sizeRatio},
      {"countdownTextColor", Kind::text, &Theme::countdownTextColor},
      {"countdownBgEnabled", Kind::flag, &Theme::countdownBgEnabled},
      {"countdownBgColor", Kind::text, &Theme::countdownBgColor},
      {"countdownBgOpacity", Kind::number, &Theme::countdownBgOpacity, fraction},
      {"countdownBgPaddingX", Kind::number, &Theme::countdownBgPaddingX, fraction},
      {"countdownBgPaddingY", Kind::number, &Theme::countdownBgPaddingY, fraction},
      {"countdownBgCornerRadius", Kind::number, &Theme::countdownBgCornerRadius, fraction},
      {"playerOverlayEnabled", Kind::flag, &Theme::playerOverlayEnabled},
      {"playerOverlayPosition", Kind::text, &Theme::playerOverlayPosition, std::nullopt,
       captionPositions},
      {"playerNameSizeRatio", Kind::number, &Theme::playerNameSizeRatio, sizeRatio},
      {"playerSubtitleSizeRatio", Kind::number, &Theme::playerSubtitleSizeRatio, sizeRatio},
      {"playerFactSizeRatio", Kind::number, &Theme::playerFactSizeRatio, sizeRatio},
      {"cycleSeconds", Kind::seconds, &Theme::cycleSeconds, positive},
      {"crossfadeSeconds", Kind::seconds, &Theme::crossfadeSeconds, notNegative},
      {"kenBurnsZoom", Kind::number, &Theme::kenBurnsZoom, zoom},
  }};
  return fields;
}

const ThemeField* themeFieldNamed(std::string_view key) {
  for (const ThemeField& field : themeFields()) {
    if (field.key == key) return &field;
  }
  return nullptr;
}

ThemeValue valueOf(const Theme& theme, const ThemeField& field) {
  return std::visit([&](auto member) { return ThemeValue(theme.*member); }, field.member);
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
