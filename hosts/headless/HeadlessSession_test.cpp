#include "hosts/headless/HeadlessSession.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ScreenSaverView.h"

namespace brivora {
namespace {

// Notes the moments of its ticks.
class ProbeView final : public ScreenSaverView {
 public:
  ProbeView(Rect frame, Clock& source) : ScreenSaverView(frame, false), clock(source) {}
  void animateOneFrame() override { ticks.push_back(clock.uptime() - created); }
  void draw(Rect) override {}

  Clock& clock;
  const double created = clock.uptime();
  std::vector<double> ticks;
};

const bool probeRegistered =
    registerViewClass("HeadlessProbeView", [](Rect frame, bool, const ViewEnvironment& env) {
      return std::make_unique<ProbeView>(frame, env.clock);
    });

TEST(HeadlessSession, TicksEveryIntervalAndLastExactlyAtTheMoment) {
  struct Row {
    std::vector<double> advances;
    std::vector<double> ticks;
  };
  const double f = 1.0 / 30.0;
  const std::vector<Row> rows = {
      {{0.05, 0.05, 0.02}, {f, 0.05}},
      {{0.1, 0.1 + f}, {f, 2 * f, 0.1, 0.1 + f}},
      {{0.05, 0.09}, {f, 0.05, 2 * f, 0.09}},
  };
  for (const Row& row : rows) {
    HeadlessSession session("HeadlessProbeView", Size{8, 8}, Bundle("/nonexistent"), Date{1000}, 1);
    auto* probe = dynamic_cast<ProbeView*>(session.view());
    ASSERT_NE(probe, nullptr);
    for (double elapsed : row.advances) session.advanceTo(elapsed);
    ASSERT_EQ(probe->ticks.size(), row.ticks.size());
    for (std::size_t at = 0; at < row.ticks.size(); ++at) {
      EXPECT_NEAR(probe->ticks[at], row.ticks[at], 1e-9) << at;
    }
  }
}

}  // namespace
}  // namespace brivora
