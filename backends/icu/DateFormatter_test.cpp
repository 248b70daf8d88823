#include "platform/DateFormatter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/support/ZoneScope.h"

namespace brivora {
namespace {

// Saturday 2026-12-05 at 14:05:09 UTC.
constexpr Date saturdayAfternoonUtc{1796479509};

TEST(DateFormatter, WritesPatternsInEnglishInTheCurrentZone) {
  const struct {
    std::string_view zone;
    Date date;
    std::string_view pattern;
    std::string_view text;
  } cases[] = {
      {"UTC", saturdayAfternoonUtc, "h:mm", "2:05"},
      {"UTC", saturdayAfternoonUtc, "EEEE, MMM d", "Saturday, Dec 5"},
      // The same pattern in zone after zone: a format made in one zone is not reused in the next.
      // Five past nine in the morning in Tokyo is the same instant minus 14 hours there.
      {"Asia/Tokyo", Date{saturdayAfternoonUtc.secondsSince1970 - 14 * 3600}, "h:mm a", "9:05 AM"},
      // West of Greenwich the same instant is still the morning.
      {"America/Los_Angeles", saturdayAfternoonUtc, "h:mm a", "6:05 AM"},
      // East of the date line it is already Sunday.
      {"Pacific/Kiritimati", saturdayAfternoonUtc, "EEEE, MMM d", "Sunday, Dec 6"},
      // Midnight in the twelve-hour clock.
      {"UTC", Date{1796428800}, "h:mm a", "12:00 AM"},
      {"UTC", saturdayAfternoonUtc, "", ""},
  };
  for (const auto& c : cases) {
    const ZoneScope zone(c.zone);
    EXPECT_EQ(DateFormatter(c.pattern).string(c.date), c.text) << c.zone << " " << c.pattern;
  }
}

TEST(SystemTimeZone, FollowsTheZoneTheCLibraryReadsOnceItChanges) {
  const struct {
    const char* tz;
    std::string_view offset;  // on Saturday afternoon in December
  } cases[] = {
      {"Asia/Tokyo", "+09:00"},
      {":America/New_York", "-05:00"},
      // A zone file named by its path, in its summer with a half-hour offset.
      {":/usr/share/zoneinfo/Australia/Adelaide", "+10:30"},
      // A rule without a zone name: the offset alone.
      {"XYZ-9", "+09:00"},
  };
  const ZoneScope utc("UTC");
  for (const auto& c : cases) {
    setenv("TZ", c.tz, 1);
    EXPECT_TRUE(followSystemTimeZone()) << c.tz;
    EXPECT_FALSE(followSystemTimeZone()) << c.tz << ": nothing changed the second time";
    EXPECT_EQ(DateFormatter("xxx").string(saturdayAfternoonUtc), c.offset) << c.tz;
  }
}

}  // namespace
}  // namespace brivora
