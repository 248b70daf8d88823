#pragma once

#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status) clash with names in gtest, so it comes second.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/WallpaperColours.h"

namespace brivora::testing {

struct XImageDeleter {
  void operator()(XImage* image) const { XDestroyImage(image); }
};
using Screenshot = std::unique_ptr<XImage, XImageDeleter>;

// The `width` x `height` picture at the top left of `window`; null when it cannot be taken.
Screenshot screenshot(Display* x, Window window, int width, int height);

// The 0xRRGGBB words of a screenshot.
PixelAt pixelsOf(XImage* shot);

// Waits, up to `limit`, until more than `enough` pixels of `window` in rows [`top`, `bottom`)
// and columns [0, `width`) are lit (blue above 60): the host has shown its first frame, however
// long a loaded machine took to start it.
bool waitForFrame(Display* x, Window window, int width, int top, int bottom, int enough,
                  std::chrono::milliseconds limit);

// Where the top-level windows named "Brivora" are, and whether no window manager may touch any
// of them (override-redirect).
std::vector<PixelRect> brivoraWindowPlaces(Display* x, bool* overrideRedirect);

// A window of `width` x `height` at the top of the screen, `left` pixels from its left edge,
// mapped, and its id as -window-id takes it.
Window openWindow(Display* x, int width, int height, int left = 0);
std::string windowId(Window window);

// A bundle whose only wallpaper is the four coloured quadrants, `width` x `height`, with nothing
// drawn over the middle of each quadrant: no scrim, no caption, the clock in a corner.
void writeQuadrantBundle(const TempBundle& bundle, int width = VirtualDisplay::width,
                         int height = VirtualDisplay::height);

// Waits until the middles of the quadrants of the `width` x `height` picture at the top left of
// `window` show the quadrant colours.
bool waitForQuadrants(Display* x, Window window, int width, int height,
                      std::chrono::milliseconds limit);

// A private Xvfb server and the test's connection to it; skipped where Xvfb is not installed.
class XvfbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
    x = XOpenDisplay(server.display.c_str());
    ASSERT_NE(x, nullptr);
  }
  void TearDown() override {
    if (x) XCloseDisplay(x);
  }

  // `brivora` with `arguments` on this server.
  Launch brivora(const std::vector<std::string>& arguments) const {
    return ChildProcess::brivora(arguments, server.display);
  }

  VirtualDisplay server;
  Display* x = nullptr;
};

}  // namespace brivora::testing
