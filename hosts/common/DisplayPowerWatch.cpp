#include "hosts/common/DisplayPowerWatch.h"

namespace brivora {

bool DisplayPowerWatch::poweredOn(Time now) {
  if (askedAt_ && now - *askedAt_ < interval_) return on_;
  askedAt_ = now;
  on_ = query_ ? query_().value_or(true) : true;
  return on_;
}

}  // namespace brivora
