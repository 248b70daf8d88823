// The X11 host as XScreenSaver and a desktop run it, on a private Xvfb server.
#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status) clash with names in gtest, so it comes second.
#include <X11/Xatom.h>
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

#include "tests/support/ExecBrivora.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"
#include "tests/support/VirtualDisplay.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;

using testing::VirtualDisplay;

pid_t startBrivora(const std::string& display, const std::vector<std::string>& arguments) {
  const pid_t child = fork();
  if (child == 0) {
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("XSCREENSAVER_WINDOW");
    testing::execBrivora(arguments);
  }
  return child;
}

// The child's exit status, or -1 when it has not ended within `limit`.
int waitFor(pid_t child, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(5ms);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return -1;
}

// How many pixels of `window` in rows [`top`, `bottom`) are lit.
int litPixels(Display* x, Window window, int width, int top, int bottom) {
  XImage* shot = XGetImage(x, window, 0, top, width, bottom - top, AllPlanes, ZPixmap);
  if (!shot) return 0;
  int lit = 0;
  for (int row = 0; row < bottom - top; ++row) {
    for (int column = 0; column < width; ++column)
      lit += (XGetPixel(shot, column, row) & 0xFF) > 60;
  }
  XDestroyImage(shot);
  return lit;
}

// Waits, up to `limit`, until more than `enough` pixels of those rows are lit: the host has
// shown its first frame, however long a loaded machine took to start it.
bool waitForFrame(Display* x, Window window, int width, int top, int bottom, int enough,
                  std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (litPixels(x, window, width, top, bottom) > enough) return true;
    std::this_thread::sleep_for(20ms);
  }
  return false;
}

TEST(X11Host, OwnWindowEndsCleanlyOnTerminationSignals) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  testing::TempBundle bundle;
  for (int signal : {SIGTERM, SIGINT}) {
    Display* x = XOpenDisplay(server.display.c_str());
    ASSERT_NE(x, nullptr);
    const pid_t child = startBrivora(server.display, {"run", "--bundle", bundle.folder().string(),
                                                      "-window", "-geometry", "320x200"});
    EXPECT_TRUE(waitForFrame(x, DefaultRootWindow(x), 640, 0, 480, 50, 20s)) << "signal " << signal;
    XCloseDisplay(x);
    kill(child, signal);
    EXPECT_EQ(waitFor(child, 500ms), 0) << "signal " << signal;
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
  const pid_t child =
      startBrivora(server.display, {"--bundle", bundle.folder().string(), "-root", "-window-id", id,
                                    "-visual", "default", "--install", "-mono", "-no-fps"});
  // The empty bundle's message stands just above the middle of the window.
  EXPECT_TRUE(waitForFrame(x, window, 400, 70, 100, 50, 20s));
  XDestroyWindow(x, window);
  XSync(x, False);
  EXPECT_EQ(waitFor(child, 500ms), 0);
  XCloseDisplay(x);
}

// The top-level windows named "Brivora".
std::vector<Window> brivoraWindows(Display* x) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  std::vector<Window> found;
  if (!XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) return found;
  for (unsigned at = 0; at < count; ++at) {
    char* name = nullptr;
    if (XFetchName(x, children[at], &name) && name) {
      if (std::string(name) == "Brivora") found.push_back(children[at]);
      XFree(name);
    }
  }
  if (children) XFree(children);
  return found;
}

bool asksForFullScreen(Display* x, Window window) {
  const Atom state = XInternAtom(x, "_NET_WM_STATE", False);
  const Atom fullscreen = XInternAtom(x, "_NET_WM_STATE_FULLSCREEN", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long left = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x, window, state, 0, 16, False, XA_ATOM, &type, &format, &count, &left,
                         &data) != Success ||
      !data) {
    return false;
  }
  const auto* atoms = reinterpret_cast<const Atom*>(data);
  const bool asks = std::find(atoms, atoms + count, fullscreen) != atoms + count;
  XFree(data);
  return asks;
}

TEST(X11Host, FullscreenCoversEveryMonitorAndRootDrawsOnTheScreen) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  testing::TempBundle bundle;
  Display* x = XOpenDisplay(server.display.c_str());
  ASSERT_NE(x, nullptr);
  for (const char* where : {"-fullscreen", "-root"}) {
    SCOPED_TRACE(where);
    const pid_t child = startBrivora(server.display, {"--bundle", bundle.folder().string(), where});
    EXPECT_TRUE(waitForFrame(x, DefaultRootWindow(x), VirtualDisplay::width, 0,
                             VirtualDisplay::height, 50, 20s));
    const std::vector<Window> windows = brivoraWindows(x);
    if (std::string(where) == "-fullscreen") {
      // Xvfb has one monitor: one borderless window over all of it.
      ASSERT_EQ(windows.size(), 1u);
      XWindowAttributes attributes;
      ASSERT_TRUE(XGetWindowAttributes(x, windows[0], &attributes));
      EXPECT_EQ(attributes.x, 0);
      EXPECT_EQ(attributes.y, 0);
      EXPECT_EQ(attributes.width, VirtualDisplay::width);
      EXPECT_EQ(attributes.height, VirtualDisplay::height);
      EXPECT_TRUE(asksForFullScreen(x, windows[0]));
    } else {
      EXPECT_TRUE(windows.empty()) << "the root window needs no window of its own";
    }
    kill(child, SIGTERM);
    EXPECT_EQ(waitFor(child, 500ms), 0);
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

std::string fileText(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
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
  const pid_t child = fork();
  if (child == 0) {
    dup2(open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
    setenv("DISPLAY", server.display.c_str(), 1);
    testing::execBrivora({"run", "--bundle", bundle.folder().string(), "-root", "--watch"});
  }
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
  std::size_t reportsBefore = fileText(errors).size();
  for (const Step& step : steps) {
    step.change();
    EXPECT_TRUE(waitForShade(x, step.shown, 15s)) << step.what;
    EXPECT_EQ(waitpid(child, nullptr, WNOHANG), 0) << step.what << " stopped it";
    // check speaks for every change; its summary line comes last.
    std::string reports = fileText(errors);
    for (int waited = 0; reports.find('\n', reportsBefore) == std::string::npos && waited < 100;
         ++waited) {
      std::this_thread::sleep_for(50ms);
      reports = fileText(errors);
    }
    EXPECT_NE(reports.find(step.reported, reportsBefore), std::string::npos) << step.what << ":\n"
                                                                             << reports;
    reportsBefore = reports.size();
  }
  kill(child, SIGTERM);
  EXPECT_EQ(waitFor(child, 500ms), 0);
  XCloseDisplay(x);
}

TEST(X11Host, MissingWindowOrDisplayIsAnEnvironmentError) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  testing::TempBundle bundle;
  EXPECT_EQ(waitFor(startBrivora(server.display,
                                 {"--bundle", bundle.folder().string(), "-window-id", "0x7fffff0"}),
                    3s),
            2);
  EXPECT_EQ(waitFor(startBrivora(":97531", {"--bundle", bundle.folder().string(), "-window"}), 3s),
            2);
}

}  // namespace
}  // namespace brivora
