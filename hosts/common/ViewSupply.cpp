#include "hosts/common/ViewSupply.h"

#include <limits>
#include <utility>

namespace brivora {

ViewSupply::ViewSupply(Bundle bundle, MonitorMode mode, Clock& clock, std::uint64_t seed)
    : bundle_(std::move(bundle)), mode_(mode), clock_(clock), frameClock_(clock), random_(seed) {
  startGroup();
}

std::unique_ptr<ViewSeat> ViewSupply::seat() {
  switch (mode_) {
    case MonitorMode::each:
      return std::make_unique<ViewSeat>(bundle_, clock_, random_, &claims_);
    case MonitorMode::same:
      return std::make_unique<ViewSeat>(bundle_, frameClock_, groupSeed_);
    case MonitorMode::span:
      break;
  }
  return std::make_unique<ViewSeat>(bundle_, clock_, random_, nullptr);
}

void ViewSupply::startGroup() {
  if (mode_ != MonitorMode::same) return;
  groupSeed_ = random_.uniformInteger(std::numeric_limits<std::uint64_t>::max());
}

}  // namespace brivora
