#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "Brivora/KovaltaScreensaverView.h"
#include "platform/ViewRegistry.h"
#include "platform/WallpaperClaims.h"
#include "tests/support/ViewHarness.h"

namespace brivora {
namespace {

using testing::ViewHarness;

std::string timing(double cycleSeconds, double crossfadeSeconds) {
  return "{\"cycleSeconds\": " + std::to_string(cycleSeconds) +
         ", \"crossfadeSeconds\": " + std::to_string(crossfadeSeconds) + "}";
}

TEST(Slideshow, TicksChangeStateAtTheirThresholdsInclusive) {
  struct Row {
    const char* what;
    double cycle;
    double crossfade;
    std::vector<double> ticks;
    bool crossfading;
    int cycleChanges;
    double loadSeconds = 0;  // how long each load takes
  };
  const std::vector<Row> rows = {
      {"before the window", 30, 1.5, {10, 28.49}, false, 0},
      {"exactly at the window", 30, 1.5, {28.5}, true, 0},
      {"exactly at the cycle's end", 30, 1.5, {28.5, 30}, false, 1},
      {"cycle end without a tick in the window cuts", 30, 1.5, {28.4, 30}, false, 1},
      {"no window when crossfade is 0", 30, 0, {29.99}, false, 0},
      {"negative crossfade never starts one", 30, -5, {29.99}, false, 0},
      {"crossfade as long as the cycle starts at once", 30, 30, {0.001}, true, 0},
      {"crossfade longer than the cycle starts at once", 30, 45, {0.001}, true, 0},
      {"the changing tick does not also crossfade", 30, 45, {0.5, 30}, false, 1},
      {"a long pause changes the cycle once", 30, 1.5, {500}, false, 1},
      {"a late change times the next cycle from itself", 30, 1.5, {31, 59.4}, false, 1},
      {"and its window from there too", 30, 1.5, {31, 59.5}, true, 1},
      {"zero cycle changes at every tick", 0, 1.5, {0, 0.01, 0.02}, false, 3},
      {"negative cycle changes at every tick", -1, 0, {0, 0.01}, false, 2},
      // The change at 30 ends at 35: loading does not shorten the next cycle.
      {"a cycle starts once its image has loaded", 30, 1.5, {30, 63.4}, false, 1, 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ViewHarness harness(timing(row.cycle, row.crossfade), {"a.jpg", "b.jpg"});
    harness.images.onLoad = [&] { harness.clock.advance(row.loadSeconds); };
    KovaltaScreensaverView& view = harness.create();
    const int loadsAfterCreation = harness.images.loads;
    for (double tick : row.ticks) harness.tickAt(tick);
    EXPECT_EQ(view.isCrossfading(), row.crossfading);
    EXPECT_EQ(harness.images.loads - loadsAfterCreation, row.cycleChanges);
    EXPECT_TRUE(view.needsDisplay());
  }
}

TEST(Slideshow, WallpaperCountsGiveTheirOrdersAndImagesAreHandedOver) {
  struct Row {
    std::vector<std::string> files;
    std::vector<std::int64_t> scripted;  // draws the random source gives first
    std::vector<std::pair<std::int64_t, std::int64_t>> expected;  // (current, next) per cycle
  };
  const std::vector<Row> rows = {
      {{"a.jpg"}, {}, {{0, 0}, {0, 0}, {0, 0}}},
      {{"a.jpg", "b.jpg"}, {1}, {{1, 0}, {0, 1}, {1, 0}, {0, 1}}},
      // Draws equal to the index to avoid are drawn again.
      {{"a.jpg", "b.jpg", "c.jpg"}, {2, 2, 2, 0, 0, 0, 1}, {{2, 0}, {0, 1}}},
  };
  for (const Row& row : rows) {
    ViewHarness harness(timing(30, 1.5), row.files);
    for (std::int64_t draw : row.scripted) harness.random.integers.push_back(draw);
    KovaltaScreensaverView& view = harness.create();
    for (std::size_t cycle = 0; cycle < row.expected.size(); ++cycle) {
      SCOPED_TRACE(std::to_string(row.files.size()) + " files, cycle " + std::to_string(cycle));
      EXPECT_EQ(view.currentIndex(), row.expected[cycle].first);
      EXPECT_EQ(view.nextIndex(), row.expected[cycle].second);
      // The incoming image is handed over, and the next is a fresh load even of the same file.
      const Image* incoming = view.nextImage();
      ASSERT_NE(incoming, view.currentImage());
      harness.tickAt(30.0 * static_cast<double>(cycle + 1));
      EXPECT_EQ(view.currentImage(), incoming);
    }
  }
}

TEST(Slideshow, CyclesNeverRepeatBackToBackVisitAllAndHandOverPansOfTheDrawnAngle) {
  const std::vector<std::string> names = {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"};
  ViewHarness alone(timing(1, 0.5), names);
  ViewHarness claiming(timing(1, 0.5), names);
  alone.random.doubles = claiming.random.doubles = {0.0, std::acos(-1.0) / 2};
  KovaltaScreensaverView& plain = alone.create();
  // A view alone among claims draws the same sequence as one without them.
  WallpaperClaims claims;
  const ViewEnvironment environment{claiming.bundle.bundle(), claiming.clock, claiming.random,
                                    &claims};
  KovaltaScreensaverView withClaims(Rect{0, 0, 160, 90}, false, environment);
  EXPECT_TRUE(testing::near(plain.currentPan(), {0.02, 0}, 1e-12));
  EXPECT_TRUE(testing::near(plain.nextPan(), {0, 0.02}, 1e-12));
  std::set<std::int64_t> seen;
  for (int cycle = 1; cycle <= 500; ++cycle) {
    ASSERT_EQ(plain.currentIndex(), withClaims.currentIndex());
    ASSERT_EQ(plain.nextIndex(), withClaims.nextIndex());
    ASSERT_EQ(plain.nextPan(), withClaims.nextPan());
    ASSERT_NE(plain.currentIndex(), plain.nextIndex());
    ASSERT_GE(plain.currentIndex(), 0);
    ASSERT_LT(plain.currentIndex(), 5);
    ASSERT_NEAR(std::hypot(plain.nextPan().x, plain.nextPan().y), 0.02, 1e-12);
    seen.insert(plain.currentIndex());
    const Point incomingPan = plain.nextPan();
    alone.clock.advance(1);
    claiming.clock.advance(1);
    plain.animateOneFrame();
    withClaims.animateOneFrame();
    ASSERT_EQ(plain.currentPan(), incomingPan);
  }
  EXPECT_EQ(seen.size(), 5u);
}

TEST(Slideshow, ViewsSideBySideShowDifferentWallpapersWhileThereAreEnough) {
  struct Row {
    int views;
    int wallpapers;
    bool enough;  // two per view: what each shows and what it brings in next
  };
  const Row rows[] = {{2, 4, true}, {3, 6, true}, {3, 10, true}, {2, 3, false}, {3, 2, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.views) + " views, " + std::to_string(row.wallpapers));
    std::vector<std::string> names;
    for (int at = 0; at < row.wallpapers; ++at) names.push_back(std::to_string(at) + ".jpg");
    ViewHarness harness(timing(1, 0.5), names);
    WallpaperClaims claims;
    const ViewEnvironment environment{harness.bundle.bundle(), harness.clock, harness.random,
                                      &claims};
    std::vector<std::unique_ptr<KovaltaScreensaverView>> views;
    for (int at = 0; at < row.views; ++at) {
      // Created apart, so that their cycles change at different ticks.
      harness.clock.advance(0.3);
      views.push_back(
          std::make_unique<KovaltaScreensaverView>(Rect{0, 0, 160, 90}, false, environment));
    }
    for (int tick = 0; tick < 600; ++tick) {
      harness.clock.advance(0.1);
      for (const auto& view : views) {
        view->animateOneFrame();
        ASSERT_NE(view->currentIndex(), view->nextIndex());
      }
      if (!row.enough) continue;
      std::set<std::int64_t> shown;
      for (const auto& view : views) shown.insert({view->currentIndex(), view->nextIndex()});
      ASSERT_EQ(shown.size(), 2 * views.size()) << "tick " << tick;
    }
    // A view that goes takes its claims along: the one left visits every wallpaper again.
    views.resize(1);
    std::set<std::int64_t> visited;
    for (int tick = 0; tick < 400; ++tick) {
      harness.clock.advance(0.5);
      views[0]->animateOneFrame();
      visited.insert(views[0]->currentIndex());
    }
    EXPECT_EQ(visited.size(), static_cast<std::size_t>(row.wallpapers));
  }
}

TEST(Slideshow, UndecodableWallpaperLeavesAGapOnTime) {
  ViewHarness harness(timing(30, 1.5), {"a.jpg", "broken.jpg"});
  harness.random.integers = {0};
  KovaltaScreensaverView& view = harness.create();
  EXPECT_NE(view.currentImage(), nullptr);
  EXPECT_EQ(view.nextImage(), nullptr);
  harness.tickAt(28.5);
  EXPECT_TRUE(view.isCrossfading());
  harness.tickAt(30);
  EXPECT_EQ(view.currentIndex(), 1);
  EXPECT_EQ(view.currentImage(), nullptr);
  harness.tickAt(60);
  EXPECT_EQ(view.currentIndex(), 0);
  EXPECT_NE(view.currentImage(), nullptr);
}

TEST(Slideshow, ImagesAreDecodedForTheViewZoomedToItsEnd) {
  ViewHarness harness("{\"kenBurnsZoom\": 1.5}", {"a.jpg"});
  harness.create(Size{200, 100});
  ASSERT_EQ(harness.images.coverBoxes.size(), 2u);
  EXPECT_EQ(harness.images.coverBoxes[0], (Size{300, 150}));
}

TEST(KovaltaScreensaverView, IsTheBrivoraViewClassAtThirtyFramesASecond) {
  ViewHarness harness("", {"a.jpg"});
  const ViewEnvironment environment{harness.bundle.bundle(), harness.clock, harness.random};
  std::unique_ptr<ScreenSaverView> view =
      createView("BrivoraView", Rect{0, 0, 64, 48}, true, environment);
  EXPECT_NE(dynamic_cast<KovaltaScreensaverView*>(view.get()), nullptr);
  EXPECT_DOUBLE_EQ(view->animationTimeInterval(), 1.0 / 30.0);
}

}  // namespace
}  // namespace brivora
