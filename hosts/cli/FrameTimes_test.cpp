#include "hosts/cli/FrameTimes.h"

#include <gtest/gtest.h>

#include <numeric>

namespace brivora::cli {
namespace {

TEST(FrameTimes, MedianAndNearestRankPercentile) {
  struct Case {
    std::vector<double> times;
    double median;
    double p99;
  };
  std::vector<double> hundred(100);
  std::iota(hundred.begin(), hundred.end(), 1.0);
  std::vector<double> twoHundredOne(201);
  std::iota(twoHundredOne.begin(), twoHundredOne.end(), 1.0);
  const Case cases[] = {
      {{4, 2}, 3, 4},
      // The 99th of a hundred is the 99th smallest, not the largest.
      {hundred, 50.5, 99},
      // ceil(0.99 × 201) = 199.
      {twoHundredOne, 101, 199},
  };
  for (const Case& c : cases) {
    const auto summary = summarizeFrameTimes(c.times);
    ASSERT_TRUE(summary.has_value());
    EXPECT_DOUBLE_EQ(summary->median, c.median) << c.times.size();
    EXPECT_DOUBLE_EQ(summary->p99, c.p99) << c.times.size();
  }
  EXPECT_FALSE(summarizeFrameTimes({}).has_value());
}

}  // namespace
}  // namespace brivora::cli
