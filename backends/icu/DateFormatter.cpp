#include "platform/DateFormatter.h"

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>

#include <map>
#include <string>

#include "backends/icu/CurrentZone.h"
#include "backends/icu/IcuStrings.h"

namespace brivora {

namespace {

// Patterns a thread has formatted with, ready for the zone they were made in. The clock makes
// its formatters anew every frame; reading ICU's pattern and locale data each time would cost
// far more than formatting.
class FormatCache {
 public:
  std::shared_ptr<icu::SimpleDateFormat> formatFor(std::string_view pattern) {
    const std::uint64_t zone = icu_zone::generation();
    if (zone != zone_ || formats_.size() >= maxPatterns) {
      formats_.clear();
      zone_ = zone;
    }
    const std::string key(pattern);
    if (const auto found = formats_.find(key); found != formats_.end()) return found->second;
    UErrorCode status = U_ZERO_ERROR;
    // The format takes the current time zone now, as the process has it.
    auto format = std::make_shared<icu::SimpleDateFormat>(icu_strings::fromUtf8(pattern),
                                                          icu::Locale("en_US_POSIX"), status);
    if (U_FAILURE(status)) format.reset();
    formats_.emplace(key, format);
    return format;
  }

 private:
  static constexpr std::size_t maxPatterns = 16;
  std::map<std::string, std::shared_ptr<icu::SimpleDateFormat>, std::less<>> formats_;
  std::uint64_t zone_ = 0;
};

}  // namespace

struct DateFormatter::Implementation {
  std::shared_ptr<icu::SimpleDateFormat> format;
};

DateFormatter::DateFormatter(std::string_view pattern)
    : implementation_(std::make_unique<Implementation>()) {
  thread_local FormatCache cache;
  implementation_->format = cache.formatFor(pattern);
}

DateFormatter::~DateFormatter() = default;

std::string DateFormatter::string(Date date) const {
  if (!implementation_->format) return {};
  icu::UnicodeString text;
  implementation_->format->format(date.secondsSince1970 * 1000.0, text);
  return icu_strings::toUtf8(text);
}

}  // namespace brivora
