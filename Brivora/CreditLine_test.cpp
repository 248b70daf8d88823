// The credit line laid out with the recording context's fixed metrics (each character
// 0.6 × size + kern wide, lines 1.2 × size tall). In a 1000 × 500 view with the default theme
// the credit "Photo: A" is set at 6 points and measures 40.8 × 7.2; the margin is 30.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/ViewHarness.h"
#include "tests/support/ZoneScope.h"

namespace brivora {
namespace {

using testing::callsOf;
using testing::textDrawn;

constexpr Size viewSize{1000, 500};
constexpr std::string_view credit = "Photo: A";
constexpr double width = 40.8;
constexpr double height = 7.2;
constexpr double distance = 1.2 * 6;  // from the countdown box or the clock block

std::string creditTheme(const std::string& fields) {
  return R"({"credit": " Photo: A\n", )" + fields + "}";
}

TEST(CreditLine, SitsInTheChosenPlaceOrTheFallback) {
  const ZoneScope zone("UTC");
  const double bottom = 15;  // half the margin
  const double top = 500 - 15 - height;
  const std::pair<std::string, Point> cases[] = {
      {R"("creditPosition": "bottom-left")", {30, bottom}},
      {R"("creditPosition": "bottom-center")", {500 - width / 2, bottom}},
      {R"("creditPosition": "top-right")", {1000 - 30 - width, top}},
      {R"("creditPosition": "bottom-right")", {1000 - 30 - width, bottom}},
      // Without a countdown the place under it is the bottom centre.
      {R"("creditPosition": "under-countdown")", {500 - width / 2, bottom}},
      // Inside a countdown that is not there: the fallback.
      {R"("creditPosition": "inside-countdown", "creditFallbackPosition": "top-left")", {30, top}},
  };
  for (const auto& [fields, point] : cases) {
    const auto line = textDrawn(testing::drawnFrame(creditTheme(fields), viewSize), credit);
    ASSERT_TRUE(line) << fields;
    EXPECT_TRUE(testing::near(line->point, point)) << fields;
  }
}

TEST(CreditLine, IsItalicWhiteInTheClockTypeface) {
  const ZoneScope zone("UTC");
  const auto line = textDrawn(
      testing::drawnFrame(creditTheme(R"("creditOpacity": 0.3, "clockWeight": "bold")"), viewSize),
      credit);
  ASSERT_TRUE(line);
  EXPECT_EQ(
      line->text.font,
      (Font{.size = 6, .weight = FontWeight::bold, .design = FontDesign::rounded, .italic = true}));
  EXPECT_EQ(line->text.color, (Color{1, 1, 1, 0.3}));
  EXPECT_EQ(line->text.kern, 1.5);
  EXPECT_EQ(line->text.shadow, (Shadow{Color{0, 0, 0, 0.5}, 6, Size{0, -1}}));
}

TEST(CreditLine, BlankCreditDrawsNothing) {
  const ZoneScope zone("UTC");
  EXPECT_EQ(callsOf<TextCall>(testing::drawnFrame(R"({"credit": " \n\t "})", viewSize)).size(), 2u)
      << "only the clock's two lines";
}

TEST(CreditLine, UnderClockAlignsToTheBlockOnTheScreensSide) {
  const ZoneScope zone("UTC");
  // The clock block (the date, 168 wide, 8 under the time, 60 tall) spans 30 to 110 at the
  // bottom and 390 to 470 at the top; the credit keeps a line's height from it.
  const double left = 30;
  const double right = 970 - width;
  const double centre = 500 - width / 2;
  const double below = 390 - distance - height;
  const double above = 110 + distance;
  const std::pair<std::string, Point> cases[] = {
      {"top-left", {left, below}},
      {"bottom-right", {right, above}},
      {"Top-Right", {right, below}},
      {"bottom-left", {left, above}},
      {"top-center", {centre, below}},
      // Only positions starting with "top" put the line below the block.
      {"center", {centre, 280 - 110 + above}},
      {"nowhere", {centre, above}},
  };
  for (const auto& [clockPosition, point] : cases) {
    const std::string theme = creditTheme(R"("creditPosition": "under-clock", "clockPosition": ")" +
                                          clockPosition + R"(")");
    const auto line = textDrawn(testing::drawnFrame(theme, viewSize), credit);
    ASSERT_TRUE(line) << clockPosition;
    EXPECT_TRUE(testing::near(line->point, point)) << clockPosition;
  }
}

}  // namespace
}  // namespace brivora
