#pragma once

#include "platform/Date.h"

namespace brivora {

// Where the view reads time. Called on the drawing thread.
class Clock {
 public:
  virtual ~Clock() = default;

  // Wall time, for what people read: the clock, the date, the countdown. May jump.
  virtual Date now() = 0;

  // Monotonic seconds from an arbitrary start, for timing the slideshow. Never goes back.
  virtual double uptime() = 0;
};

// The machine's clocks.
class SystemClock final : public Clock {
 public:
  Date now() override;
  double uptime() override;
};

// A clock that moves only when told: for headless rendering and tests.
class ManualClock final : public Clock {
 public:
  ManualClock(Date wallTime, double uptimeSeconds) : wall_(wallTime), uptime_(uptimeSeconds) {}

  Date now() override { return wall_; }
  double uptime() override { return uptime_; }

  // Moves both clocks forward by `seconds`.
  void advance(double seconds) {
    wall_.secondsSince1970 += seconds;
    uptime_ += seconds;
  }

  // Steps the wall clock alone, as a user or NTP setting the time would.
  void setWallTime(Date wallTime) { wall_ = wallTime; }

  // Puts both clocks at a given moment; `uptimeSeconds` must not go back.
  void set(Date wallTime, double uptimeSeconds) {
    wall_ = wallTime;
    uptime_ = uptimeSeconds;
  }

 private:
  Date wall_;
  double uptime_;
};

}  // namespace brivora
