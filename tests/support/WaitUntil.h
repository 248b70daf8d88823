#pragma once

#include <chrono>
#include <thread>

namespace brivora::testing {

// How long a host may take to show its first frame (a loaded machine, the sanitizer build's
// start), to cover a monitor that comes while it runs, and to end on a signal. The sanitizer
// build's leak check at exit walks the whole heap first, and the instrumented program is slow
// on a machine shared with other tests that decode: the release build holds the second and the
// 200 ms, that one only covers and ends. `endLimit` is how long a program that must end may
// take before a test calls it hung: not a promptness claim, which `exitLimit` makes.
inline constexpr std::chrono::seconds firstFrameLimit{20};
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::chrono::seconds newMonitorLimit{10};
inline constexpr std::chrono::milliseconds exitLimit{5000};
inline constexpr std::chrono::seconds endLimit{10};
#else
inline constexpr std::chrono::seconds newMonitorLimit{1};
inline constexpr std::chrono::milliseconds exitLimit{200};
inline constexpr std::chrono::seconds endLimit{5};
#endif

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
