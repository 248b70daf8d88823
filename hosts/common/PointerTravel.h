#pragma once

namespace brivora {

// Whether the pointer has moved far enough to end a standalone full screen. Reports in the first
// moments only set where it rests: windows appearing under a still pointer, or a compositor that
// first tells where the pointer is then, report it as if it had moved.
class PointerTravel {
 public:
  // Farther than this from where the pointer rested, in screen pixels, ends it.
  static constexpr int limitPixels = 10;
  // For this long after the start, reports only set where the pointer rests.
  static constexpr double settleSeconds = 0.5;

  // Starts watching at `startSeconds`, a moment of the clock later reports use.
  explicit PointerTravel(double startSeconds) : settledAt_(startSeconds + settleSeconds) {}

  // The pointer was at (`x`, `y`) at `seconds`; whether it is now farther than the limit from
  // where it rested.
  bool movedTooFar(int x, int y, double seconds) {
    if (!rested_ || seconds < settledAt_) {
      rested_ = true;
      restX_ = x;
      restY_ = y;
      return false;
    }
    const long dx = x - restX_;
    const long dy = y - restY_;
    return dx * dx + dy * dy > long{limitPixels} * limitPixels;
  }

 private:
  double settledAt_;
  bool rested_ = false;
  int restX_ = 0;
  int restY_ = 0;
};

}  // namespace brivora
