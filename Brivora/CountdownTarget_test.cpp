#include "Brivora/CountdownTarget.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/ZoneScope.h"

namespace brivora {
namespace {

std::optional<std::string> parsedInUtc(std::string_view text) {
  std::optional<Date> date = parseDate(text);
  if (!date) return std::nullopt;
  return formatInternetDateTime(*date);
}

struct DateCase {
  std::string_view zone;
  std::string_view text;
  std::optional<std::string> utc;
};

TEST(ParseDate, TriesInternetDateTimeThenFractionsThenPlainLocalDate) {
  const DateCase cases[] = {
      {"UTC", "", std::nullopt},
      // The machine's zone moves no date with an offset. (Offsets and fractions themselves are
      // the internet date parser's to pin.)
      {"America/Los_Angeles", "2026-06-11T16:00:00Z", "2026-06-11T16:00:00.000Z"},
      {"UTC", "2026-06-11T16:00:00.250Z", "2026-06-11T16:00:00.250Z"},
      // A plain date is midnight where the machine is.
      {"America/New_York", "2026-06-11", "2026-06-11T04:00:00.000Z"},
      {"Asia/Kolkata", "2027-01-01", "2026-12-31T18:30:00.000Z"},
      {"UTC", "2024-02-29", "2024-02-29T00:00:00.000Z"},
      // Nothing is trimmed before any attempt.
      {"UTC", " 2026-06-11", std::nullopt},
      {"UTC", "2026-06-11 ", std::nullopt},
      {"UTC", "2026-13-01", std::nullopt},
      {"UTC", "2026-02-30", std::nullopt},
      {"UTC", "11/06/2026", std::nullopt},
  };
  for (const DateCase& row : cases) {
    ZoneScope zone(row.zone);
    EXPECT_EQ(parsedInUtc(row.text), row.utc) << row.text << " in " << row.zone;
  }
}

}  // namespace
}  // namespace brivora
