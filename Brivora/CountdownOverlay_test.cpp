// The countdown laid out with the recording context's fixed metrics (each character
// 0.6 × size + kern wide, lines 1.2 × size tall). In a 1000 × 500 view with the default theme
// the label measures 202.3 × 7.8, the placeholder "88 天  88:88:88" 135.8 × 20.4, the gap is
// 2.04, the column 202.3 × 30.24, the margin 30 and the paddings 11 and 7.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/ViewHarness.h"
#include "tests/support/ZoneScope.h"

namespace brivora {
namespace {

using testing::callsOf;
using testing::textDrawn;
using testing::ViewHarness;

constexpr Size viewSize{1000, 500};
constexpr double creationTime = 1'800'000'000;
constexpr double day = 86400;
constexpr std::string_view defaultLabel = "KOVALTA COUNTDOWN";
constexpr double columnWidth = 202.3;
constexpr double columnHeight = 30.24;
constexpr double placeholderHeight = 20.4;
constexpr double gap = 2.04;

// A theme whose countdown ends `secondsLeft` after the harness's moment of creation.
std::string countdownTheme(double secondsLeft, const std::string& fields = "") {
  std::string json =
      R"({"countdownTo": ")" + formatInternetDateTime(Date{creationTime + secondsLeft}) + R"(")";
  if (!fields.empty()) json += ", " + fields;
  return json + "}";
}

std::optional<CountdownPlacement> placementOf(KovaltaScreensaverView& view) {
  return testing::whileRecording([&] { return view.countdownPlacement(view.bounds()); });
}

TEST(CountdownOverlay, PlacesTheColumnAtEachAnchorWithItsBackgroundAround) {
  const ZoneScope zone("UTC");
  const double top = 500 - 30 - columnHeight;
  const std::pair<std::string, Point> cases[] = {
      {"top-left", {30, top}},
      {"top-center", {500 - columnWidth / 2, top}},
      {"top-right", {1000 - 30 - columnWidth, top}},
      {"bottom-left", {30, 30}},
      {"bottom-right", {1000 - 30 - columnWidth, 30}},
      {"bottom-center", {500 - columnWidth / 2, 30}},
      // No centre layout: that is the bottom centre, like every unknown word.
      {"center", {500 - columnWidth / 2, 30}},
  };
  for (const auto& [position, content] : cases) {
    ViewHarness harness(countdownTheme(3 * day + 100, R"("countdownBgEnabled": true,
                                                         "countdownPosition": ")" +
                                                          position + R"(")"),
                        {"a.jpg"});
    KovaltaScreensaverView& view = harness.create(viewSize);
    const std::optional<CountdownPlacement> placement = placementOf(view);
    ASSERT_TRUE(placement) << position;
    EXPECT_TRUE(testing::near(Rect{placement->contentX, placement->contentY,
                                   placement->staticContentWidth, placement->contentHeight},
                              Rect{content.x, content.y, columnWidth, columnHeight}))
        << position;

    const auto calls = harness.draw();
    const auto backgrounds = callsOf<RoundedRectCall>(calls);
    ASSERT_EQ(backgrounds.size(), 1u) << position;
    EXPECT_TRUE(testing::near(backgrounds[0].rect, Rect{content.x - 11, content.y - 7,
                                                        columnWidth + 22, columnHeight + 14}));
    EXPECT_EQ(backgrounds[0].radius, 5);

    // The number line sits at the column's bottom and the label a gap above the placeholder.
    const auto label = textDrawn(calls, defaultLabel);
    const auto number = textDrawn(calls, "3 天  00:01:40");
    ASSERT_TRUE(label && number) << position;
    EXPECT_TRUE(testing::near(label->point, {content.x, content.y + placeholderHeight + gap}));
    EXPECT_TRUE(testing::near(
        number->point, {content.x + (columnWidth - number->measuredSize.width) / 2, content.y}));
  }
}

struct RemainingCase {
  double secondsLeft;
  std::optional<std::string_view> number;
  std::string theme = {};  // in place of a countdown `secondsLeft` away
};

TEST(CountdownOverlay, CountsWholeSecondsAndVanishesAtTheTarget) {
  const ZoneScope zone("UTC");
  const RemainingCase cases[] = {
      {3 * day + 4 * 3600 + 5 * 60 + 6.9, "3 天  04:05:06"},
      {0.4, "0 天  00:00:00"},
      {120 * day + 59, "120 天  00:00:59"},
      {0, std::nullopt},
      {-5, std::nullopt},
      // No target, or one that does not parse.
      {0, std::nullopt, R"({"countdownBgEnabled": true})"},
      {0, std::nullopt, R"({"countdownTo": "soon", "countdownBgEnabled": true})"},
  };
  for (const RemainingCase& c : cases) {
    ViewHarness harness(
        c.theme.empty() ? countdownTheme(c.secondsLeft, R"("countdownBgEnabled": true)") : c.theme,
        {"a.jpg"});
    KovaltaScreensaverView& view = harness.create(viewSize);
    const auto calls = harness.draw();
    if (!c.number) {
      EXPECT_FALSE(placementOf(view)) << c.secondsLeft;
      EXPECT_FALSE(textDrawn(calls, defaultLabel)) << c.secondsLeft;
      EXPECT_TRUE(callsOf<RoundedRectCall>(calls).empty()) << "not even the background";
      continue;
    }
    const auto number = textDrawn(calls, *c.number);
    ASSERT_TRUE(number) << c.secondsLeft;
    EXPECT_EQ(number->text.font, (Font{.size = 17,
                                       .weight = FontWeight::light,
                                       .design = FontDesign::rounded,
                                       .monospacedDigits = true}));
    EXPECT_EQ(number->text.kern, -0.5);
  }
}

TEST(CountdownOverlay, PlaceholderKeepsTheDayDigitsOfItsFirstReading) {
  const ZoneScope zone("UTC");
  ViewHarness harness(countdownTheme(120 * day + 3600), {"a.jpg"});
  KovaltaScreensaverView& view = harness.create(viewSize);
  harness.draw();
  // Thirty days on the count has two digits, but the column keeps its three-digit width.
  harness.moveTo(30 * day);
  EXPECT_EQ(view.countdownPlaceholder(), "888 天  88:88:88");
  const std::optional<CountdownPlacement> placement = placementOf(view);
  ASSERT_TRUE(placement);
  EXPECT_NEAR(placement->numberDimStatic.width, 15 * 9.7, 1e-9);
  const auto number = textDrawn(harness.draw(), "90 天  01:00:00");
  ASSERT_TRUE(number);
  EXPECT_NEAR(number->point.x + number->measuredSize.width / 2,
              placement->contentX + placement->staticContentWidth / 2, 1e-9);

  // Under ten days the placeholder still has two eights.
  ViewHarness soon(countdownTheme(3 * day), {"a.jpg"});
  EXPECT_EQ(soon.create(viewSize).countdownPlaceholder(), "88 天  88:88:88");
}

struct StyleCase {
  std::string fields;
  Color label;
  Color number;
  Shadow shadow;
  std::optional<Color> background;
};

TEST(CountdownOverlay, ColoursAndShadowFollowTheBackgroundSetting) {
  const ZoneScope zone("UTC");
  const Shadow dark{Color{0, 0, 0, 0.65}, 14, Size{0, -2}};
  const Shadow none{Color::clear(), 0, Size{0, 0}};
  const double ink = 0x1A / 255.0;
  const Color yellow{229 / 255.0, 184 / 255.0, 11 / 255.0, 0.92};
  const std::string bluePlate = R"("countdownBgEnabled": true, "countdownTextColor": "#0000FF",
                                   "countdownBgColor": "nope", "countdownBgOpacity": 0.5)";
  const StyleCase cases[] = {
      // On the wallpaper the text takes the clock's colour and a dark shadow.
      {R"("clockColor": "#00FF00")", {0, 1, 0, 0.55}, {0, 1, 0, 0.92}, dark, std::nullopt},
      // On the background it is near-black by default, without a visible shadow.
      {R"("countdownBgEnabled": true)", {ink, ink, ink, 0.75}, {ink, ink, ink, 1}, none, yellow},
      {bluePlate, {0, 0, 1, 0.75}, {0, 0, 1, 1}, none, Color{1, 0.8, 0, 0.5}},
      // A text colour that does not parse is white.
      {R"("countdownTextColor": "#GGGGGG")", {1, 1, 1, 0.55}, {1, 1, 1, 0.92}, dark, std::nullopt},
  };
  for (const StyleCase& c : cases) {
    const auto calls = testing::drawnFrame(countdownTheme(day, c.fields), viewSize);
    const auto label = textDrawn(calls, defaultLabel);
    const auto number = textDrawn(calls, "1 天  00:00:00");
    ASSERT_TRUE(label && number) << c.fields;
    EXPECT_EQ(label->text.font, (Font{.size = 6.5, .weight = FontWeight::medium}));
    EXPECT_EQ(label->text.kern, 8);
    EXPECT_EQ(label->text.color, c.label) << c.fields;
    EXPECT_EQ(number->text.color, c.number) << c.fields;
    EXPECT_EQ(label->text.shadow, c.shadow) << c.fields;
    EXPECT_EQ(number->text.shadow, c.shadow) << c.fields;
    const auto backgrounds = callsOf<RoundedRectCall>(calls);
    ASSERT_EQ(backgrounds.size(), c.background ? 1u : 0u) << c.fields;
    if (c.background) {
      EXPECT_EQ(backgrounds[0].color, *c.background) << c.fields;
    }
  }
}

TEST(CountdownOverlay, CreditInsideSitsUnderTheNumbersAndMayWidenTheColumn) {
  const ZoneScope zone("UTC");
  // The credit is 5.1-point italic with kern 1: 4.06 per character, 6.12 tall.
  const std::pair<std::string, double> cases[] = {
      {"Photo: A", columnWidth},
      {std::string(60, 'x'), 60 * 4.06},
  };
  for (const auto& [text, width] : cases) {
    ViewHarness harness(countdownTheme(day, R"("credit": "  )" + text +
                                                R"(\n", "creditPosition": "Inside-Countdown")"),
                        {"a.jpg"});
    KovaltaScreensaverView& view = harness.create(viewSize);
    const std::optional<CountdownPlacement> placement = placementOf(view);
    ASSERT_TRUE(placement);
    EXPECT_NEAR(placement->staticContentWidth, width, 1e-9);
    EXPECT_NEAR(placement->contentHeight, columnHeight + gap * 0.7 + 6.12, 1e-9);

    const auto calls = harness.draw();
    const auto credit = textDrawn(calls, text);
    const auto number = textDrawn(calls, "1 天  00:00:00");
    ASSERT_TRUE(credit && number);
    // Time, date, label, number and the credit, drawn once, by the countdown.
    EXPECT_EQ(callsOf<TextCall>(calls).size(), 5u);
    EXPECT_EQ(credit->text.font,
              (Font{.size = 17 * 0.3, .weight = FontWeight::regular, .italic = true}));
    EXPECT_EQ(credit->text.kern, 1);
    EXPECT_EQ(credit->text.color, (Color{1, 1, 1, 0.55}));
    EXPECT_NEAR(credit->point.y, placement->contentY, 1e-9);
    EXPECT_NEAR(credit->point.x + credit->measuredSize.width / 2,
                placement->contentX + placement->staticContentWidth / 2, 1e-9);
    EXPECT_NEAR(number->point.y, placement->contentY + 6.12 + gap * 0.7, 1e-9);
  }
}

struct ReserveCase {
  std::string credit;
  std::string creditPosition;
  std::string countdownPosition;
  double contentY;
};

TEST(CountdownOverlay, CreditUnderRaisesABottomCountdownAndCentresBelowItsBackground) {
  const ZoneScope zone("UTC");
  const ReserveCase cases[] = {
      {"Photo: A", "under-countdown", "bottom-left", 30 + 500 * 0.012 * 2.6},
      {" \\n ", "under-countdown", "bottom-left", 30},
      {"Photo: A", "bottom-right", "bottom-left", 30},
      {"Photo: A", "under-countdown", "top-right", 500 - 30 - columnHeight},
  };
  for (const ReserveCase& c : cases) {
    ViewHarness harness(
        countdownTheme(day, R"("credit": ")" + c.credit + R"(", "creditPosition": ")" +
                                c.creditPosition + R"(", "countdownPosition": ")" +
                                c.countdownPosition + R"(")"),
        {"a.jpg"});
    KovaltaScreensaverView& view = harness.create(viewSize);
    const std::optional<CountdownPlacement> placement = placementOf(view);
    ASSERT_TRUE(placement);
    EXPECT_NEAR(placement->contentY, c.contentY, 1e-9) << c.creditPosition << c.countdownPosition;
    // "Photo: A" measures 40.8 × 7.2 and keeps its own height from the background.
    if (c.creditPosition != "under-countdown" || c.credit != "Photo: A") continue;
    const auto line = textDrawn(harness.draw(), "Photo: A");
    ASSERT_TRUE(line);
    EXPECT_TRUE(testing::near(
        line->point, {placement->bgRect.midX() - 40.8 / 2, placement->bgRect.minY() - 7.2 - 7.2}));
  }
}

}  // namespace
}  // namespace brivora
