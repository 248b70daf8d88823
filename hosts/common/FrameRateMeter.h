#pragma once

#include <chrono>

namespace brivora {

// The frame rate in the lower-left corner, as XScreenSaver hacks show it with -fps.
class FrameRateMeter {
 public:
  // Counts a frame shown; the rate is worked out about once a second.
  void frameShown();

  // Draws the rate on the current graphics context.
  void draw() const;

 private:
  using Steady = std::chrono::steady_clock;
  Steady::time_point since_ = Steady::now();
  int frames_ = 0;
  double rate_ = 0;
};

}  // namespace brivora
