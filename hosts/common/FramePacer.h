#pragma once

#include <chrono>

namespace brivora {

// When a live host's next frame is due, on the monotonic clock: frames follow one another at
// the views' interval without drifting, and after a stall the pace starts afresh rather than
// rushing to catch up. Once a minute it also says to look at the system's time zone.
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  // How often the system's time zone is looked at, so that a travelling laptop's clock follows.
  static constexpr std::chrono::minutes zoneCheckInterval{1};

  explicit FramePacer(Clock::time_point start) : deadline_(start), nextZoneCheck_(start) {}

  // How long to wait at `now` before the next frame is due, at most `longest`; zero when due.
  std::chrono::milliseconds wait(Clock::time_point now, std::chrono::milliseconds longest) const;

  // Takes the frame due at `now`: the next one comes `interval` seconds after this one.
  void frameTaken(Clock::time_point now, double interval);

  // Nothing is drawn for now (nothing can be seen): the next frame is due at once when there is.
  void idle(Clock::time_point now) { deadline_ = now; }

  // Whether the time zone is to be looked at now; then not again for a minute.
  bool zoneCheckDue(Clock::time_point now);

 private:
  Clock::time_point deadline_;
  Clock::time_point nextZoneCheck_;
};

// Makes SIGINT and SIGTERM ask the process to end (processEndRequested), waking waits without
// restarting them so that a host loop notices at once.
void endOnTerminationSignals();

}  // namespace brivora
