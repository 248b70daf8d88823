#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

namespace brivora {

// The display's power state, asked of the server at most once an interval: a round trip each
// frame would cost the server more than the answer is worth, and a display takes seconds to
// wake anyway. The query gives whether the display is on, or nothing where the server cannot
// tell (no power management): it then counts as on.
class DisplayPowerWatch {
 public:
  using Query = std::function<std::optional<bool>()>;
  using Time = std::chrono::steady_clock::time_point;

  static constexpr std::chrono::milliseconds askEvery{1000};

  explicit DisplayPowerWatch(Query query, std::chrono::milliseconds interval = askEvery)
      : query_(std::move(query)), interval_(interval) {}

  // Whether the display is on at `now`: the last answer, or a fresh one when the interval has
  // passed since it was given.
  bool poweredOn(Time now);

 private:
  Query query_;
  std::chrono::milliseconds interval_;
  std::optional<Time> askedAt_;
  bool on_ = true;
};

}  // namespace brivora
