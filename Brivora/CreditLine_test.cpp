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
using testing::ViewHarness;

constexpr Size viewSize{1000, 500};
constexpr std::string_view credit = "Photo: A";
constexpr double width = 40.8;
constexpr double height = 7.2;
constexpr double distance = 1.2 * 6;  // from the countdown box or the clock block

std::string creditTheme(const std::string& fields) {
  return R"({"credit": " Photo: A\n", )" + fields + "}";
}

struct CornerCase {
  std::string fields;
  Point point;
};

TEST(CreditLine, SitsInTheChosenPlaceOrTheFallback) {
  const ZoneScope zone("UTC");
  const double bottom = 15;  // half the margin
  const double top = 500 - 15 - height;
  const CornerCase cases[] = {
      {R"("creditPosition": "bottom-left")", {30, bottom}},
      {R"("creditPosition": "bottom-center")", {500 - width / 2, bottom}},
      {R"("creditPosition": "top-right")", {1000 - 30 - width, top}},
      {R"("creditPosition": "bottom-right")", {1000 - 30 - width, bottom}},
      // Without a countdown the place under it is the bottom centre.
      {R"("creditPosition": "under-countdown")", {500 - width / 2, bottom}},
      // Inside a countdown that is not there: the fallback.
      {R"("creditPosition": "inside-countdown", "creditFallbackPosition": "top-left")", {30, top}},
  };
  for (const CornerCase& c : cases) {
    ViewHarness harness(creditTheme(c.fields), {"a.jpg"});
    harness.create(viewSize);
    const auto line = textDrawn(harness.draw(), credit);
    ASSERT_TRUE(line) << c.fields;
    EXPECT_TRUE(testing::near(line->point, c.point)) << c.fields;
  }
}

TEST(CreditLine, IsItalicWhiteInTheClockTypeface) {
  const ZoneScope zone("UTC");
  ViewHarness harness(creditTheme(R"("creditOpacity": 0.3, "clockWeight": "bold")"), {"a.jpg"});
  harness.create(viewSize);
  const auto line = textDrawn(harness.draw(), credit);
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
  ViewHarness harness(R"({"credit": " \n\t "})", {"a.jpg"});
  harness.create(viewSize);
  EXPECT_EQ(callsOf<TextCall>(harness.draw()).size(), 2u) << "only the clock's two lines";
}

struct UnderClockCase {
  std::string clockPosition;
  enum { left, centre, right } edge;
  bool below;
};

TEST(CreditLine, UnderClockAlignsToTheBlockOnTheScreensSide) {
  const ZoneScope zone("UTC");
  const UnderClockCase cases[] = {
      {"top-left", UnderClockCase::left, true},
      {"bottom-right", UnderClockCase::right, false},
      {"Top-Right", UnderClockCase::right, true},
      {"bottom-left", UnderClockCase::left, false},
      {"top-center", UnderClockCase::centre, true},
      // Only positions starting with "top" put the line below the block.
      {"center", UnderClockCase::centre, false},
      {"nowhere", UnderClockCase::centre, false},
  };
  for (const UnderClockCase& c : cases) {
    ViewHarness harness(creditTheme(R"("creditPosition": "under-clock", "clockPosition": ")" +
                                    c.clockPosition + R"(")"),
                        {"a.jpg"});
    KovaltaScreensaverView& view = harness.create(viewSize);
    const Rect block = testing::whileRecording([&] { return view.clockBlockRect(view.bounds()); });
    const auto line = textDrawn(harness.draw(), credit);
    ASSERT_TRUE(line) << c.clockPosition;
    const double x = c.edge == UnderClockCase::left    ? block.minX()
                     : c.edge == UnderClockCase::right ? block.maxX() - width
                                                       : block.midX() - width / 2;
    const double y = c.below ? block.minY() - distance - height : block.maxY() + distance;
    EXPECT_TRUE(testing::near(line->point, {x, y})) << c.clockPosition;
  }
}

TEST(CreditLine, UnderCountdownCentresBelowItsBackground) {
  const ZoneScope zone("UTC");
  for (const std::string_view position : {"bottom-left", "top-right"}) {
    ViewHarness harness(
        creditTheme(R"("creditPosition": "under-countdown", "countdownTo": "2030-01-01",
                       "countdownPosition": ")" +
                    std::string(position) + R"(")"),
        {"a.jpg"});
    KovaltaScreensaverView& view = harness.create(viewSize);
    const auto placement =
        testing::whileRecording([&] { return view.countdownPlacement(view.bounds()); });
    ASSERT_TRUE(placement);
    const auto line = textDrawn(harness.draw(), credit);
    ASSERT_TRUE(line) << position;
    EXPECT_TRUE(testing::near(line->point, {placement->bgRect.midX() - width / 2,
                                            placement->bgRect.minY() - distance - height}))
        << position;
  }
}

}  // namespace
}  // namespace brivora
