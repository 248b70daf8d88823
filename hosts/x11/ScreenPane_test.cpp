#include <gtest/gtest.h>

// Xlib's macros clash with names in gtest, so the pane's header, which brings them, comes
// second.
#include "hosts/x11/ScreenPane.h"

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "Brivora/KovaltaScreensaverView.h"
#include "platform/Clock.h"
#include "platform/RandomSource.h"
#include "platform/ViewRegistry.h"
#include "tests/support/TempBundle.h"
#include "tests/support/VirtualDisplay.h"

namespace brivora {
namespace {

using testing::VirtualDisplay;

XEvent eventFor(Window window, int type) {
  XEvent event{};
  event.xany.type = type;
  event.xany.window = window;
  return event;
}

struct PaneCase {
  const char* what;
  int type;        // an event for the window, or 0 for none
  int visibility;  // for VisibilityNotify
  bool poweredOn;  // the display's power state, as the host passes it on
  bool showing;
};

TEST(ScreenPane, DrawsOnlyWhileItsWindowCanBeSeenTicksAlwaysAndFollowsItsSize) {
  VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  Display* x = XOpenDisplay(server.display.c_str());
  ASSERT_NE(x, nullptr);
  const Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 320, 200, 0, 0, 0);
  XMapWindow(x, window);
  XSync(x, False);
  testing::TempBundle bundle;
  ManualClock clock{Date{1'800'000'000}, 100};
  SeededRandomSource random{1};
  const ViewEnvironment environment{bundle.bundle(), clock, random};
  std::string error;
  auto pane = std::make_unique<ScreenPane>(x, window, false,
                                           std::string(KovaltaScreensaverView::principalClassName),
                                           environment, error);
  ASSERT_TRUE(pane->usable()) << error;
  // A window this small is a settings dialog's preview.
  EXPECT_TRUE(pane->view().isPreview());

  const PaneCase cases[] = {
      {"fully obscured", VisibilityNotify, VisibilityFullyObscured, true, false},
      {"partly uncovered", VisibilityNotify, VisibilityPartiallyObscured, true, true},
      {"unmapped", UnmapNotify, 0, true, false},
      {"mapped again", MapNotify, 0, true, true},
      // No test server has DPMS: the power state is handed in as the host would.
      {"display powered off", 0, 0, false, false},
      {"display on again", 0, 0, true, true},
  };
  const auto noOverlay = [] {};
  EXPECT_TRUE(pane->frame(noOverlay));
  for (const PaneCase& c : cases) {
    if (c.type != 0) {
      XEvent event = eventFor(window, c.type);
      event.xvisibility.state = c.visibility;
      EXPECT_TRUE(pane->handle(event)) << c.what;
    }
    pane->setPoweredOn(c.poweredOn);
    EXPECT_EQ(pane->isShowing(), c.showing) << c.what;
    // Drawn only when it can be seen; ticked either way, which asks for the next frame.
    pane->view().clearNeedsDisplay();
    EXPECT_EQ(pane->frame(noOverlay), c.showing) << c.what;
    EXPECT_NE(pane->view().needsDisplay(), c.showing) << c.what;
  }
  EXPECT_FALSE(pane->handle(eventFor(window + 1, UnmapNotify))) << "another window's event";

  XEvent resized = eventFor(window, ConfigureNotify);
  resized.xconfigure.width = 800;
  resized.xconfigure.height = 600;
  pane->handle(resized);
  EXPECT_TRUE(pane->frame(noOverlay));
  EXPECT_EQ(pane->view().bounds(), (Rect{0, 0, 800, 600}));

  pane->handle(eventFor(window, DestroyNotify));
  EXPECT_TRUE(pane->isLost());
  pane.reset();
  XCloseDisplay(x);
}

}  // namespace
}  // namespace brivora
