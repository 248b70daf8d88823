#include "hosts/headless/HeadlessSession.h"

#include <gtest/gtest.h>

#include <vector>

#include "backends/recording/RecordingGraphicsContext.h"
#include "platform/ScreenSaverView.h"

namespace brivora {
namespace {

// Notes the clocks at every tick and draw.
class ProbeView final : public ScreenSaverView {
 public:
  ProbeView(Rect frame, Clock& clock) : ScreenSaverView(frame, false), clock_(clock) {
    created = clock.uptime();
  }
  void animateOneFrame() override {
    ticks.push_back(clock_.uptime() - created);
    setNeedsDisplayInRect(bounds());
  }
  void draw(Rect) override {
    drawnAt = clock_.now();
    drawnWith = GraphicsContext::current();
  }

  double created = 0;
  std::vector<double> ticks;
  Date drawnAt;
  GraphicsContext* drawnWith = nullptr;

 private:
  Clock& clock_;
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
      {{0}, {}},
      {{0.1}, {f, 2 * f, 0.1}},
      {{0.05}, {f, 0.05}},
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

TEST(HeadlessSession, DrawsOnTheGivenContextAtTheWallTimeOfTheMoment) {
  HeadlessSession session("HeadlessProbeView", Size{8, 8}, Bundle("/nonexistent"), Date{5000}, 1);
  auto* probe = dynamic_cast<ProbeView*>(session.view());
  session.advanceTo(12.5);
  RecordingGraphicsContext context;
  session.draw(context);
  EXPECT_DOUBLE_EQ(probe->drawnAt.secondsSince1970, 5012.5);
  EXPECT_EQ(probe->drawnWith, &context);
  EXPECT_EQ(GraphicsContext::current(), nullptr);
  EXPECT_FALSE(probe->needsDisplay());
}

}  // namespace
}  // namespace brivora
