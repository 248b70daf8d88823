// The X11 host as XScreenSaver and a desktop run it, on a private Xvfb server.
#include "tests/support/ScreenProbe.h"

#include <signal.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"
#include "tests/support/WaitUntil.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::VirtualDisplay;

class X11Host : public testing::XvfbTest {
 protected:
  testing::TempBundle bundle;
};

TEST_F(X11Host, DrawsIntoAGivenWindowAndEndsWhenItIsDestroyed) {
  const Window window = testing::openWindow(x, 400, 200);
  // The id wins over -root; the daemon's other options are accepted.
  ChildProcess child(
      brivora({"--bundle", bundle.folder().string(), "-root", "-window-id",
               testing::windowId(window), "-visual", "default", "--install", "-mono", "-no-fps"}));
  // The empty bundle's message stands just above the middle of the window.
  EXPECT_TRUE(testing::waitForFrame(x, window, 400, 70, 100, 50, 20s));
  XDestroyWindow(x, window);
  XSync(x, False);
  EXPECT_EQ(child.waitFor(500ms), 0);
}

TEST_F(X11Host, FullscreenCoversEveryMonitorAndRootDrawsOnTheScreen) {
  for (const std::string where : {"-fullscreen", "-root"}) {
    SCOPED_TRACE(where);
    ChildProcess child(brivora({"--bundle", bundle.folder().string(), where}));
    EXPECT_TRUE(testing::waitForFrame(x, DefaultRootWindow(x), VirtualDisplay::width, 0,
                                      VirtualDisplay::height, 50, 20s));
    // Xvfb has one monitor: one window over all of it, which no window manager may move; the
    // root window needs none.
    bool overrideRedirect = false;
    EXPECT_EQ(testing::brivoraWindowPlaces(x, &overrideRedirect),
              (where == "-fullscreen" ? std::vector<PixelRect>{{0, 0, 640, 480}}
                                      : std::vector<PixelRect>{}));
    EXPECT_TRUE(overrideRedirect);
    child.signal(SIGTERM);
    EXPECT_EQ(child.waitFor(500ms), 0);
    EXPECT_TRUE(testing::brivoraWindows(x).empty());
  }
}

TEST_F(X11Host, WatchCreatesTheViewAnewAfterEachChangeOfTheBundle) {
  testing::TempBundle scratch;
  const std::string steady = R"("cycleSeconds": 1000, "playerOverlayEnabled": false)";
  bundle.write("theme.json", "{" + steady + R"(, "scrimEnabled": false})");
  auto wallpaper = [&](testing::Rgba colour) {
    // Written aside and renamed in, as editors and file managers replace files.
    scratch.write("next.png", testing::encodePng(testing::solidPicture(64, 48, colour)));
    std::filesystem::rename(scratch.folder() / "next.png", bundle.folder() / "wallpapers/a.png");
  };
  bundle.makeFolder("wallpapers");
  wallpaper(testing::wallpaperColours[0]);
  testing::Launch launch =
      brivora({"run", "--bundle", bundle.folder().string(), "-root", "--watch"});
  launch.output = scratch.folder() / "stderr.txt";
  ChildProcess child(launch);
  // Whether a row near the top right of the screen shows `colour` (by default, near-black).
  const auto shows = [&](std::optional<testing::Rgba> colour) {
    const testing::Screenshot shot = testing::screenshot(x, DefaultRootWindow(x), 640, 8);
    return shot && testing::isNear(testing::meanColour(shot.get(), 400, 6, 630, 7),
                                   colour.value_or(testing::Rgba{}), colour ? 60 : 40);
  };
  EXPECT_TRUE(testing::waitUntil([&] { return shows(testing::wallpaperColours[0]); }, 20s));

  struct Step {
    std::string what;
    std::function<void()> change;
    std::optional<testing::Rgba> shown;
    std::string reported;  // on stderr, from check
  };
  const Step steps[] = {
      {"replaced wallpaper", [&] { wallpaper(testing::wallpaperColours[2]); },
       testing::wallpaperColours[2], "no problems"},
      // A scrim over the whole screen, darkest at the top.
      {"edited theme",
       [&] {
         bundle.write("theme.json", "{" + steady + R"(, "clockPosition": "top-left",
                      "scrimOpacity": 1, "scrimHeightRatio": 1})");
       },
       std::nullopt, "no problems"},
      // Broken: the defaults, with the scrim at the bottom.
      {"broken theme", [&] { bundle.write("theme.json", "{"); }, testing::wallpaperColours[2],
       "brivora: theme.json:"},
  };
  std::size_t reportsBefore = testing::readText(launch.output).size();
  for (const Step& step : steps) {
    step.change();
    EXPECT_TRUE(testing::waitUntil([&] { return shows(step.shown); }, 15s)) << step.what;
    EXPECT_FALSE(child.status()) << step.what << " stopped it";
    // check speaks for every change, beside the views, so its words come a little later.
    EXPECT_TRUE(testing::waitUntil(
        [&] {
          return testing::readText(launch.output).find(step.reported, reportsBefore) !=
                 std::string::npos;
        },
        10s))
        << step.what << ":\n"
        << testing::readText(launch.output);
    reportsBefore = testing::readText(launch.output).size();
  }
  child.signal(SIGTERM);
  EXPECT_EQ(child.waitFor(5s), 0);
}

TEST_F(X11Host, MissingWindowOrDisplayIsAnEnvironmentError) {
  for (const auto& [display, where] :
       {std::pair{server.display, "-window-id"}, std::pair{std::string(":97531"), "-window"}}) {
    std::vector<std::string> arguments{"--bundle", bundle.folder().string(), where};
    if (std::string_view(where) == "-window-id") arguments.push_back("0x7fffff0");
    EXPECT_EQ(ChildProcess(ChildProcess::brivora(arguments, display)).waitFor(3s), 2) << where;
  }
}

}  // namespace
}  // namespace brivora
