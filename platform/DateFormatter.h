#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Date.h"

namespace brivora {

// Formats dates with a UTS #35 pattern ("h:mm", "EEEE, MMM d", "a") in the locale
// "en_US_POSIX" and the process's current time zone at the formatter's creation, so names
// are English whatever the user's language. Use it on the thread that made it.
class DateFormatter {
 public:
  explicit DateFormatter(std::string_view pattern);
  ~DateFormatter();
  DateFormatter(const DateFormatter&) = delete;
  DateFormatter& operator=(const DateFormatter&) = delete;

  // The date as the pattern writes it; empty for a pattern the formatter cannot read.
  std::string string(Date date) const;

 private:
  struct Implementation;
  std::unique_ptr<Implementation> implementation_;
};

}  // namespace brivora
