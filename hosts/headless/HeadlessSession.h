#pragma once

#include <cstdint>
#include <memory>

#include "platform/Clock.h"
#include "platform/GraphicsContext.h"
#include "platform/RandomSource.h"
#include "platform/ScreenSaverView.h"
#include "platform/ViewRegistry.h"

namespace brivora {

// A view driven as a host drives it, on a simulated clock: created at elapsed 0, ticked every
// animation interval of simulated time, and drawn on demand. Loading files takes no simulated
// time, so every run of the same moment draws the same frame.
class HeadlessSession {
 public:
  // Creates the view of class `className` with a frame of `size`. `wallTimeAtCreation` is
  // what the wall clock reads at elapsed 0. `view()` is null when the class yields no view.
  HeadlessSession(std::string_view className, Size size, const Bundle& bundle,
                  Date wallTimeAtCreation, std::uint64_t seed);

  ScreenSaverView* view() const { return view_.get(); }
  double elapsed() const { return elapsed_; }

  // Ticks the view at every animation interval after the last tick up to `elapsed`, the last
  // tick exactly at `elapsed`; nothing when `elapsed` is not later than the last tick.
  void advanceTo(double elapsed);

  // Draws the view on `context` as a host's drawing pass would.
  void draw(GraphicsContext& context);

  // Steps the simulated wall clock alone, as a user setting the time would.
  void setWallTime(Date wallTime);

 private:
  ManualClock clock_;
  SeededRandomSource random_;
  std::unique_ptr<ScreenSaverView> view_;
  double elapsed_ = 0;
  std::int64_t ticks_ = 0;
};

}  // namespace brivora
