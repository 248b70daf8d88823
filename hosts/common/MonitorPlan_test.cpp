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

// A view that shows the whole of surface `surface`, of `width` x `height`, as describe() does.
std::string whole(int width, int height, int surface = 0) {
  const std::string w = std::to_string(width), h = std::to_string(height);
  return w + "x" + h + ": " + std::to_string(surface) + ":0,0," + w + "," + h + "@0,0";
}

// The views of `wide` and `small`, each over its own surface.
const std::string wideView = whole(1280, 720);
const std::string smallView = whole(800, 450, 1);

TEST(MonitorPlan, FullScreenCoversEachMonitorAsTheModeSays) {
  struct Row {
    const char* what;
    std::vector<PixelRect> monitors;
    MonitorMode mode;
    std::vector<PixelRect> surfaces;
    std::vector<std::string> views;
  };
  const std::string spanned = "2080x720: 0:0,0,1280,720@0,0 1:1280,0,800,450@0,0";
  const std::string spannedBelow = "2080x1800: 0:1280,0,800,450@0,0 1:0,720,1920,1080@0,0";
  const PixelRect inside{0, 0, 640, 480};
  const PixelRect empty{0, 0, 0, 720};
  const Row rows[] = {
      {"one view per monitor, its size", {wide, small}, each, {wide, small}, {wideView, smallView}},
      {"same lays out like each", {wide, small}, same, {wide, small}, {wideView, smallView}},
      {"span: one view, a part per monitor", {wide, small}, span, {wide, small}, {spanned}},
      {"span below and right of the origin", {small, below}, span, {small, below}, {spannedBelow}},
      {"a mirror counts once", {wide, wide, small}, each, {wide, small}, {wideView, smallView}},
      {"a smaller mirror inside a monitor adds nothing", {inside, wide}, each, {wide}, {wideView}},
      {"empty monitors are passed over", {empty, small}, span, {small}, {whole(800, 450)}},
      {"no monitors, nothing to show", {}, span, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const MonitorPlan plan = planFullscreen(row.monitors, row.mode);
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
  const std::vector<std::string> rootViews = {wideView, "800x450: 0:0,0,800,450@1280,0"};
  const PixelRect seam{1000, 100, 600, 200};
  const PixelRect far{5000, 0, 300, 200};
  const std::vector<std::string> seamViews = {whole(280, 200), "320x200: 0:0,0,320,200@280,0"};
  const Row rows[] = {
      {"the root window over two monitors", root, {wide, small}, each, rootViews},
      {"same places views as each", root, {wide, small}, same, rootViews},
      {"span keeps one view over the whole window", root, {wide, small}, span, {whole(2080, 720)}},
      {"a daemon's window on the second monitor", small, {wide, small}, each, {whole(800, 450)}},
      {"a window across the seam is cut at it", seam, {wide, small}, each, seamViews},
      {"no monitor meets it: one view over all", far, {wide}, each, {whole(300, 200)}},
      {"an empty surface has no view", {0, 0, 0, 0}, {wide}, each, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const MonitorPlan plan = planSurface(row.surface, row.monitors, row.mode);
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
  constexpr std::nullopt_t anew = std::nullopt;
  const PixelRect resized{1280, 0, 1024, 576};
  const Row rows[] = {
      {"nothing changed", {wide, small}, {wide, small}, each, {0, 1}, {0, 1}},
      {"a monitor added", {wide}, {wide, small}, each, {0, anew}, {0, anew}},
      {"a resolution changed", {wide, small}, {wide, resized}, each, {0, anew}, {0, anew}},
      {"the order changed", {wide, small}, {small, wide}, each, {1, 0}, {1, 0}},
      {"same keeps all when nothing changed", {wide, small}, {wide, small}, same, {0, 1}, {0, 1}},
      {"same: every view anew when a monitor goes", {wide, small}, {wide}, same, {0}, {anew}},
      {"span remakes the view when the box grows", {wide}, {wide, small}, span, {0, anew}, {anew}},
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
