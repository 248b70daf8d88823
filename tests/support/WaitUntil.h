#pragma once

#include <chrono>
#include <thread>

namespace brivora::testing {

// Asks `done` every `interval` until it says yes or `limit` has passed; whether it said yes.
// Limits are generous for a loaded machine: a test that passes waits only as long as it must.
template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds limit,
               std::chrono::milliseconds interval = std::chrono::milliseconds(20)) {
  for (const auto until = std::chrono::steady_clock::now() + limit;;
       std::this_thread::sleep_for(interval)) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
  }
}

}  // namespace brivora::testing
