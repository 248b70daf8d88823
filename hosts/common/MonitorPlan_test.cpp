#include "hosts/common/MonitorPlan.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace brivora {
namespace {

// A view written as "WxH:" and its parts, each "surface:x,y,w,h@x,y", for compact tables.
std::string describe(const PlannedView& view) {
  std::ostringstream text;
  text << view.width << "x" << view.height << ":";
  for (const ViewPart& part : view.parts) {
    text << " " << part.surface << ":" << part.source.x << "," << part.source.y << ","
         << part.source.width << "," << part.source.height << "@" << part.destinationX << ","
         << part.destinationY;
  }
  return text.str();
}

std::vector<std::string> describe(const MonitorPlan& plan) {
  std::vector<std::string> views;
  for (const PlannedView& view : plan.views) views.push_back(describe(view));
  return views;
}

constexpr MonitorMode each = MonitorMode::each;
constexpr MonitorMode same = MonitorMode::same;
constexpr MonitorMode span = MonitorMode::span;
const PixelRect wide{0, 0, 1280, 720};
const PixelRect small{1280, 0, 800, 450};
const PixelRect below{0, 720, 1920, 1080};

TEST(MonitorPlan, FullScreenCoversEachMonitorAsTheModeSays) {
  struct Row {
    const char* what;
    std::vector<PixelRect> monitors;
    MonitorMode mode;
    std::vector<PixelRect> surfaces;
    std::vector<std::string> views;
  };
  const Row rows[] = {
      {"one view per monitor, sized to it",
       {wide, small},
       each,
       {wide, small},
       {"1280x720: 0:0,0,1280,720@0,0", "800x450: 1:0,0,800,450@0,0"}},
      {"same lays out like each",
       {wide, small},
       same,
       {wide, small},
       {"1280x720: 0:0,0,1280,720@0,0", "800x450: 1:0,0,800,450@0,0"}},
      {"span: one view over the box, each monitor its part",
       {wide, small},
       span,
       {wide, small},
       {"2080x720: 0:0,0,1280,720@0,0 1:1280,0,800,450@0,0"}},
      {"span below and right of the origin",
       {small, below},
       span,
       {small, below},
       {"2080x1800: 0:1280,0,800,450@0,0 1:0,720,1920,1080@0,0"}},
      {"a mirror at the same place counts once",
       {wide, wide, small},
       each,
       {wide, small},
       {"1280x720: 0:0,0,1280,720@0,0", "800x450: 1:0,0,800,450@0,0"}},
      {"a smaller mirror inside a monitor adds nothing",
       {{0, 0, 640, 480}, wide},
       each,
       {wide},
       {"1280x720: 0:0,0,1280,720@0,0"}},
      {"empty monitors are passed over",
       {{0, 0, 0, 720}, small},
       span,
       {small},
       {"800x450: 0:0,0,800,450@0,0"}},
      {"no monitors, nothing to show", {}, span, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const MonitorPlan plan = planFullscreen(row.monitors, row.mode);
    EXPECT_TRUE(plan.madeSurfaces);
    EXPECT_EQ(plan.surfaces, row.surfaces);
    EXPECT_EQ(describe(plan), row.views);
  }
}

TEST(MonitorPlan, AGivenSurfaceGetsAViewPerMonitorItMeets) {
  struct Row {
    const char* what;
    PixelRect surface;
    std::vector<PixelRect> monitors;
    MonitorMode mode;
    std::vector<std::string> views;
  };
  const PixelRect root{0, 0, 2080, 720};
  const Row rows[] = {
      {"the root window over two monitors",
       root,
       {wide, small},
       each,
       {"1280x720: 0:0,0,1280,720@0,0", "800x450: 0:0,0,800,450@1280,0"}},
      {"same places views as each",
       root,
       {wide, small},
       same,
       {"1280x720: 0:0,0,1280,720@0,0", "800x450: 0:0,0,800,450@1280,0"}},
      {"span keeps one view over the whole window",
       root,
       {wide, small},
       span,
       {"2080x720: 0:0,0,2080,720@0,0"}},
      {"a daemon's window on the second monitor",
       small,
       {wide, small},
       each,
       {"800x450: 0:0,0,800,450@0,0"}},
      {"a preview inside one monitor",
       {100, 100, 320, 200},
       {wide, small},
       each,
       {"320x200: 0:0,0,320,200@0,0"}},
      {"a window across the seam is cut at it",
       {1000, 100, 600, 200},
       {wide, small},
       each,
       {"280x200: 0:0,0,280,200@0,0", "320x200: 0:0,0,320,200@280,0"}},
      {"no monitor meets it: one view over all",
       {5000, 0, 300, 200},
       {wide},
       each,
       {"300x200: 0:0,0,300,200@0,0"}},
      {"an empty surface has no view", {0, 0, 0, 0}, {wide}, each, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const MonitorPlan plan = planSurface(row.surface, row.monitors, row.mode);
    EXPECT_FALSE(plan.madeSurfaces);
    EXPECT_EQ(plan.surfaces, std::vector<PixelRect>{row.surface});
    EXPECT_EQ(describe(plan), row.views);
  }
}

TEST(MonitorPlan, ChangesKeepWhatStaysAndRemakeWhatChanged) {
  using Kept = std::vector<std::optional<std::size_t>>;
  struct Row {
    const char* what;
    std::vector<PixelRect> before;
    std::vector<PixelRect> after;
    MonitorMode mode;
    Kept surfaces;
    Kept views;
  };
  const PixelRect smallResized{1280, 0, 1024, 576};
  const Row rows[] = {
      {"nothing changed", {wide, small}, {wide, small}, each, {0, 1}, {0, 1}},
      {"a monitor added", {wide}, {wide, small}, each, {0, std::nullopt}, {0, std::nullopt}},
      {"a monitor removed", {wide, small}, {small}, each, {1}, {1}},
      {"a resolution changed",
       {wide, small},
       {wide, smallResized},
       each,
       {0, std::nullopt},
       {0, std::nullopt}},
      {"the order changed", {wide, small}, {small, wide}, each, {1, 0}, {1, 0}},
      {"same keeps all when nothing changed", {wide, small}, {wide, small}, same, {0, 1}, {0, 1}},
      {"same makes every view anew for an added monitor",
       {wide},
       {wide, small},
       same,
       {0, std::nullopt},
       {std::nullopt, std::nullopt}},
      {"same makes every view anew for a removed one",
       {wide, small},
       {wide},
       same,
       {0},
       {std::nullopt}},
      {"span remakes the view when the box grows",
       {wide},
       {wide, small},
       span,
       {0, std::nullopt},
       {std::nullopt}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const PlanCarryOver carried = carryOver(planFullscreen(row.before, row.mode),
                                            planFullscreen(row.after, row.mode), row.mode);
    EXPECT_EQ(carried.surfaces, row.surfaces);
    EXPECT_EQ(carried.views, row.views);
  }
}

TEST(MonitorPlan, AGivenSurfaceIsKeptAsItGrowsAndSoAreTheViewsOfMonitorsThatStay) {
  const MonitorPlan before = planSurface({0, 0, 1280, 720}, {wide}, each);
  const MonitorPlan after = planSurface({0, 0, 2080, 720}, {wide, small}, each);
  const PlanCarryOver carried = carryOver(before, after, each);
  EXPECT_EQ(carried.surfaces, (std::vector<std::optional<std::size_t>>{0}));
  EXPECT_EQ(carried.views, (std::vector<std::optional<std::size_t>>{0, std::nullopt}));
}

}  // namespace
}  // namespace brivora
