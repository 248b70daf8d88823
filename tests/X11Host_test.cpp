// The X11 host as XScreenSaver and a desktop run it, on a private Xvfb server.
#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status) clash with names in gtest, so it comes second.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ScreenProbe.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"
#include "tests/support/VirtualDisplay.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;

using testing::brivoraWindows;
using testing::ChildProcess;
using testing::VirtualDisplay;
using testing::waitForFrame;

TEST(X11Host, OwnWindowEndsCleanlyOnTerminationSignals) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  testing::TempBundle bundle;
  for (int signal : {SIGTERM, SIGINT}) {
    Display* x = XOpenDisplay(server.display.c_str());
    ASSERT_NE(x, nullptr);
    ChildProcess child(ChildProcess::brivora(
        {"run", "--bundle", bundle.folder().string(), "-window", "-geometry", "320x200"},
        server.display));
    EXPECT_TRUE(waitForFrame(x, DefaultRootWindow(x), 640, 0, 480, 50, 20s)) << "signal " << signal;
    XCloseDisplay(x);
    child.signal(signal);
    EXPECT_EQ(child.waitFor(500ms), 0) << "signal " << signal;
  }
}

TEST(X11Host, DrawsIntoAGivenWindowAndEndsWhenItIsDestroyed) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  Display* x = XOpenDisplay(server.display.c_str());
  ASSERT_NE(x, nullptr);
  const Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 400, 200, 0, 0, 0);
  XMapWindow(x, window);
  XSync(x, False);
  testing::TempBundle bundle;
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", window);
  // The id wins over -root; the daemon's other options are accepted.
  ChildProcess child(
      ChildProcess::brivora({"--bundle", bundle.folder().string(), "-root", "-window-id", id,
                             "-visual", "default", "--install", "-mono", "-no-fps"},
                            server.display));
  // The empty bundle's message stands just above the middle of the window.
  EXPECT_TRUE(waitForFrame(x, window, 400, 70, 100, 50, 20s));
  XDestroyWindow(x, window);
  XSync(x, False);
  EXPECT_EQ(child.waitFor(500ms), 0);
  XCloseDisplay(x);
}

TEST(X11Host, FullscreenCoversEveryMonitorAndRootDrawsOnTheScreen) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  testing::TempBundle bundle;
  Display* x = XOpenDisplay(server.display.c_str());
  ASSERT_NE(x, nullptr);
  for (const char* where : {"-fullscreen", "-root"}) {
    SCOPED_TRACE(where);
    ChildProcess child(
        ChildProcess::brivora({"--bundle", bundle.folder().string(), where}, server.display));
    EXPECT_TRUE(waitForFrame(x, DefaultRootWindow(x), VirtualDisplay::width, 0,
                             VirtualDisplay::height, 50, 20s));
    const std::vector<Window> windows = brivoraWindows(x);
    if (std::string(where) == "-fullscreen") {
      // Xvfb has one monitor: one window over all of it, which no window manager may move.
      ASSERT_EQ(windows.size(), 1u);
      XWindowAttributes attributes;
      ASSERT_TRUE(XGetWindowAttributes(x, windows[0], &attributes));
      EXPECT_EQ(attributes.x, 0);
      EXPECT_EQ(attributes.y, 0);
      EXPECT_EQ(attributes.width, VirtualDisplay::width);
      EXPECT_EQ(attributes.height, VirtualDisplay::height);
      EXPECT_TRUE(attributes.override_redirect);
    } else {
      EXPECT_TRUE(windows.empty()) << "the root window needs no window of its own";
    }
    child.signal(SIGTERM);
    EXPECT_EQ(child.waitFor(500ms), 0);
    EXPECT_TRUE(brivoraWindows(x).empty());
  }
  XCloseDisplay(x);
}

// The mean red, green and blue of a stretch of one row of `window`.
std::array<int, 3> rowColour(Display* x, Window window, int row, int left, int right) {
  std::array<long, 3> sums{};
  XImage* shot = XGetImage(x, window, left, row, right - left, 1, AllPlanes, ZPixmap);
  if (!shot) return {};
  for (int column = 0; column < right - left; ++column) {
    const unsigned long pixel = XGetPixel(shot, column, 0);
    sums[0] += (pixel >> 16) & 0xFF;
    sums[1] += (pixel >> 8) & 0xFF;
    sums[2] += pixel & 0xFF;
  }
  XDestroyImage(shot);
  return {static_cast<int>(sums[0] / (right - left)), static_cast<int>(sums[1] / (right - left)),
          static_cast<int>(sums[2] / (right - left))};
}

using Shade = std::function<bool(const std::array<int, 3>&)>;
const Shade red = [](const auto& rgb) { return rgb[0] > 150 && rgb[2] < 100; };
const Shade blue = [](const auto& rgb) { return rgb[2] > 150 && rgb[0] < 100; };
const Shade dark = [](const auto& rgb) { return rgb[0] < 40 && rgb[1] < 40 && rgb[2] < 40; };

// Waits, up to `limit`, until a row near the top right of the screen shows `shade`.
bool waitForShade(Display* x, const Shade& shade, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (shade(rowColour(x, DefaultRootWindow(x), 6, 400, 630))) return true;
    std::this_thread::sleep_for(20ms);
  }
  return false;
}

TEST(X11Host, WatchCreatesTheViewAnewAfterEachChangeOfTheBundle) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  testing::TempBundle bundle, scratch;
  const std::string steady = R"("cycleSeconds": 1000, "playerOverlayEnabled": false)";
  bundle.write("theme.json", "{" + steady + R"(, "scrimEnabled": false})");
  auto wallpaper = [&](testing::Rgba colour) {
    // Written aside and renamed in, as editors and file managers replace files.
    scratch.write("next.png", testing::encodePng(testing::solidPicture(64, 48, colour)));
    std::filesystem::rename(scratch.folder() / "next.png", bundle.folder() / "wallpapers/a.png");
  };
  bundle.makeFolder("wallpapers");
  wallpaper(testing::Rgba{220, 40, 40});
  const std::filesystem::path errors = scratch.folder() / "stderr.txt";
  testing::Launch launch = ChildProcess::brivora(
      {"run", "--bundle", bundle.folder().string(), "-root", "--watch"}, server.display);
  launch.output = errors;
  ChildProcess child(launch);
  Display* x = XOpenDisplay(server.display.c_str());
  ASSERT_NE(x, nullptr);
  EXPECT_TRUE(waitForShade(x, red, 20s));

  struct Step {
    std::string what;
    std::function<void()> change;
    Shade shown;
    std::string reported;  // on stderr, from check
  };
  const Step steps[] = {
      {"replaced wallpaper",
       [&] {
         wallpaper(testing::Rgba{40, 60, 210});
       },
       blue, "no problems"},
      // A scrim over the whole screen, darkest at the top.
      {"edited theme",
       [&] {
         bundle.write("theme.json", "{" + steady + R"(, "clockPosition": "top-left",
                      "scrimOpacity": 1, "scrimHeightRatio": 1})");
       },
       dark, "no problems"},
      // Broken: the defaults, with the scrim at the bottom.
      {"broken theme", [&] { bundle.write("theme.json", "{"); }, blue, "brivora: theme.json:"},
  };
  std::size_t reportsBefore = testing::readText(errors).size();
  for (const Step& step : steps) {
    step.change();
    EXPECT_TRUE(waitForShade(x, step.shown, 15s)) << step.what;
    EXPECT_FALSE(child.status()) << step.what << " stopped it";
    // check speaks for every change, beside the views, so its words come a little later.
    std::string reports = testing::readText(errors);
    for (int waited = 0;
         reports.find(step.reported, reportsBefore) == std::string::npos && waited < 200;
         ++waited) {
      std::this_thread::sleep_for(50ms);
      reports = testing::readText(errors);
    }
    EXPECT_NE(reports.find(step.reported, reportsBefore), std::string::npos) << step.what << ":\n"
                                                                             << reports;
    reportsBefore = reports.size();
  }
  child.signal(SIGTERM);
  EXPECT_EQ(child.waitFor(5s), 0);
  XCloseDisplay(x);
}

TEST(X11Host, MissingWindowOrDisplayIsAnEnvironmentError) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  testing::TempBundle bundle;
  for (const auto& [display, where] :
       {std::pair{server.display, "-window-id"}, std::pair{std::string(":97531"), "-window"}}) {
    std::vector<std::string> arguments{"--bundle", bundle.folder().string(), where};
    if (std::string_view(where) == "-window-id") arguments.push_back("0x7fffff0");
    EXPECT_EQ(ChildProcess(ChildProcess::brivora(arguments, display)).waitFor(3s), 2) << where;
  }
}

}  // namespace
}  // namespace brivora
