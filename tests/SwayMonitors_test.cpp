// The X11 host full screen on a real compositor with monitors of different sizes: headless sway
// with XWayland, its monitors photographed with grim.
#include "tests/support/ScreenProbe.h"

#include <X11/keysym.h>
#include <signal.h>

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/FakeInput.h"
#include "tests/support/SwaySession.h"
#include "tests/support/WaitUntil.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::allFilled;
using testing::ChildProcess;
using testing::SwayScreenshot;
using testing::SwaySession;

using testing::firstFrameLimit;
using testing::newMonitorLimit;

// Where sway puts its outputs: side by side from the left, tops aligned.
const PixelRect wide{0, 0, 1280, 720};
const PixelRect small{1280, 0, 800, 450};

// A sway session with the two monitors, and the test's connection to its X display.
class SwayMonitors : public ::testing::Test {
 protected:
  void SetUp() override {
    if (session.display.empty()) GTEST_SKIP() << session.whyNot;
    x = XOpenDisplay(session.display.c_str());
    ASSERT_NE(x, nullptr);
  }
  void TearDown() override {
    if (x) XCloseDisplay(x);
  }

  // Brivora full screen on the session's X display, outside any Wayland session.
  testing::Launch fullscreen(const testing::TempBundle& bundle, const char* mode) const {
    testing::Launch launch = ChildProcess::brivora(
        {"--bundle", bundle.folder().string(), "-fullscreen", "--monitors", mode}, session.display);
    launch.environment.push_back("WAYLAND_DISPLAY");
    return launch;
  }

  // Its windows cover the monitors exactly, beyond any window manager's reach.
  void expectAWindowOverEachMonitor() const {
    bool overrideRedirect = false;
    EXPECT_EQ(testing::brivoraWindowPlaces(x, &overrideRedirect),
              (std::vector<PixelRect>{wide, small}));
    EXPECT_TRUE(overrideRedirect);
  }

  SwaySession session{{{1280, 720}, {800, 450}}};
  Display* x = nullptr;
};

// The wallpaper colour each of `monitors` is filled with, in a picture of the whole layout.
std::vector<std::optional<int>> coloursShown(const SwaySession& session,
                                             const std::vector<PixelRect>& monitors) {
  const SwayScreenshot shot = session.screenshot();
  std::vector<std::optional<int>> colours;
  for (const PixelRect& monitor : monitors) {
    colours.push_back(testing::colourFilling(monitor, shot.pixels()));
  }
  return colours;
}

// White pixels (the clock's) in the lower half of `area`.
int clockPixels(const SwayScreenshot& shot, const PixelRect& area) {
  int count = 0;
  for (int y = area.y + area.height / 2; y < area.bottom(); ++y) {
    for (int x = area.x; x < area.right(); ++x) {
      count += testing::shows(shot.at(x, y), {255, 255, 255}, 30);
    }
  }
  return count;
}

TEST_F(SwayMonitors, EachMonitorHasAViewOfItsSizeAndNewOnesAreCoveredAtOnce) {
  testing::TempBundle bundle;
  testing::writeColourBundle(bundle, 1000);
  ChildProcess child(fullscreen(bundle, "each"));
  std::vector<std::optional<int>> shown;
  ASSERT_TRUE(testing::waitUntil(
      [&] {
        return allFilled(shown = coloursShown(session, {wide, small}));
      },
      firstFrameLimit));
  EXPECT_NE(shown[0], shown[1]);
  // Each view is its own monitor's size: the clock's height follows the monitor's.
  const SwayScreenshot shot = session.screenshot();
  EXPECT_GT(clockPixels(shot, small), 50);
  EXPECT_GT(clockPixels(shot, wide), clockPixels(shot, small) * 3 / 2);
  expectAWindowOverEachMonitor();

  // A third monitor, which sway puts to the right of the others.
  ASSERT_TRUE(session.command("create_output"));
  const auto plugged = Clock::now();
  std::optional<int> added;
  ASSERT_TRUE(testing::waitUntil(
      [&] {
        const SwayScreenshot third = session.screenshot("HEADLESS-3");
        return (added = testing::colourFilling({0, 0, third.width, third.height}, third.pixels()))
            .has_value();
      },
      10s, 0ms))
      << "the new monitor is not covered";
  const auto covered =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - plugged);
  RecordProperty("new_monitor_covered_ms", static_cast<int>(covered.count()));
  EXPECT_LE(covered, newMonitorLimit) << covered.count() << " ms";
  EXPECT_EQ((std::set<std::optional<int>>{shown[0], shown[1], added}).size(), 3u);

  // Standalone, it ends when the user is back.
  testing::pressKey(x, XK_a);
  EXPECT_EQ(child.waitFor(2s), 0);
}

TEST_F(SwayMonitors, SpanShowsOnePictureOverMonitorsOfDifferentSizes) {
  // One picture over the box around both monitors: red and green above, blue and white below.
  testing::TempBundle quadrants;
  quadrants.write("wallpapers/quadrants.png",
                  testing::encodePng(testing::quadrantPicture(208, 72, testing::quadrantColours)));
  quadrants.write("theme.json", R"({"scrimEnabled": false, "playerOverlayEnabled": false,
                                    "clockSizeRatio": 0.04, "cycleSeconds": 1000})");
  ChildProcess child(fullscreen(quadrants, "span"));
  const auto spanned = [&] {
    const SwayScreenshot shot = session.screenshot();
    const auto pixel = shot.pixels();
    const auto shows = [&](int px, int py, std::size_t quadrant) {
      return testing::shows(pixel(px, py), testing::quadrantColours[quadrant]);
    };
    return shows(100, 100, 0) && shows(100, 600, 2) && shows(1700, 100, 1) && shows(1700, 430, 3) &&
           shows(0, 0, 0) && shows(1280, 0, 1) && shows(2079, 0, 1) && shows(2079, 449, 3);
  };
  EXPECT_TRUE(testing::waitUntil(spanned, firstFrameLimit, 0ms))
      << "the monitors do not show their parts of one picture";
  expectAWindowOverEachMonitor();
  std::this_thread::sleep_for(600ms);  // past the moment in which the pointer only settles
  testing::movePointerTo(x, 400, 300);
  testing::movePointerTo(x, 440, 300);
  EXPECT_EQ(child.waitFor(2s), 0);
}

}  // namespace
}  // namespace brivora
