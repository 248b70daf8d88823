// Brivora on real compositors: as a Wayland client of headless sway (with the layer shell) and of
// headless weston (without it), and as an X11 client of sway's XWayland; their outputs
// photographed with grim and weston's screenshooter.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "backends/codecs/ImageCodecs.h"
#include "tests/support/ScreenProbe.h"
#include "tests/support/SwaySession.h"
#include "tests/support/WaitUntil.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::ChildProcess;
using testing::firstFrameLimit;
using testing::SwaySession;

// The wallpaper colour output `name` (in `part` of it, when given) is filled with, once it is.
std::optional<int> waitForColour(const SwaySession& session, const std::string& name,
                                 std::chrono::milliseconds limit,
                                 std::optional<PixelRect> part = std::nullopt) {
  std::optional<int> colour;
  testing::waitUntil(
      [&] {
        const ImagePixels shot = session.screenshot(name);
        colour = testing::colourFilling(part.value_or(PixelRect{0, 0, shot.width, shot.height}),
                                        testing::pixelsOf(shot));
        return colour.has_value();
      },
      limit);
  return colour;
}

// White pixels (the clock's) in the lower half of `area`.
int clockPixels(const ImagePixels& shot, const PixelRect& area) {
  const testing::PixelAt pixel = testing::pixelsOf(shot);
  int count = 0;
  for (int y = area.y + area.height / 2; y < area.bottom(); ++y) {
    for (int x = area.x; x < area.right(); ++x) {
      count += testing::shows(pixel(x, y), {255, 255, 255}, 30);
    }
  }
  return count;
}

// Sway has the layer shell; weston has not, and its output gets a full-screen xdg toplevel.
TEST(WaylandHost, DrawsEachOutputSharplyAtItsScaleWithOrWithoutTheLayerShellAndEndsAtOnce) {
  // Still frames: no wallpapers, and a clock and date line of fixed words.
  testing::TempBundle still;
  still.makeFolder("wallpapers");
  still.write("theme.json", R"({"timeFormat": "'10:10'", "dateFormat": "'SATURDAY'"})");
  for (const testing::Compositor compositor :
       {testing::Compositor::sway, testing::Compositor::weston}) {
    const bool weston = compositor == testing::Compositor::weston;
    SCOPED_TRACE(weston ? "weston" : "sway");
    SwaySession session(weston ? std::vector<testing::SwayOutput>{{800, 480}}
                               : std::vector<testing::SwayOutput>{{1280, 720, 1}, {1600, 900, 2}},
                        compositor);
    if (!session.started()) GTEST_SKIP() << session.whyNot;
    ChildProcess child(session.brivora({"--bundle", still.folder().string(), "-fullscreen"}));
    // Each output shows the frame drawn at its own pixel size: the scale-2 output's 800x450
    // logical pixels as 1600x900, not a smaller frame enlarged.
    using Output = std::pair<std::string, std::string>;  // its name and its size in pixels
    for (const auto& [name, size] :
         weston ? std::vector<Output>{{"", "800x480"}}
                : std::vector<Output>{{"HEADLESS-1", "1280x720"}, {"HEADLESS-2", "1600x900"}}) {
      SCOPED_TRACE(size);
      const std::filesystem::path reference = still.folder() / (size + ".png");
      ASSERT_EQ(ChildProcess(ChildProcess::brivora({"render", "--bundle", still.folder().string(),
                                                    "--size", size, "--out", reference.string()}))
                    .waitFor(20s),
                0);
      const DecodedImage expected =
          testing::decodedOrFail(decodeImage(testing::readText(reference), Size{1e6, 1e6}));
      EXPECT_TRUE(testing::waitUntil(
          [&] {
            const ImagePixels shot = session.screenshot(name);
            return testing::sizeOf(expected.pixels) == PixelSize{shot.width, shot.height} &&
                   testing::differingPixels(testing::pixelsOf(shot), expected.pixels) == 0;
          },
          firstFrameLimit, 50ms));
    }
    const auto signalled = Clock::now();
    child.signal(SIGTERM);
    EXPECT_EQ(child.waitFor(testing::endLimit), 0);
    EXPECT_LE(Clock::now() - signalled, testing::exitLimit);
  }
}

// One sway session, with XWayland, for every check that leaves it running; losing the
// compositor comes last.
TEST(WaylandHost, WindowsLockersMonitorModesOnBothHostsOutputsThatComeAndALostCompositor) {
  SwaySession session({{1280, 720}, {800, 450}});
  if (!session.started()) GTEST_SKIP() << session.whyNot;
  // Where sway puts its outputs: side by side from the left, tops aligned.
  const PixelRect wide{0, 0, 1280, 720};
  const PixelRect small{1280, 0, 800, 450};
  testing::TempBundle colours;
  testing::writeColourBundle(colours, 1000);
  const std::string coloursFolder = colours.folder().string();
  {
    SCOPED_TRACE("a window");
    ChildProcess child(session.brivora({"--bundle", coloursFolder, "-window"}));
    // Sway tiles the window over the first output, inside its border and title bar.
    ASSERT_TRUE(
        waitForColour(session, "HEADLESS-1", firstFrameLimit, PixelRect{40, 80, 1200, 600}));
    ASSERT_TRUE(session.type({"a"}));
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(child.status()) << "a window ends only on q or Escape";
    ASSERT_TRUE(session.type({"-k", "Escape"}));
    EXPECT_EQ(child.waitFor(testing::endLimit), 0);
  }
  {
    SCOPED_TRACE("under a locker");
    const int connection = session.connect();
    ASSERT_GE(connection, 0);
    testing::Launch launch = session.brivora({"--bundle", coloursFolder, "-fullscreen"});
    launch.environment.insert(launch.environment.end(),
                              {"WAYLAND_DISPLAY", "WAYLAND_SOCKET=" + std::to_string(connection),
                               "SWAYLOCK_PLUGIN_OUTPUT_NAME=HEADLESS-2"});
    ChildProcess child(launch);
    close(connection);
    EXPECT_TRUE(waitForColour(session, "HEADLESS-2", firstFrameLimit));
    EXPECT_FALSE(waitForColour(session, "HEADLESS-1", 0ms)) << "an output the locker did not name";
    child.signal(SIGTERM);
    EXPECT_EQ(child.waitFor(testing::endLimit), 0);
  }
  // One picture over the box around both outputs: red and green above, blue and white below.
  testing::TempBundle quadrants;
  testing::writeQuadrantBundle(quadrants, 208, 72);
  // Each mode and whether the X11 host (under XWayland) shows it, else the Wayland host. The
  // Wayland host's `each` comes last: it adds a third output, which would widen the box.
  for (const auto& [mode, x11] : std::vector<std::pair<std::string, bool>>{
           {"span", false}, {"same", false}, {"each", true}, {"span", true}, {"each", false}}) {
    SCOPED_TRACE(mode + (x11 ? " on X11" : " on Wayland"));
    const bool span = mode == "span";
    const std::vector<std::string> arguments = {"--bundle",
                                                (span ? quadrants : colours).folder().string(),
                                                "-fullscreen", "--monitors", mode};
    // The X11 host on sway's X display, outside any Wayland session.
    testing::Launch launch =
        x11 ? ChildProcess::brivora(arguments, session.display) : session.brivora(arguments);
    if (x11) launch.environment.push_back("WAYLAND_DISPLAY");
    ChildProcess child(launch);
    std::optional<int> first, second;
    EXPECT_TRUE(testing::waitUntil(
        [&] {
          const ImagePixels shot = session.screenshot();
          const auto pixel = testing::pixelsOf(shot);
          const auto quadrant = [&](int px, int py, std::size_t at) {
            return testing::shows(pixel(px, py), testing::quadrantColours[at]);
          };
          if (span) {
            return quadrant(100, 100, 0) && quadrant(100, 600, 2) && quadrant(1700, 100, 1) &&
                   quadrant(1700, 430, 3) && quadrant(0, 0, 0) && quadrant(1280, 0, 1) &&
                   quadrant(2079, 0, 1) && quadrant(2079, 449, 3);
          }
          first = testing::colourFilling(wide, pixel);
          second = testing::colourFilling(small, pixel);
          // Each view is its own output's size: the clock's height follows the output's.
          return first && second && (*first == *second) == (mode == "same") &&
                 clockPixels(shot, small) > 50 &&
                 clockPixels(shot, wide) > clockPixels(shot, small) * 3 / 2;
        },
        firstFrameLimit, 0ms));
    if (mode == "each" && !x11) {
      // A third output, covered within a second by a wallpaper no other output shows.
      ASSERT_TRUE(session.command("create_output"));
      const auto plugged = Clock::now();
      const std::optional<int> third = waitForColour(session, "HEADLESS-3", 10s);
      ASSERT_TRUE(third) << "the new output is not covered";
      EXPECT_LE(Clock::now() - plugged, testing::newMonitorLimit);
      EXPECT_EQ((std::set<std::optional<int>>{first, second, third}).size(), 3u);
    }
    // Standalone on Wayland, it ends when the user is back; the X11 host's windows, which no
    // window manager handles, hear no keys from sway.
    if (x11) child.signal(SIGTERM);
    EXPECT_TRUE(x11 || session.type({"a"}));
    EXPECT_EQ(child.waitFor(testing::endLimit), 0);
  }
  testing::Launch launch = session.brivora({"--bundle", coloursFolder, "-fullscreen"});
  launch.output = colours.folder() / "run.log";
  ChildProcess child(launch);
  ASSERT_TRUE(waitForColour(session, "HEADLESS-1", firstFrameLimit));
  session.kill();
  EXPECT_EQ(child.waitFor(testing::endLimit), 2);
  EXPECT_EQ(testing::readText(launch.output),
            "brivora: lost the connection to the Wayland compositor\n");
}

}  // namespace
}  // namespace brivora
