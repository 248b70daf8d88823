#include "platform/Clock.h"

#include <chrono>

namespace brivora {

Date SystemClock::now() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return Date{std::chrono::duration<double>(sinceEpoch).count()};
}

double SystemClock::uptime() {
  const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(sinceStart).count();
}

}  // namespace brivora
