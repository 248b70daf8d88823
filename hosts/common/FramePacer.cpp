#include "hosts/common/FramePacer.h"

#include <csignal>

#include "platform/ProcessEnd.h"

namespace brivora {

std::chrono::milliseconds FramePacer::wait(Clock::time_point now,
                                           std::chrono::milliseconds longest) const {
  if (now >= deadline_) return std::chrono::milliseconds::zero();
  return std::min(longest, std::chrono::ceil<std::chrono::milliseconds>(deadline_ - now));
}

void FramePacer::frameTaken(Clock::time_point now, double interval) {
  const auto step = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(interval > 0 ? interval : 1.0 / 30.0));
  deadline_ += step;
  if (deadline_ < now) deadline_ = now + step;
}

bool FramePacer::zoneCheckDue(Clock::time_point now) {
  if (now < nextZoneCheck_) return false;
  nextZoneCheck_ = now + zoneCheckInterval;
  return true;
}

namespace {

void requestEnd(int) {
  requestProcessEnd();
}

}  // namespace

void endOnTerminationSignals() {
  struct sigaction action {};
  action.sa_handler = requestEnd;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace brivora
