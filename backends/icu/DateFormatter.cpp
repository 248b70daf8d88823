#include "platform/DateFormatter.h"

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>

#include "backends/icu/IcuStrings.h"

namespace brivora {

struct DateFormatter::Implementation {
  std::unique_ptr<icu::SimpleDateFormat> format;
};

DateFormatter::DateFormatter(std::string_view pattern)
    : implementation_(std::make_unique<Implementation>()) {
  UErrorCode status = U_ZERO_ERROR;
  // The format takes the default time zone now, as the process has it.
  auto format = std::make_unique<icu::SimpleDateFormat>(icu_strings::fromUtf8(pattern),
                                                        icu::Locale("en_US_POSIX"), status);
  if (U_SUCCESS(status)) implementation_->format = std::move(format);
}

DateFormatter::~DateFormatter() = default;

std::string DateFormatter::string(Date date) const {
  if (!implementation_->format) return {};
  icu::UnicodeString text;
  implementation_->format->format(date.secondsSince1970 * 1000.0, text);
  return icu_strings::toUtf8(text);
}

}  // namespace brivora
