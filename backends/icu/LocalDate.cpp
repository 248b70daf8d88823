#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/ucal.h>
#include <unicode/uchar.h>
#include <unicode/udat.h>
#include <unicode/unistr.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "backends/icu/CurrentZone.h"
#include "backends/icu/IcuStrings.h"
#include "platform/Date.h"

namespace brivora {

namespace {

using icu_strings::fromUtf8;

std::atomic<std::uint64_t> zoneChanges{0};

}  // namespace

std::uint64_t icu_zone::generation() {
  return zoneChanges.load();
}

void icu_zone::noteChange() {
  ++zoneChanges;
}

std::optional<Date> parseLocalDate(std::string_view text, std::string_view pattern) {
  UErrorCode status = U_ZERO_ERROR;
  icu::SimpleDateFormat format(fromUtf8(pattern), icu::Locale("en_US_POSIX"), status);
  if (U_FAILURE(status)) return std::nullopt;
  format.setLenient(false);
  // The text must be the date and nothing else: no white space around it, no partial match.
  format.setBooleanAttribute(UDAT_PARSE_ALLOW_WHITESPACE, false, status);
  format.setBooleanAttribute(UDAT_PARSE_ALLOW_NUMERIC, false, status);
  format.setBooleanAttribute(UDAT_PARSE_PARTIAL_LITERAL_MATCH, false, status);
  if (U_FAILURE(status)) return std::nullopt;
  const icu::UnicodeString wide = fromUtf8(text);
  // ICU skips white space before a numeric field whatever the attributes say.
  if (!wide.isEmpty() && u_isUWhiteSpace(wide.char32At(0))) return std::nullopt;
  icu::ParsePosition position(0);
  UDate parsed = format.parse(wide, position);
  if (position.getErrorIndex() >= 0 || position.getIndex() != wide.length()) {
    return std::nullopt;
  }
  return Date{parsed / 1000.0};
}

bool setCurrentTimeZone(std::string_view zoneId) {
  const icu::UnicodeString id = fromUtf8(zoneId);
  std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(id));
  if (!zone) return false;
  icu::UnicodeString resolvedId;
  zone->getID(resolvedId);
  if (resolvedId == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID)) return false;
  icu::TimeZone::adoptDefault(zone.release());
  icu_zone::noteChange();
  // Keep the C library in step, for anything that formats with it.
  const std::string value(zoneId);
  ::setenv("TZ", value.c_str(), 1);
  ::tzset();
  return true;
}

}  // namespace brivora
