#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace brivora {

// An absolute point in time, in seconds since 1970-01-01T00:00:00Z.
struct Date {
  double secondsSince1970 = 0;

  friend auto operator<=>(const Date&, const Date&) = default;
};

enum class FractionalSeconds { absent, required };

// An RFC 3339 internet date-time: "2026-06-11T16:00:00Z" or "...+02:00", and with `required`
// fractional seconds ("2026-06-11T16:00:00.250Z"). The whole text must match; nothing is
// trimmed. None for any other text or an impossible date or time.
std::optional<Date> parseInternetDateTime(std::string_view text, FractionalSeconds fraction);

// The date in UTC with milliseconds: "2026-06-11T16:00:00.000Z".
std::string formatInternetDateTime(Date date);

// A date read with a UTS #35 pattern (such as "yyyy-MM-dd") in the locale "en_US_POSIX" and the
// process's current time zone, strictly: the whole text must match. Fields the pattern lacks
// take their start values, so a plain date means local midnight at the start of that day.
std::optional<Date> parseLocalDate(std::string_view text, std::string_view pattern);

// Makes `zoneId` (an IANA name such as "Europe/Berlin", or "UTC") the process's current time
// zone for every date operation here. False, with nothing changed, for an unknown name.
bool setCurrentTimeZone(std::string_view zoneId);

// Makes the process's current time zone the system's as it is now, should it have changed
// since the last call: `/etc/localtime` replaced, retargeted or mounted over, or the file `TZ`
// names changed. True when the zone changed. Costs a few system calls when nothing changed;
// hosts call it now and then (a minute apart), never per frame.
bool followSystemTimeZone();

}  // namespace brivora
