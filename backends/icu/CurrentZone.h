#pragma once

#include <cstdint>

namespace brivora::icu_zone {

// Counts the changes of the process's current time zone made through `setCurrentTimeZone`,
// so that anything made for one zone knows when it has gone stale.
std::uint64_t generation();
void noteChange();

}  // namespace brivora::icu_zone
