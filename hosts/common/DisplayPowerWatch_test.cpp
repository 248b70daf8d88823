#include "hosts/common/DisplayPowerWatch.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace brivora {
namespace {

using std::chrono::milliseconds;

// The server is asked at most once an interval; its answers, or their absence, are followed.
TEST(DisplayPowerWatch, AsksOnceAnIntervalAndTakesNoAnswerForOn) {
  const DisplayPowerWatch::Time start{};
  const struct {
    int atMilliseconds;
    std::optional<bool> answer;  // what the server would say if asked now
    bool poweredOn;
    int asked;  // questions so far
  } steps[] = {
      {0, true, true, 1},      {400, false, true, 1},         {1000, false, false, 2},
      {1500, true, false, 2},  {2000, std::nullopt, true, 3}, {2999, false, true, 3},
      {3000, false, false, 4},
  };
  std::optional<bool> answer;
  int asked = 0;
  DisplayPowerWatch watch([&] {
    ++asked;
    return answer;
  });
  for (const auto& step : steps) {
    answer = step.answer;
    EXPECT_EQ(watch.poweredOn(start + milliseconds(step.atMilliseconds)), step.poweredOn)
        << step.atMilliseconds;
    EXPECT_EQ(asked, step.asked) << step.atMilliseconds;
  }
}

}  // namespace
}  // namespace brivora
