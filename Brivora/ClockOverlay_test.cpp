// The clock block laid out with the recording context's fixed metrics: each character is
// 0.6 × size + kern wide and a line 1.2 × size tall. In a 1000 × 500 view with the default
// theme the time "8:00" measures 116 × 60, the date "FRIDAY, JAN 15" 168 × 12, the gap is 8
// and the margin 30.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/ViewHarness.h"
#include "tests/support/ZoneScope.h"

namespace brivora {
namespace {

using testing::textDrawn;
using testing::ViewHarness;

constexpr Size viewSize{1000, 500};
constexpr std::string_view time8 = "8:00";
constexpr std::string_view fridayDate = "FRIDAY, JAN 15";

std::string themeWith(const std::string& fields) {
  return "{" + fields + "}";
}

struct ClockPlaceCase {
  std::string position;
  Point time;
  Point date;
};

TEST(ClockOverlay, PlacesTimeAndDateAtEachAnchor) {
  const ZoneScope zone("UTC");
  const ClockPlaceCase cases[] = {
      {"top-left", {30, 410}, {30, 390}},
      {"top-center", {442, 410}, {416, 390}},
      {"top-right", {854, 410}, {802, 390}},
      {"bottom-left", {30, 50}, {30, 30}},
      {"bottom-right", {854, 50}, {802, 30}},
      {"bottom-center", {442, 50}, {416, 30}},
      // The time line alone is centred; the date hangs below it.
      {"center", {442, 220}, {416, 200}},
  };
  for (const ClockPlaceCase& c : cases) {
    const auto calls =
        testing::drawnFrame(themeWith(R"("clockPosition": ")" + c.position + R"(")"), viewSize);
    const auto time = textDrawn(calls, time8);
    const auto date = textDrawn(calls, fridayDate);
    ASSERT_TRUE(time && date) << c.position;
    EXPECT_EQ(time->point, c.time) << c.position;
    EXPECT_EQ(date->point, c.date) << c.position;
  }
}

TEST(ClockOverlay, StylesTimeAndDateFromTheTheme) {
  const ZoneScope zone("UTC");
  // Five digits are no colour: the time falls back to white while the date keeps its own.
  const auto calls = testing::drawnFrame(
      themeWith(R"("clockColor": "#12345", "dateColor": "#E5B80B", "clockFamily": "Serif",
                   "clockWeight": "BOLD", "clockKern": 3, "dateKern": 2)"),
      viewSize);
  const auto time = textDrawn(calls, time8);
  const auto date = textDrawn(calls, fridayDate);
  ASSERT_TRUE(time && date);
  const Shadow shadow{Color{0, 0, 0, 0.55}, 16, Size{0, -2}};

  EXPECT_EQ(time->text.font,
            (Font{.size = 50, .weight = FontWeight::bold, .design = FontDesign::serif}));
  EXPECT_EQ(time->text.color, Color::white());
  EXPECT_EQ(time->text.kern, 3);
  EXPECT_EQ(time->text.shadow, shadow);

  // The date keeps the system design at medium weight, whatever the clock's typeface.
  EXPECT_EQ(date->text.font, (Font{.size = 10, .weight = FontWeight::medium}));
  EXPECT_EQ(date->text.color, (Color{229 / 255.0, 184 / 255.0, 11 / 255.0, 0.9}));
  EXPECT_EQ(date->text.kern, 2);
  EXPECT_EQ(date->text.shadow, shadow);
}

TEST(ClockOverlay, MarkerFollowsTheTimeSlightlyRaisedAndCountsInTheLineWidth) {
  const ZoneScope zone("UTC");
  // " AM" at 16 points with kern 2 is 34.8 × 19.2; the line is 150.8 wide.
  const std::pair<std::string, double> cases[] = {
      {"bottom-left", 30},
      {"bottom-right", 1000 - 30 - 150.8},
      {"bottom-center", 500 - 150.8 / 2},
  };
  for (const auto& [position, timeX] : cases) {
    ViewHarness harness(
        themeWith(R"("showAmPm": true, "clockColor": "#FF0000", "clockPosition": ")" + position +
                  R"(")"),
        {"a.jpg"});
    harness.clock.setWallTime(Date{1'800'000'000 + 3900});  // 9:05 in the morning
    harness.create(viewSize);
    const auto calls = harness.draw();
    const auto time = textDrawn(calls, "9:05");
    const auto marker = textDrawn(calls, " AM");
    ASSERT_TRUE(time && marker) << position;
    EXPECT_NEAR(time->point.x, timeX, 1e-9) << position;
    EXPECT_NEAR(marker->point.x, time->point.x + 116, 1e-9);
    EXPECT_NEAR(marker->point.y, time->point.y + (60 - 19.2) * 0.25, 1e-9);
    EXPECT_EQ(marker->text.font,
              (Font{.size = 16, .weight = FontWeight::light, .design = FontDesign::rounded}));
    EXPECT_EQ(marker->text.color, (Color{1, 0, 0, 0.85}));
    EXPECT_EQ(marker->text.kern, 2);
  }
}

// At the default size the gap is its least, 8 (see the anchor table); a date of 30 points
// takes half its size.
TEST(ClockOverlay, GapUnderTheTimeIsHalfALargeDatesSize) {
  const ZoneScope zone("UTC");
  const auto calls = testing::drawnFrame(
      themeWith(R"("clockPosition": "top-left", "dateSizeRatio": 0.06)"), viewSize);
  const auto time = textDrawn(calls, time8);
  const auto date = textDrawn(calls, fridayDate);
  ASSERT_TRUE(time && date);
  EXPECT_NEAR(time->point.y - date->point.y - date->measuredSize.height, 15, 1e-9);
}

}  // namespace
}  // namespace brivora
