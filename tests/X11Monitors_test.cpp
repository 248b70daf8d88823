// Monitor modes on the root window, monitors that come and go, and how a standalone full screen
// ends, on a private Xvfb server whose monitors the test lays out through XRandR.
#include "tests/support/ScreenProbe.h"

#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <signal.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/FakeInput.h"
#include "tests/support/WaitUntil.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::allFilled;
using testing::ChildProcess;
using testing::VirtualDisplay;

using testing::firstFrameLimit;
using testing::newMonitorLimit;

// The screen's halves: the left one whole, the right one's upper half.
const PixelRect left{0, 0, 320, 480};
const PixelRect right{320, 0, 320, 240};

int ignoreErrors(Display*, XErrorEvent*) {
  return 0;
}

// Makes `name` a monitor over `area`, in place of any of that name; with `takesOutput` it stands
// for the screen's one output, in place of the monitor XRandR makes for it. It lasts while the
// server does not reset, that is while some client (the test's `x`) stays connected.
void setMonitor(Display* x, const char* name, const PixelRect& area, bool takesOutput) {
  const Atom atom = XInternAtom(x, name, False);
  XErrorHandler previous = XSetErrorHandler(ignoreErrors);
  XRRDeleteMonitor(x, DefaultRootWindow(x), atom);
  XSync(x, False);
  XSetErrorHandler(previous);
  if (area.isEmpty()) return;
  XRRMonitorInfo* monitor = XRRAllocateMonitor(x, takesOutput ? 1 : 0);
  monitor->name = atom;
  monitor->x = area.x;
  monitor->y = area.y;
  monitor->width = area.width;
  monitor->height = area.height;
  monitor->mwidth = area.width / 4;
  monitor->mheight = area.height / 4;
  if (takesOutput) {
    XRRScreenResources* resources = XRRGetScreenResources(x, DefaultRootWindow(x));
    monitor->outputs[0] = resources->outputs[0];
    XRRFreeScreenResources(resources);
  }
  XRRSetMonitor(x, DefaultRootWindow(x), monitor);
  XSync(x, False);
  XRRFreeMonitors(monitor);
}

// Waits until `areas` are filled with wallpapers, the first two `apart` or alike; whether they
// were.
bool waitForColours(Display* x, const std::vector<PixelRect>& areas, bool apart,
                    std::chrono::milliseconds limit) {
  return testing::waitUntil(
      [&] {
        const testing::Screenshot shot = testing::screenshot(
            x, DefaultRootWindow(x), VirtualDisplay::width, VirtualDisplay::height);
        std::vector<std::optional<int>> colours;
        for (const PixelRect& area : areas) {
          colours.push_back(shot ? testing::colourFilling(area, testing::pixelsOf(shot.get()))
                                 : std::nullopt);
        }
        return allFilled(colours) && (colours[0] != colours[1]) == apart;
      },
      limit);
}

// Two monitors, `left` and `right`, which the test's connection keeps, and a bundle of solid
// colours.
class X11Monitors : public testing::XvfbTest {
 protected:
  void SetUp() override {
    XvfbTest::SetUp();
    if (!x) return;
    setMonitor(x, "left", left, true);
    setMonitor(x, "right", right, false);
    testing::writeColourBundle(bundle, 1000);
  }
  testing::TempBundle bundle;
};

// One picture over the whole root window, the monitors notwithstanding.
TEST_F(X11Monitors, RootWindowSpansOnePictureOverAllMonitors) {
  testing::TempBundle quadrants;
  testing::writeQuadrantBundle(quadrants);
  ChildProcess child(
      brivora({"--bundle", quadrants.folder().string(), "-root", "--monitors", "span"}));
  EXPECT_TRUE(testing::waitForQuadrants(x, DefaultRootWindow(x), VirtualDisplay::width,
                                        VirtualDisplay::height, firstFrameLimit));
}

TEST_F(X11Monitors, MonitorsThatGoAndComeAreFollowed) {
  const PixelRect tall{320, 0, 320, 480};
  for (const char* where : {"-fullscreen", "-root"}) {
    SCOPED_TRACE(where);
    setMonitor(x, "right", right, false);
    ChildProcess child(brivora({"--bundle", bundle.folder().string(), where}));
    ASSERT_TRUE(waitForColours(x, {left, right}, true, firstFrameLimit));
    // A window over each monitor, which no window manager may move; the root window needs none.
    const bool fullscreen = std::string(where) == "-fullscreen";
    bool overrideRedirect = false;
    EXPECT_EQ(testing::brivoraWindowPlaces(x, &overrideRedirect),
              (fullscreen ? std::vector<PixelRect>{left, right} : std::vector<PixelRect>{}));
    EXPECT_TRUE(overrideRedirect);

    // The right monitor goes: its window and view go; the program goes on.
    setMonitor(x, "right", {}, false);
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(child.status()) << "it ended when a monitor went";
    EXPECT_EQ(testing::brivoraWindowPlaces(x, &overrideRedirect).size(), fullscreen ? 1u : 0u);

    // A taller one comes back in its place.
    setMonitor(x, "right", tall, false);
    const auto plugged = Clock::now();
    EXPECT_TRUE(waitForColours(x, {left, tall}, true, 10s));
    EXPECT_LE(Clock::now() - plugged, newMonitorLimit);
    child.signal(SIGTERM);
    EXPECT_EQ(child.waitFor(testing::endLimit), 0);
  }
}

// With `same`, every monitor shows the same view, on the root window as well.
TEST_F(X11Monitors, StandaloneFullScreenEndsOnInputAndNothingElseDoes) {
  enum Input { keyA, keyQ, button, nudge, move };
  struct Row {
    const char* where;
    std::vector<Input> inputs;  // given one after the other
    int endsAfter;              // the input it ends on; -1 for none
  };
  const Row rows[] = {
      {"-fullscreen", {keyA}, 0},
      {"-fullscreen", {button}, 0},
      {"-fullscreen", {nudge, nudge, move}, 2},
      {"-window", {keyA, button, move, keyQ}, 3},
      {"-root", {keyA, keyQ, button, move}, -1},
  };
  for (const Row& row : rows) {
    const std::string where = row.where;
    SCOPED_TRACE(where);
    int pointerX = 300;
    testing::movePointerTo(x, pointerX, 200);
    ChildProcess child(
        brivora({"--bundle", bundle.folder().string(), where, "--monitors", "same"}));
    ASSERT_TRUE(waitForColours(x, {left, right}, false, firstFrameLimit));
    // Past the moment in which pointer reports only say where it rests.
    std::this_thread::sleep_for(700ms);
    for (std::size_t at = 0; at < row.inputs.size(); ++at) {
      const Input input = row.inputs[at];
      if (input == keyA || input == keyQ) {
        testing::pressKey(x, input == keyA ? XK_a : XK_q);
      } else if (input == button) {
        testing::clickButton(x);
      } else {  // a nudge of 4 pixels, then 8 from where it rested: not yet more than 10
        pointerX += input == nudge ? 4 : 40;
        testing::movePointerTo(x, pointerX, 200);
      }
      if (static_cast<int>(at) == row.endsAfter) {
        EXPECT_EQ(child.waitFor(testing::endLimit), 0) << "input " << at;
      } else {
        std::this_thread::sleep_for(200ms);
        EXPECT_FALSE(child.status()) << "it ended on input " << at;
      }
    }
  }
}

}  // namespace
}  // namespace brivora
