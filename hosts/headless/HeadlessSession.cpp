#include "hosts/headless/HeadlessSession.h"

#include <cmath>

namespace brivora {

namespace {

// Where the simulated monotonic clock starts; any value works, a round one reads well.
constexpr double uptimeAtCreation = 1000;

}  // namespace

HeadlessSession::HeadlessSession(std::string_view className, Size size, const Bundle& bundle,
                                 Date wallTimeAtCreation, std::uint64_t seed)
    : clock_(wallTimeAtCreation, uptimeAtCreation), random_(seed) {
  const ViewEnvironment environment{bundle, clock_, random_};
  view_ = createView(className, Rect{Point{}, size}, false, environment);
}

void HeadlessSession::advanceTo(double elapsed) {
  if (!view_ || !(elapsed > elapsed_)) return;
  const double interval =
      view_->animationTimeInterval() > 0 ? view_->animationTimeInterval() : 1.0 / 30.0;
  const Date wallAtCreation{clock_.now().secondsSince1970 - (clock_.uptime() - uptimeAtCreation)};
  auto tickAt = [&](double moment) {
    clock_.set(Date{wallAtCreation.secondsSince1970 + moment}, uptimeAtCreation + moment);
    elapsed_ = moment;
    view_->animateOneFrame();
  };
  // Tick moments are whole multiples of the interval, computed afresh, so no error builds up.
  for (;;) {
    const double moment = static_cast<double>(ticks_ + 1) * interval;
    if (moment >= elapsed) break;
    ++ticks_;
    if (moment > elapsed_) tickAt(moment);
  }
  tickAt(elapsed);
}

void HeadlessSession::draw(GraphicsContext& context) {
  if (!view_) return;
  const CurrentGraphicsContext current(context);
  view_->draw(view_->bounds());
  view_->clearNeedsDisplay();
}

void HeadlessSession::setWallTime(Date wallTime) {
  clock_.setWallTime(wallTime);
}

}  // namespace brivora
