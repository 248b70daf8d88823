// Full screen on a real compositor with monitors of different sizes: headless sway with XWayland,
// its monitors photographed with grim.
#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status) clash with names in gtest, so it comes second.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <signal.h>

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/FakeInput.h"
#include "tests/support/ScreenProbe.h"
#include "tests/support/SwaySession.h"
#include "tests/support/WallpaperColours.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::allFilled;
using testing::ChildProcess;
using testing::SwayScreenshot;
using testing::SwaySession;

#if defined(__SANITIZE_ADDRESS__)
constexpr auto newMonitorLimit = 3s;
#else
constexpr auto newMonitorLimit = 1s;
#endif
constexpr auto firstFrameLimit = 20s;

// Where sway puts its outputs: side by side from the left, tops aligned.
const PixelRect wide{0, 0, 1280, 720};
const PixelRect small{1280, 0, 800, 450};

// Brivora on the session's X display, outside any Wayland session.
testing::Launch brivoraOn(const SwaySession& session, std::vector<std::string> arguments) {
  testing::Launch launch = ChildProcess::brivora(arguments, session.display);
  launch.environment.push_back("WAYLAND_DISPLAY");
  return launch;
}

testing::PixelAt pixelsOf(const SwayScreenshot& shot) {
  return [&shot](int x, int y) {
    return x >= 0 && y >= 0 && x < shot.width && y < shot.height ? shot.at(x, y) : 0xFFFFFFFFu;
  };
}

// The wallpaper colour each of `monitors` is filled with, in a picture of the whole layout;
// none for a monitor that is not filled up to its edges.
std::vector<std::optional<int>> coloursShown(const SwaySession& session,
                                             const std::vector<PixelRect>& monitors) {
  const SwayScreenshot shot = session.screenshot();
  std::vector<std::optional<int>> colours;
  for (const PixelRect& monitor : monitors) {
    colours.push_back(testing::colourFilling(monitor, pixelsOf(shot)));
  }
  return colours;
}

// Waits until every monitor is filled with a wallpaper; what they show then.
std::vector<std::optional<int>> waitUntilFilled(const SwaySession& session,
                                                const std::vector<PixelRect>& monitors,
                                                std::chrono::milliseconds limit) {
  std::vector<std::optional<int>> colours;
  for (const auto until = Clock::now() + limit; Clock::now() < until;) {
    colours = coloursShown(session, monitors);
    if (allFilled(colours)) break;
    std::this_thread::sleep_for(20ms);
  }
  return colours;
}

// Where the X server has Brivora's windows, and whether no window manager may touch them.
std::vector<PixelRect> brivoraWindowPlaces(Display* x, bool& allOverrideRedirect) {
  std::vector<PixelRect> places;
  allOverrideRedirect = true;
  for (const Window window : testing::brivoraWindows(x)) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x, window, &attributes)) continue;
    places.push_back({attributes.x, attributes.y, attributes.width, attributes.height});
    allOverrideRedirect = allOverrideRedirect && attributes.override_redirect;
  }
  return places;
}

// White pixels (the clock's) in the lower half of `area`.
int clockPixels(const SwayScreenshot& shot, const PixelRect& area) {
  int count = 0;
  for (int y = area.y + area.height / 2; y < area.bottom(); ++y) {
    for (int x = area.x; x < area.right(); ++x)
      count += testing::shows(shot.at(x, y), {255, 255, 255}, 30);
  }
  return count;
}

enum class Ending { key, button, pointer };

TEST(SwayMonitors, EveryMonitorHasItsOwnUndecoratedViewInEachMode) {
  SwaySession session({{1280, 720}, {800, 450}});
  if (session.display.empty()) GTEST_SKIP() << session.whyNot;
  Display* x = XOpenDisplay(session.display.c_str());
  ASSERT_NE(x, nullptr);
  testing::TempBundle colours;
  testing::writeColourBundle(colours, 1);
  // One picture over the box around both monitors: red and green above, blue and white below.
  testing::TempBundle quadrants;
  quadrants.write("wallpapers/quadrants.png",
                  testing::encodePng(testing::quadrantPicture(208, 72, testing::quadrantColours)));
  quadrants.write("theme.json", R"({"scrimEnabled": false, "playerOverlayEnabled": false,
                                    "clockSizeRatio": 0.04, "cycleSeconds": 1000})");
  struct Row {
    const char* mode;
    const testing::TempBundle& bundle;
    Ending ending;
  };
  const Row rows[] = {{"each", colours, Ending::key},
                      {"same", colours, Ending::button},
                      {"span", quadrants, Ending::pointer}};
  for (const Row& row : rows) {
    const std::string mode = row.mode;
    SCOPED_TRACE(mode);
    ChildProcess child(brivoraOn(
        session, {"--bundle", row.bundle.folder().string(), "-fullscreen", "--monitors", mode}));
    if (mode == "span") {
      bool spanned = false;
      for (const auto until = Clock::now() + firstFrameLimit; !spanned && Clock::now() < until;) {
        const SwayScreenshot shot = session.screenshot();
        const auto pixel = pixelsOf(shot);
        spanned = testing::shows(pixel(100, 100), testing::quadrantColours[0]) &&
                  testing::shows(pixel(100, 600), testing::quadrantColours[2]) &&
                  testing::shows(pixel(1700, 100), testing::quadrantColours[1]) &&
                  testing::shows(pixel(1700, 430), testing::quadrantColours[3]) &&
                  testing::shows(pixel(0, 0), testing::quadrantColours[0]) &&
                  testing::shows(pixel(1280, 0), testing::quadrantColours[1]) &&
                  testing::shows(pixel(2079, 0), testing::quadrantColours[1]) &&
                  testing::shows(pixel(2079, 449), testing::quadrantColours[3]);
      }
      EXPECT_TRUE(spanned) << "the monitors do not show their parts of one picture";
    } else {
      ASSERT_TRUE(allFilled(waitUntilFilled(session, {wide, small}, firstFrameLimit)));
      // Cycles of 1 s: a few changes of wallpaper.
      for (int sample = 0; sample < 6; ++sample) {
        // A picture taken while a view cuts to its next wallpaper may catch a monitor half
        // drawn, or one before and the other after the cut; a few more settle that.
        std::vector<std::optional<int>> shown;
        for (int attempt = 0; attempt < 4; ++attempt) {
          shown = coloursShown(session, {wide, small});
          if (allFilled(shown) && (mode != "same" || shown[0] == shown[1])) break;
          std::this_thread::sleep_for(50ms);
        }
        ASSERT_TRUE(allFilled(shown)) << "sample " << sample;
        if (mode == "same") {
          EXPECT_EQ(shown[0], shown[1]) << "sample " << sample;
        } else {
          EXPECT_NE(shown[0], shown[1]) << "sample " << sample;
        }
        std::this_thread::sleep_for(300ms);
      }
      // Each view is its own monitor's size: the clock's height follows the monitor's.
      const SwayScreenshot shot = session.screenshot();
      const int wideClock = clockPixels(shot, wide);
      const int smallClock = clockPixels(shot, small);
      EXPECT_GT(smallClock, 50);
      EXPECT_GT(wideClock, smallClock * 3 / 2);
    }
    bool overrideRedirect = false;
    EXPECT_EQ(brivoraWindowPlaces(x, overrideRedirect), (std::vector<PixelRect>{wide, small}));
    EXPECT_TRUE(overrideRedirect);

    // Standalone, it ends when the user is back.
    std::this_thread::sleep_for(600ms);
    switch (row.ending) {
      case Ending::key:
        testing::pressKey(x, XK_a);
        break;
      case Ending::button:
        testing::clickButton(x);
        break;
      case Ending::pointer:
        testing::movePointerTo(x, 400, 300);
        testing::movePointerTo(x, 440, 300);
        break;
    }
    EXPECT_EQ(child.waitFor(2s), 0);
  }
  XCloseDisplay(x);
}

// The wallpaper colour output `name` is filled with, if any.
std::optional<int> outputColour(const SwaySession& session, const std::string& name) {
  const SwayScreenshot shot = session.screenshot(name);
  return testing::colourFilling({0, 0, shot.width, shot.height}, pixelsOf(shot));
}

// Sway 1.7 cannot take a headless output away (its commit fails), so monitors that go are
// tested on Xvfb (X11Monitors_test), through the same XRandR change.
TEST(SwayMonitors, MonitorsThatComeOrChangeAreCoveredAtOnce) {
  SwaySession session({{1280, 720}, {800, 450}});
  if (session.display.empty()) GTEST_SKIP() << session.whyNot;
  testing::TempBundle bundle;
  testing::writeColourBundle(bundle, 1000);
  ChildProcess child(brivoraOn(session, {"--bundle", bundle.folder().string(), "-fullscreen"}));
  ASSERT_TRUE(allFilled(waitUntilFilled(session, {wide, small}, firstFrameLimit)));

  // A new resolution: the view is made anew at the new size.
  ASSERT_TRUE(session.command("output HEADLESS-2 mode 1024x576"));
  EXPECT_TRUE(allFilled(waitUntilFilled(session, {wide, {1280, 0, 1024, 576}}, 10s)))
      << "the monitor's new size is not covered";

  // A third monitor, which sway puts to the right of the others.
  ASSERT_TRUE(session.command("create_output"));
  const auto plugged = Clock::now();
  std::optional<int> added;
  while (!added && Clock::now() - plugged < 10s) added = outputColour(session, "HEADLESS-3");
  const auto covered = Clock::now() - plugged;
  ASSERT_TRUE(added) << "the new monitor is not covered";
  RecordProperty(
      "new_monitor_covered_ms",
      static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(covered).count()));
  EXPECT_LE(covered, newMonitorLimit)
      << std::chrono::duration_cast<std::chrono::milliseconds>(covered).count() << " ms";
  const std::set<std::optional<int>> shown = {outputColour(session, "HEADLESS-1"),
                                              outputColour(session, "HEADLESS-2"), added};
  EXPECT_EQ(shown.size(), 3u) << "two monitors show the same wallpaper";
  EXPECT_FALSE(shown.contains(std::nullopt)) << "a monitor is not covered";
  EXPECT_FALSE(child.status());
  child.signal(SIGTERM);
  EXPECT_EQ(child.waitFor(2s), 0);
}

}  // namespace
}  // namespace brivora
