#include "Brivora/Theme.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "Brivora/ThemeFields.h"
#include "platform/Files.h"
#include "tests/support/TempBundle.h"

namespace brivora {
namespace {

using testing::TempBundle;
using namespace std::literals;

Theme loadThemeText(std::string_view json) {
  TempBundle bundle;
  bundle.write("theme.json", json);
  return Theme::load(bundle.bundle());
}

// A value of the right kind under each key lands in that field and changes no other.
TEST(ThemeLoad, EveryKeyFeedsItsOwnFieldAndNoOther) {
  const Theme fallback = Theme::fallback();
  for (const ThemeField& field : themeFields()) {
    ThemeValue value = 123.5;
    std::string json = "123.5";
    if (field.kind == ThemeFieldKind::text) {
      value = std::string("changed");
      json = "\"changed\"";
    } else if (field.kind == ThemeFieldKind::flag) {
      const bool flipped = !std::get<bool>(valueOf(fallback, field));
      value = flipped;
      json = flipped ? "true" : "false";
    }
    const Theme loaded = loadThemeText("{\"" + std::string(field.key) + "\": " + json + "}");
    for (const ThemeField& other : themeFields()) {
      EXPECT_EQ(valueOf(loaded, other), &other == &field ? value : valueOf(fallback, other))
          << field.key << " set, " << other.key << " read";
    }
  }
}

Theme with(auto change) {
  Theme theme = Theme::fallback();
  change(theme);
  return theme;
}

// One row per kind and way in: which JSON values each kind takes is JsonKinds' table.
TEST(ThemeLoad, AcceptsOnlyTheKindsEachFieldTakes) {
  const std::pair<std::string, Theme> cases[] = {
      {R"({"cycleSeconds": "10"})", Theme::fallback()},
      {R"({"cycleSeconds": 10})", with([](Theme& t) { t.cycleSeconds = 10.0; })},
      {R"({"clockSizeRatio": true})", with([](Theme& t) { t.clockSizeRatio = 1.0; })},
      {R"({"clockSizeRatio": 1e400})", Theme::fallback()},  // not valid JSON: out of range
      {R"({"scrimEnabled": 0})", with([](Theme& t) { t.scrimEnabled = false; })},
      {R"({"scrimEnabled": 2})", Theme::fallback()},
      {R"({"clockColor": " #ffffff\n"})", with([](Theme& t) { t.clockColor = " #ffffff\n"; })},
      {R"({"clockPosition": ""})", with([](Theme& t) { t.clockPosition = ""; })},
      {R"({"clockPosition": null})", Theme::fallback()},
      {R"({"ClockColor": "#000000"})", Theme::fallback()},
      {R"({"scrimOpacity": 3, "cycleSeconds": 0})", with([](Theme& t) {
         t.scrimOpacity = 3;
         t.cycleSeconds = 0;
       })},
      {R"({"name": "A", "name": "B"})", with([](Theme& t) { t.name = "B"; })},
      {R"({"unknown": 1, "dateKern": 2})", with([](Theme& t) { t.dateKern = 2; })},
  };
  for (const auto& [json, expected] : cases) {
    EXPECT_EQ(loadThemeText(json), expected) << json;
  }
}

TEST(ThemeLoad, OlderEdgeMarginKeyCountsOnlyWhenTheNewOneGivesNoNumber) {
  const std::pair<std::string_view, double> cases[] = {
      {R"({"bottomMarginRatio": 0.2})", 0.2},
      {R"({"edgeMarginRatio": 0.1, "bottomMarginRatio": 0.2})", 0.1},
      {R"({"bottomMarginRatio": 0.2, "edgeMarginRatio": 0.1})", 0.1},
      {R"({"edgeMarginRatio": "0.1", "bottomMarginRatio": 0.2})", 0.2},
      {R"({"edgeMarginRatio": null, "bottomMarginRatio": true})", 1.0},
      {R"({"bottomMarginRatio": "0.2"})", 0.06},
  };
  for (const auto& [json, margin] : cases) {
    EXPECT_EQ(loadThemeText(json).edgeMarginRatio, margin) << json;
  }
}

TEST(ThemeLoad, UnusableFilesGiveAllDefaults) {
  const std::string_view texts[] = {
      "", "[{\"name\": \"x\"}]", "{\"name\": \"x\",}",
      "\xFF\xFE{\0\"\0}\0"sv,  // UTF-16 is not read
  };
  for (std::string_view text : texts) {
    EXPECT_EQ(loadThemeText(text), Theme::fallback()) << text;
  }
}

TEST(ThemeLoad, MissingOrUnreadableFileGivesAllDefaults) {
  TempBundle noFile;
  EXPECT_EQ(Theme::load(noFile.bundle()), Theme::fallback());

  // What is not a regular file is ReadWholeFile's to refuse; the theme sets the size limit.
  TempBundle oversized;
  std::string huge = "{\"name\": \"" + std::string(maxJsonFileBytes, 'x') + "\"}";
  oversized.write("theme.json", huge);
  EXPECT_EQ(Theme::load(oversized.bundle()), Theme::fallback());

  EXPECT_EQ(Theme::load(Bundle("")), Theme::fallback());
}

TEST(ThemeFontWeight, MapsWeightNames) {
  const std::pair<std::string_view, FontWeight> cases[] = {
      {"ultralight", FontWeight::ultraLight},
      {"thin", FontWeight::thin},
      {"light", FontWeight::light},
      {"regular", FontWeight::regular},
      {"medium", FontWeight::medium},
      {"semibold", FontWeight::semibold},
      {"Bold", FontWeight::bold},
      {"heavy", FontWeight::heavy},
      {"Black", FontWeight::black},
  };
  for (const auto& [name, weight] : cases) {
    Theme theme;
    theme.clockWeight = name;
    EXPECT_EQ(theme.nsFontWeight(), weight) << name;
  }
}

}  // namespace
}  // namespace brivora
