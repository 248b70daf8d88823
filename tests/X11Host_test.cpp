// The X11 host as XScreenSaver and a desktop run it, on a private Xvfb server, and at its edges:
// ending mid-decode, a server that dies, windows that change faster than frames are drawn.
#include "tests/support/ScreenProbe.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"
#include "tests/support/WaitUntil.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::ChildProcess;
using testing::VirtualDisplay;

class X11Host : public testing::XvfbTest {
 protected:
  testing::TempBundle bundle;
};

TEST_F(X11Host, EndsWithinTwoHundredMillisecondsOfASignalWhateverTheDecoderDoes) {
  // Large photos and a one-second cycle keep the decoder busy nearly all the time; its own
  // window, which ends on SIGTERM and SIGINT alike. (Encoding HEVC takes seconds, so one HEIC
  // file serves twice; none where libheif has no encoder.)
  // Detail everywhere, so that decoding takes its full time.
  testing::Picture photo = testing::solidPicture(3000, 2000, {});
  std::minstd_rand noise(7);
  for (std::size_t at = 0; at < photo.pixels.size(); ++at) {
    photo.pixels[at] = {static_cast<std::uint8_t>(at % 3000 * 255 / 3000 + (noise() & 31)),
                        static_cast<std::uint8_t>(at / 3000 * 255 / 2000),
                        static_cast<std::uint8_t>(noise())};
  }
  if (const std::optional<std::string> heic = testing::encodeHeic(photo)) {
    bundle.write("wallpapers/a.heic", *heic);
    bundle.write("wallpapers/c.heic", *heic);
  }
  bundle.write("wallpapers/b.jpg", testing::encodeJpeg(photo, {.progressive = true}));
  bundle.write("wallpapers/d.png", testing::encodePng(photo));
  bundle.write("theme.json", R"({"cycleSeconds": 1, "crossfadeSeconds": 0.5})");

  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> runFor(0, 1300);
  constexpr int attempts = 20;
  auto slowest = Clock::duration::zero();
  for (int attempt = 0; attempt < attempts; ++attempt) {
    const int signal = attempt % 2 ? SIGINT : SIGTERM;
    testing::Launch launch =
        brivora({"run", "--bundle", bundle.folder().string(), "-window", "-geometry", "1280x720"});
    launch.output = bundle.folder() / "run.log";
    ChildProcess child(launch);
    // Once it shows its first frame (a loaded machine may take long to start it), at any moment.
    ASSERT_TRUE(testing::waitForFrame(x, DefaultRootWindow(x), VirtualDisplay::width, 0,
                                      VirtualDisplay::height, 50, 20s));
    std::this_thread::sleep_for(std::chrono::milliseconds(runFor(random)));
    ASSERT_FALSE(child.status()) << "ended before the signal: " << testing::readText(launch.output);
    const auto signalled = Clock::now();
    child.signal(signal);
    EXPECT_EQ(child.waitFor(10s), 0) << signal << ": " << testing::readText(launch.output);
    slowest = std::max(slowest, Clock::now() - signalled);
  }
  EXPECT_LE(slowest, testing::exitLimit)
      << std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count() << " ms, seed "
      << seed;
}

TEST_F(X11Host, DrawsIntoAGivenWindowAtItsSizeAfterAStormAndEndsWhenItIsDestroyed) {
  testing::writeQuadrantBundle(bundle);
  const Window window = testing::openWindow(x, 200, 150);
  // The id wins over -root; the daemon's other options are accepted.
  ChildProcess child(
      brivora({"--bundle", bundle.folder().string(), "-root", "-window-id",
               testing::windowId(window), "-visual", "default", "--install", "-mono", "-no-fps"}));
  ASSERT_TRUE(testing::waitForQuadrants(x, window, 200, 150, 20s));

  // A hundred sizes and twenty hidings within two seconds.
  for (int step = 0; step < 100; ++step) {
    XResizeWindow(x, window, static_cast<unsigned>(100 + step * 5),
                  static_cast<unsigned>(80 + (step * 7) % 300));
    if (step % 5 == 0) {
      XUnmapWindow(x, window);
      XMapWindow(x, window);
    }
    XFlush(x);
    std::this_thread::sleep_for(15ms);
  }
  XResizeWindow(x, window, 600, 440);
  XSync(x, False);
  EXPECT_TRUE(testing::waitForQuadrants(x, window, 600, 440, 5s));
  EXPECT_FALSE(child.status()) << "it ended during the storm";
  XDestroyWindow(x, window);
  XSync(x, False);
  EXPECT_EQ(child.waitFor(std::max<std::chrono::milliseconds>(testing::exitLimit, 500ms)), 0);
  // A window that is not there is an environment error.
  EXPECT_EQ(ChildProcess(brivora({"--bundle", bundle.folder().string(), "-window-id",
                                  testing::windowId(window)}))
                .waitFor(testing::endLimit),
            2);
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
  // Whether a point near the top right of the screen shows `colour` (by default, near-black).
  const auto shows = [&](std::optional<testing::Rgba> colour) {
    const testing::Screenshot shot = testing::screenshot(x, DefaultRootWindow(x), 640, 8);
    return shot && testing::shows(testing::pixelsOf(shot.get())(515, 6),
                                  colour.value_or(testing::Rgba{}), colour ? 60 : 40);
  };
  EXPECT_TRUE(testing::waitUntil([&] { return shows(testing::wallpaperColours[0]); }, 20s));

  // After each change: the screen shows `shown`, the program still runs, and check, which speaks
  // for every change beside the views, has said `reported` on stderr a little later.
  std::size_t reportsBefore = testing::readText(launch.output).size();
  const auto expectAfter = [&](const char* what, std::optional<testing::Rgba> shown,
                               const std::string& reported) {
    EXPECT_TRUE(testing::waitUntil([&] { return shows(shown); }, 15s)) << what;
    EXPECT_FALSE(child.status()) << what << " stopped it";
    const auto said = [&] {
      return testing::readText(launch.output).find(reported, reportsBefore) != std::string::npos;
    };
    EXPECT_TRUE(testing::waitUntil(said, 10s)) << what << ":\n" << testing::readText(launch.output);
    reportsBefore = testing::readText(launch.output).size();
  };
  wallpaper(testing::wallpaperColours[2]);
  expectAfter("replaced wallpaper", testing::wallpaperColours[2], "no problems");
  // A scrim over the whole screen, darkest at the top.
  bundle.write("theme.json", "{" + steady + R"(, "clockPosition": "top-left",
               "scrimOpacity": 1, "scrimHeightRatio": 1})");
  expectAfter("edited theme", std::nullopt, "no problems");
  // Broken: the defaults, with the scrim at the bottom.
  bundle.write("theme.json", "{");
  expectAfter("broken theme", testing::wallpaperColours[2], "brivora: theme.json:");
  // The server goes: one line more and exit status 2, as when there is none from the start.
  XCloseDisplay(x);
  x = nullptr;
  server.kill();
  EXPECT_EQ(child.waitFor(testing::endLimit), 2);
  EXPECT_EQ(testing::readText(launch.output).substr(reportsBefore),
            "brivora: lost the connection to the X display\n");
  const testing::Launch noServer =
      ChildProcess::brivora({"run", "--bundle", scratch.folder().string(), "-window"}, ":97531");
  EXPECT_EQ(ChildProcess(noServer).waitFor(testing::endLimit), 2);
}

int differingPixels(Display* x, Window window, const ImagePixels& expected) {
  const testing::Screenshot shot = testing::screenshot(x, window, expected.width, expected.height);
  return shot ? testing::differingPixels(testing::pixelsOf(shot.get()), expected)
              : expected.width * expected.height;
}

TEST_F(X11Host, ClockFollowsTheSystemTimeZoneWithoutARestart) {
  if (access("/etc/localtime", R_OK) != 0) GTEST_SKIP() << "this system has no /etc/localtime";
  // A zone whose offset today is not the system's, so that the clock must change.
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const char* zone = local.tm_gmtoff == 9 * 3600 ? "America/Sao_Paulo" : "Asia/Tokyo";

  // No wallpapers, and a clock and date line that show the zone's offset: still frames.
  bundle.makeFolder("wallpapers");
  bundle.write("theme.json", R"({"timeFormat": "xxx", "dateFormat": "'offset' xxx"})");
  const std::filesystem::path reference = bundle.folder() / "reference.png";
  ASSERT_EQ(
      ChildProcess(ChildProcess::brivora({"render", "--bundle", bundle.folder().string(), "--size",
                                          "640x480", "--tz", zone, "--out", reference.string()}))
          .waitFor(20s),
      0);
  const DecodedImage expected =
      testing::decodedOrFail(decodeImage(testing::readText(reference), Size{640, 480}));
  const Window window = testing::openWindow(x, 640, 480);
  // In a mount namespace of its own, so that another zone file can be mounted over
  // /etc/localtime for this program alone while it runs.
  const std::filesystem::path pidFile = bundle.folder() / "pid";
  const std::filesystem::path go = bundle.folder() / "go";
  testing::Launch launch{{"unshare"}};
  if (geteuid() != 0) launch.argv.insert(launch.argv.end(), {"--user", "--map-root-user"});
  launch.argv.insert(launch.argv.end(),
                     {"--mount", "--propagation", "private", "--", "sh", "-c",
                      "\"$0\" run --bundle \"$1\" -window-id \"$2\" & echo $! > \"$3\"\n"
                      "while [ ! -e \"$4\" ]; do sleep 0.05; done\n"
                      "mount --bind \"/usr/share/zoneinfo/$5\" /etc/localtime || kill $!\n"
                      "wait",
                      ChildProcess::brivora({}).argv.front(), bundle.folder().string(),
                      testing::windowId(window), pidFile.string(), go.string(), zone});
  launch.environment = {"DISPLAY=" + server.display, "XSCREENSAVER_WINDOW", "TZ"};
  launch.output = bundle.folder() / "run.log";
  ChildProcess namespaced(launch);
  if (!testing::waitForFrame(x, window, 640, 0, 480, 100, 20s)) {
    GTEST_SKIP() << "no private mount namespace here: " << testing::readText(launch.output);
  }
  EXPECT_GT(differingPixels(x, window, expected.pixels), 100)
      << "the clock shows " << zone << " before it is the system's";
  bundle.write("go", "");
  // The zone is looked at once a minute.
  EXPECT_TRUE(testing::waitUntil([&] { return differingPixels(x, window, expected.pixels) == 0; },
                                 75s, 250ms))
      << "the clock did not follow the zone mounted over /etc/localtime; "
      << testing::readText(launch.output);
  const pid_t program = std::stoi(testing::readText(pidFile));
  kill(program, SIGTERM);
  EXPECT_EQ(namespaced.waitFor(testing::endLimit), 0);
}

}  // namespace
}  // namespace brivora
