// countdownTo texts, read as the view reads them.
#include <cmath>

#include "Brivora/CountdownTarget.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTargets.h"

namespace brivora::fuzzing {

namespace {

// Internet date-times are written with milliseconds, so reading one back may differ by half.
constexpr double writtenPrecisionSeconds = 0.0005;

}  // namespace

void fuzzDate(std::string_view input) {
  const std::optional<Date> date = parseDate(input);
  if (!date) return;
  requireThat(std::isfinite(date->secondsSince1970), "a countdown target is a finite moment");
  // `inspect countdown` prints the target this way; a four-digit year must read back.
  const std::string written = formatInternetDateTime(*date);
  if (written.size() != 24 || written[0] < '0' || written[0] > '9') return;
  const std::optional<Date> reread = parseInternetDateTime(written, FractionalSeconds::required);
  requireThat(reread.has_value(), "a written countdown target parses");
  // Far from 1970 a double holds seconds less finely (about 30 µs in the year 9999).
  const double representable = std::abs(date->secondsSince1970) * 4e-16 + 1e-6;
  requireThat(std::abs(reread->secondsSince1970 - date->secondsSince1970) <=
                  writtenPrecisionSeconds + representable,
              "a written countdown target reads back as the same moment");
}

}  // namespace brivora::fuzzing
