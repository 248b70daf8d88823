#include "hosts/cli/FrameTimes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace brivora::cli {

std::optional<FrameTimeSummary> summarizeFrameTimes(std::vector<double> milliseconds) {
  if (milliseconds.empty()) return std::nullopt;
  std::sort(milliseconds.begin(), milliseconds.end());
  const std::size_t count = milliseconds.size();
  const double median = count % 2 == 1
                            ? milliseconds[count / 2]
                            : (milliseconds[count / 2 - 1] + milliseconds[count / 2]) / 2;
  // The smallest time that at least 99 % of the frames do not exceed.
  const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(count)));
  return FrameTimeSummary{median, milliseconds[std::max<std::size_t>(rank, 1) - 1]};
}

}  // namespace brivora::cli
