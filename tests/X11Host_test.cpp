// The X11 host as XScreenSaver and a desktop run it, on a private Xvfb server.
#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status) clash with names in gtest, so it comes second.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ScreenProbe.h"
#include "tests/support/TempBundle.h"
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
