#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "platform/Date.h"

namespace brivora {
namespace {

TEST(ParseInternetDateTime, ReadsExactlyTheInternetForm) {
  constexpr auto none = FractionalSeconds::absent;
  constexpr auto required = FractionalSeconds::required;
  const std::tuple<std::string_view, FractionalSeconds, std::optional<double>> cases[] = {
      {"1970-01-01T00:00:00Z", none, 0.0},
      {"1970-01-01t00:00:01z", none, 1.0},
      {"1969-12-31T23:59:59Z", none, -1.0},
      {"2000-02-29T12:00:00+12:00", none, 951782400.0},
      {"2026-06-11T16:00:00-00:00", none, 1781193600.0},
      {"2026-06-11T16:00:00.125Z", required, 1781193600.125},
      // Fractions are refused without the option and demanded with it.
      {"2026-06-11T16:00:00.125Z", none, std::nullopt},
      {"2026-06-11T16:00:00Z", required, std::nullopt},
      {"2026-06-11T16:00:00.Z", required, std::nullopt},
      {"2026-06-11T16:00:00+0200", none, std::nullopt},
      {"2026-06-11T16:00:00+24:00", none, std::nullopt},
      {"2026-06-11T24:00:00Z", none, std::nullopt},
      {"2026-06-11T16:60:00Z", none, std::nullopt},
      {"2026-06-11T16:00:60Z", none, std::nullopt},
      {"2025-02-29T00:00:00Z", none, std::nullopt},
      {"1900-02-29T00:00:00Z", none, std::nullopt},
      {"2026-00-10T00:00:00Z", none, std::nullopt},
      {"2026-6-11T16:00:00Z", none, std::nullopt},
      {"2026-06-11T16:00:00ZZ", none, std::nullopt},
      {"", none, std::nullopt},
  };
  for (const auto& [text, fraction, seconds] : cases) {
    std::optional<Date> date = parseInternetDateTime(text, fraction);
    ASSERT_EQ(date.has_value(), seconds.has_value()) << text;
    if (date) {
      EXPECT_DOUBLE_EQ(date->secondsSince1970, *seconds) << text;
    }
  }
}

TEST(FormatInternetDateTime, WritesUtcWithMilliseconds) {
  const std::pair<double, std::string_view> cases[] = {
      {0.0, "1970-01-01T00:00:00.000Z"},
      {-0.001, "1969-12-31T23:59:59.999Z"},
      {253402300799.0, "9999-12-31T23:59:59.000Z"},
  };
  for (const auto& [seconds, text] : cases) {
    EXPECT_EQ(formatInternetDateTime(Date{seconds}), text) << seconds;
  }
}

}  // namespace
}  // namespace brivora
