#pragma once

#include "platform/Clock.h"

namespace brivora {

// A clock that stands still between two `latch` calls, so that every view ticked and drawn in
// one frame reads the same moment: views that start in step stay in step, however long each
// takes to load and draw.
class FrameClock final : public Clock {
 public:
  // Latches `source` at once.
  explicit FrameClock(Clock& source) : source_(source) { latch(); }

  // Reads the source; the clock shows that moment until the next call.
  void latch() {
    wall_ = source_.now();
    uptime_ = source_.uptime();
  }

  Date now() override { return wall_; }
  double uptime() override { return uptime_; }

 private:
  Clock& source_;
  Date wall_;
  double uptime_ = 0;
};

}  // namespace brivora
