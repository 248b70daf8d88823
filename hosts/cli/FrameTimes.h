#pragma once

#include <optional>
#include <vector>

namespace brivora::cli {

// The median and 99th percentile of a set of frame times.
struct FrameTimeSummary {
  double median = 0;
  double p99 = 0;
};

// The median (the mean of the middle two for an even count) and the nearest-rank 99th
// percentile of `milliseconds`; none for an empty set.
std::optional<FrameTimeSummary> summarizeFrameTimes(std::vector<double> milliseconds);

}  // namespace brivora::cli
