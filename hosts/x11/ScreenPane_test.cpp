#include <gtest/gtest.h>

// Xlib's macros clash with names in gtest, so the pane's header, which brings them, comes
// second.
#include "hosts/x11/ScreenPane.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <string>
#include <vector>

#include "Brivora/KovaltaScreensaverView.h"
#include "platform/Clock.h"
#include "platform/GraphicsContext.h"
#include "platform/RandomSource.h"
#include "platform/ViewRegistry.h"
#include "tests/support/ScreenProbe.h"
#include "tests/support/TempBundle.h"

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
  bool poweredOn;  // the display's power state, as the host hands it on
  bool showing;
};

struct Harness {
  testing::TempBundle bundle;
  ManualClock clock{Date{1'800'000'000}, 100};
  SeededRandomSource random{1};

  std::unique_ptr<ViewSeat> seat() {
    return std::make_unique<ViewSeat>(bundle.bundle(), clock, random, nullptr);
  }
};

class ScreenPaneTest : public testing::XvfbTest {};

TEST_F(ScreenPaneTest, DrawsOnlyWhileItsWindowCanBeSeenAndTicksAlways) {
  const Window window = testing::openWindow(x, 320, 200);
  Harness harness;
  SurfaceWindow surface(x, window, false);
  std::string error;
  ScreenPane pane(x, surface.width(), surface.height(), {{&surface, {0, 0, 320, 200}, 0, 0}}, true,
                  true, std::string(KovaltaScreensaverView::principalClassName), harness.seat(),
                  ColourTarget{}, error);
  ASSERT_TRUE(pane.usable()) << error;
  EXPECT_TRUE(pane.view().isPreview());

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
  EXPECT_TRUE(pane.frame(noOverlay));
  for (const PaneCase& c : cases) {
    if (c.type != 0) {
      XEvent event = eventFor(window, c.type);
      event.xvisibility.state = c.visibility;
      EXPECT_TRUE(surface.handle(event)) << c.what;
    }
    surface.setPoweredOn(c.poweredOn);
    EXPECT_EQ(pane.isShowing(), c.showing) << c.what;
    // Drawn only when it can be seen; ticked either way, which asks for the next frame.
    pane.view().clearNeedsDisplay();
    EXPECT_EQ(pane.frame(noOverlay), c.showing) << c.what;
    EXPECT_NE(pane.view().needsDisplay(), c.showing) << c.what;
  }
  EXPECT_FALSE(surface.handle(eventFor(window + 1, UnmapNotify))) << "another window's event";
}

// A view whose left half is red and right half green.
class HalvesView final : public ScreenSaverView {
 public:
  using ScreenSaverView::ScreenSaverView;
  void animateOneFrame() override { setNeedsDisplayInRect(bounds()); }
  void draw(Rect) override {
    const Rect area = bounds();
    GraphicsContext::current()->fillRect(Rect{0, 0, area.width() / 2, area.height()},
                                         Color{1, 0, 0, 1});
    GraphicsContext::current()->fillRect(Rect{area.width() / 2, 0, area.width() / 2, area.height()},
                                         Color{0, 1, 0, 1});
  }
};

const bool halvesRegistered =
    registerViewClass("HalvesTestView", [](Rect frame, bool isPreview, const ViewEnvironment&) {
      return std::make_unique<HalvesView>(frame, isPreview);
    });

TEST_F(ScreenPaneTest, PutsEachPartOfItsFrameWhereItsTargetsSay) {
  ASSERT_TRUE(halvesRegistered);
  VirtualDisplay withoutSharedMemory({"-extension", "MIT-SHM"});
  for (const VirtualDisplay* display : {&server, &withoutSharedMemory}) {
    SCOPED_TRACE(display == &server ? "with MIT-SHM" : "without MIT-SHM");
    Display* screen = XOpenDisplay(display->display.c_str());
    ASSERT_NE(screen, nullptr);
    // The windows and the pane go before the connection.
    const auto check = [&] {
      SurfaceWindow first(screen, testing::openWindow(screen, 150, 100), true);
      SurfaceWindow second(screen, testing::openWindow(screen, 150, 100, 200), true);
      Harness harness;
      std::string error;
      // The left half at 50 in the first window, the right half at 0 in the second, and a part
      // reaching past the frame's edge, which is cut.
      ScreenPane pane(screen, 200, 100,
                      {{&first, {0, 0, 100, 100}, 50, 0}, {&second, {100, 0, 150, 100}, 0, 0}},
                      false, false, "HalvesTestView", harness.seat(), ColourTarget{}, error);
      ASSERT_TRUE(pane.usable()) << error;
      ASSERT_TRUE(pane.frame([] {}));
      XSync(screen, False);
      // What row 50 of `window` shows at `columns`.
      const auto along = [&](const SurfaceWindow& window, const std::vector<int>& columns) {
        const testing::Screenshot shot = testing::screenshot(screen, window.window(), 150, 100);
        std::vector<unsigned long> colours;
        for (const int column : columns)
          colours.push_back(shot ? XGetPixel(shot.get(), column, 50) : 1);
        return colours;
      };
      EXPECT_EQ(along(first, {25, 60, 140}),
                (std::vector<unsigned long>{0x000000, 0xFF0000, 0xFF0000}));
      EXPECT_EQ(along(second, {10, 90, 120}),
                (std::vector<unsigned long>{0x00FF00, 0x00FF00, 0x000000}));
    };
    check();
    XCloseDisplay(screen);
  }
}

}  // namespace
}  // namespace brivora
