// The caption laid out with the recording context's fixed metrics (each character
// 0.6 × size + kern wide, lines 1.2 × size tall). In a 1000 × 500 view with the default theme
// the name "Mira Solberg" measures 192 × 33, the subtitle "MIDFIELD" 80.8 × 10.2, the fact
// "Nine goals" 79 × 7.8; the line gap is 4.95 and the margin 30.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/ViewHarness.h"

namespace brivora {
namespace {

using testing::callsOf;
using testing::textDrawn;

constexpr Size viewSize{1000, 500};
const std::string captionMeta =
    R"({"default": {"name": "Mira Solberg", "subtitle": "MIDFIELD", "fact": "Nine goals"}})";

struct Caption {
  std::optional<TextCall> name;
  std::optional<TextCall> subtitle;
  std::optional<TextCall> fact;
};

Caption captionIn(const std::vector<DrawCall>& calls) {
  return {textDrawn(calls, "Mira Solberg"), textDrawn(calls, "MIDFIELD"),
          textDrawn(calls, "Nine goals")};
}

TEST(PlayerOverlay, FadesInHoldsAndFadesOutWithinSevenSeconds) {
  const std::pair<double, std::optional<double>> cases[] = {
      {0.0, std::nullopt}, {0.75, 0.5},           {1.5, 1.0},          {5.0, 1.0},
      {6.0, 0.5},          {6.999, std::nullopt}, {7.0, std::nullopt}, {12, std::nullopt},
  };
  for (const auto& [elapsed, fade] : cases) {
    const Caption caption = captionIn(testing::drawnFrame("", viewSize, captionMeta, elapsed));
    if (!fade) {
      EXPECT_FALSE(caption.name || caption.subtitle || caption.fact) << elapsed;
      continue;
    }
    ASSERT_TRUE(caption.name && caption.subtitle && caption.fact) << elapsed;
    EXPECT_NEAR(caption.name->text.color->a, *fade, 1e-9) << elapsed;
    EXPECT_NEAR(caption.subtitle->text.color->a, *fade * 0.85, 1e-9) << elapsed;
    EXPECT_NEAR(caption.fact->text.color->a, *fade * 0.7, 1e-9) << elapsed;
    // The shadow does not fade with the text.
    EXPECT_EQ(caption.fact->text.shadow, (Shadow{Color{0, 0, 0, 0.7}, 18, Size{0, -3}}));
  }
}

struct CaptionPlaceCase {
  std::string position;
  Point name;
  Point subtitle;
  Point fact;
};

TEST(PlayerOverlay, SetsTheLinesInTheirTypeInEachCorner) {
  const CaptionPlaceCase cases[] = {
      {"top-left", {30, 437}, {30, 421.85}, {30, 409.1}},
      // Each line ends at the margin by itself.
      {"top-right", {778, 437}, {889.2, 421.85}, {891, 409.1}},
      // The block rests one name-line height above the bottom margin.
      {"bottom-left", {30, 90.9}, {30, 75.75}, {30, 63}},
      {"bottom-right", {778, 90.9}, {889.2, 75.75}, {891, 63}},
  };
  for (const CaptionPlaceCase& c : cases) {
    const Caption caption = captionIn(testing::drawnFrame(
        R"({"clockFamily": "serif", "clockWeight": "heavy", "playerOverlayPosition": ")" +
            c.position + R"("})",
        viewSize, captionMeta, 3));
    ASSERT_TRUE(caption.name && caption.subtitle && caption.fact) << c.position;
    EXPECT_TRUE(testing::near(caption.name->point, c.name)) << c.position;
    EXPECT_TRUE(testing::near(caption.subtitle->point, c.subtitle)) << c.position;
    EXPECT_TRUE(testing::near(caption.fact->point, c.fact)) << c.position;
    // The name in the clock's typeface, the others in the system's.
    EXPECT_EQ(caption.name->text.font,
              (Font{.size = 27.5, .weight = FontWeight::heavy, .design = FontDesign::serif}));
    EXPECT_EQ(caption.subtitle->text.font, (Font{.size = 8.5, .weight = FontWeight::medium}));
    EXPECT_EQ(caption.fact->text.font, (Font{.size = 6.5, .weight = FontWeight::regular}));
    EXPECT_EQ(caption.name->text.kern, -0.5);
    EXPECT_EQ(caption.subtitle->text.kern, 5);
    EXPECT_EQ(caption.fact->text.kern, 4);
  }
}

TEST(PlayerOverlay, EmptySubtitleKeepsItsSlot) {
  const auto calls = testing::drawnFrame(
      "", viewSize,
      R"({"default": {"name": "Mira Solberg", "subtitle": "", "fact": "Nine goals"}})", 3);
  EXPECT_EQ(callsOf<TextCall>(calls).size(), 4u) << "time, date, name and fact; no subtitle";
  const auto fact = textDrawn(calls, "Nine goals");
  ASSERT_TRUE(fact);
  // Below an empty line measured as zero tall: two gaps under the name.
  EXPECT_NEAR(fact->point.y, 437 - 2 * 4.95 - 7.8, 1e-9);
}

struct GuardCase {
  std::string what;
  std::string theme;
  std::string meta;
  std::string wallpaper;
  bool shown;
};

TEST(PlayerOverlay, ShowsNothingWithoutAPlayerToName) {
  const std::string patterns =
      R"("patterns": [{"match": "keeper", "name": ""}, {"match": "star", "name": "Ada Ruud"}])";
  const GuardCase cases[] = {
      {"switched off", R"({"playerOverlayEnabled": false})",
       R"({"default": {"name": "Mira Solberg"}})", "a.jpg", false},
      // No default name: no caption at all, whatever the patterns say.
      {"no default name", "", R"({"default": {"name": ""}, )" + patterns + "}", "star.jpg", false},
      {"pattern empties the name", "", R"({"default": {"name": "Mira Solberg"}, )" + patterns + "}",
       "keeper.jpg", false},
      {"pattern names another", "", R"({"default": {"name": "Mira Solberg"}, )" + patterns + "}",
       "star.jpg", true},
      {"no meta file", "", "", "a.jpg", false},
  };
  for (const GuardCase& c : cases) {
    const auto texts =
        callsOf<TextCall>(testing::drawnFrame(c.theme, viewSize, c.meta, 3, c.wallpaper));
    // The clock's two lines are always there.
    EXPECT_EQ(texts.size(), c.shown ? 3u : 2u) << c.what;
  }
}

}  // namespace
}  // namespace brivora
