#include "hosts/cli/FrameTimes.h"

#include <gtest/gtest.h>

#include <numeric>
#include <tuple>
#include <vector>

namespace brivora::cli {
namespace {

TEST(FrameTimes, MedianAndNearestRankPercentile) {
  // Times in descending order, so the summary must sort them. The 99th of a hundred is the 99th
  // smallest, not the largest; of 201, ceil(0.99 × 201) = 199.
  const std::tuple<int, double, double> cases[] = {{2, 1.5, 2}, {100, 50.5, 99}, {201, 101, 199}};
  for (const auto& [count, median, p99] : cases) {
    std::vector<double> times(static_cast<std::size_t>(count));
    std::iota(times.rbegin(), times.rend(), 1.0);
    const auto summary = summarizeFrameTimes(times);
    ASSERT_TRUE(summary.has_value());
    EXPECT_DOUBLE_EQ(summary->median, median) << count;
    EXPECT_DOUBLE_EQ(summary->p99, p99) << count;
  }
  EXPECT_FALSE(summarizeFrameTimes({}).has_value());
}

}  // namespace
}  // namespace brivora::cli
