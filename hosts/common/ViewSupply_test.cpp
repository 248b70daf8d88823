#include "hosts/common/ViewSupply.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Brivora/KovaltaScreensaverView.h"
#include "tests/support/ViewHarness.h"

namespace brivora {
namespace {

TEST(ViewSupply, SameModeViewsMoveInStepAndEachModeViewsApart) {
  for (const MonitorMode mode : {MonitorMode::same, MonitorMode::each}) {
    const bool same = mode == MonitorMode::same;
    SCOPED_TRACE(same ? "same" : "each");
    testing::TempBundle bundle;
    bundle.write("theme.json", R"({"cycleSeconds": 2, "crossfadeSeconds": 0.5})");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"}) {
      bundle.write(std::string("wallpapers/") + name, "");
    }
    ManualClock clock{Date{1'800'000'000}, 100};
    testing::FakeImages images;
    // Loads take time, so that views made one after the other would start apart.
    images.onLoad = [&clock] { clock.advance(0.05); };
    ViewSupply supply(bundle.bundle(), mode, clock, 42);
    supply.beginFrame();
    std::vector<std::unique_ptr<ViewSeat>> seats;
    std::vector<std::unique_ptr<KovaltaScreensaverView>> views;
    for (const Size size : {Size{1280, 720}, Size{800, 450}}) {
      seats.push_back(supply.seat());
      views.push_back(std::make_unique<KovaltaScreensaverView>(Rect{Point{}, size}, false,
                                                               seats.back()->environment()));
    }
    const KovaltaScreensaverView &first = *views[0], &second = *views[1];
    for (int tick = 0; tick < 600; ++tick) {
      clock.advance(1.0 / 30);
      supply.beginFrame();
      for (const auto& view : views) view->animateOneFrame();
      if (same) {
        ASSERT_EQ(first.currentIndex(), second.currentIndex()) << tick;
        ASSERT_EQ(first.nextIndex(), second.nextIndex()) << tick;
        ASSERT_EQ(first.currentPan(), second.currentPan()) << tick;
        ASSERT_EQ(first.isCrossfading(), second.isCrossfading()) << tick;
      } else {
        ASSERT_NE(first.currentIndex(), second.currentIndex()) << tick;
      }
    }
  }
}

}  // namespace
}  // namespace brivora
