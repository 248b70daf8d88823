// Brivora as a native Wayland client on real compositors: headless sway (with the layer shell)
// and headless weston (without it), their outputs photographed with grim and weston's
// screenshooter.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "backends/codecs/ImageCodecs.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SwaySession.h"
#include "tests/support/TestAccount.h"
#include "tests/support/TestImageFiles.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/WallpaperColours.h"

namespace brivora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::ChildProcess;
using testing::SwayScreenshot;
using testing::SwaySession;

#if defined(__SANITIZE_ADDRESS__)
constexpr auto exitLimit = 2000ms;
#else
constexpr auto exitLimit = 200ms;
#endif
using testing::firstFrameLimit;

// The wallpaper colour output `name` is filled with (in `part` of it, when given), if any.
std::optional<int> outputColour(const SwaySession& session, const std::string& name,
                                std::optional<PixelRect> part = std::nullopt) {
  const SwayScreenshot shot = session.screenshot(name);
  return testing::colourFilling(part.value_or(PixelRect{0, 0, shot.width, shot.height}),
                                shot.pixels());
}

std::optional<int> waitForColour(const SwaySession& session, const std::string& name,
                                 std::chrono::milliseconds limit,
                                 std::optional<PixelRect> part = std::nullopt) {
  std::optional<int> colour;
  testing::waitUntil([&] { return (colour = outputColour(session, name, part)).has_value(); },
                     limit);
  return colour;
}

TEST(WaylandHost, CoversEveryOutputSharplyAtItsScaleAndEndsAtOnce) {
  SwaySession session({{1280, 720, 1}, {1600, 900, 2}}, false);
  if (!session.started()) GTEST_SKIP() << session.whyNot;
  // Still frames: no wallpapers, and a clock and date line of fixed words.
  testing::TempBundle bundle;
  bundle.makeFolder("wallpapers");
  bundle.write("theme.json", R"({"timeFormat": "'10:10'", "dateFormat": "'SATURDAY'"})");
  ChildProcess child(session.brivora({"--bundle", bundle.folder().string(), "-fullscreen"}));
  // Each output shows the frame drawn at its own pixel size: the scale-2 output's 800x450
  // logical pixels as 1600x900, not a smaller frame enlarged.
  for (const auto& [name, size] :
       {std::pair{"HEADLESS-1", "1280x720"}, std::pair{"HEADLESS-2", "1600x900"}}) {
    SCOPED_TRACE(name);
    const std::filesystem::path reference = bundle.folder() / (std::string(name) + ".png");
    ASSERT_EQ(ChildProcess(ChildProcess::brivora({"render", "--bundle", bundle.folder().string(),
                                                  "--size", size, "--out", reference.string()}))
                  .waitFor(20s),
              0);
    const DecodedImage expected =
        testing::decodedOrFail(decodeImage(testing::readText(reference), Size{1e6, 1e6}));
    EXPECT_TRUE(testing::waitUntil(
        [&] {
          const SwayScreenshot shot = session.screenshot(name);
          return testing::sizeOf(expected.pixels) == PixelSize{shot.width, shot.height} &&
                 testing::differingPixels(shot.pixels(), expected.pixels) == 0;
        },
        firstFrameLimit, 50ms));
  }
  const auto signalled = Clock::now();
  child.signal(SIGTERM);
  EXPECT_EQ(child.waitFor(5s), 0);
  EXPECT_LE(Clock::now() - signalled, exitLimit);
}

TEST(WaylandHost, MonitorModesOutputsThatComeAndTheEndOnInput) {
  SwaySession session({{1280, 720, 1}, {800, 450, 1}}, false);
  if (!session.started()) GTEST_SKIP() << session.whyNot;
  testing::TempBundle colours;
  testing::writeColourBundle(colours, 1000);
  // One picture, red on the left half and blue on the right, over the box around both
  // outputs (2080x720): the first output's left part shows red, the second output blue.
  const PixelRect leftPart{0, 0, 700, 720};
  testing::TempBundle halves;
  halves.write("wallpapers/halves.png",
               testing::encodePng(testing::quadrantPicture(
                   208, 72,
                   {testing::wallpaperColours[0], testing::wallpaperColours[2],
                    testing::wallpaperColours[0], testing::wallpaperColours[2]})));
  halves.write("theme.json", R"({"scrimEnabled": false, "playerOverlayEnabled": false,
                                 "clockSizeRatio": 0.04, "cycleSeconds": 1000})");
  struct Row {
    const char* mode;
    const testing::TempBundle& bundle;
    bool sameColour;  // both outputs show one colour
  };
  // `each` comes last: it adds a third output, which would widen the span's box.
  for (const Row& row :
       {Row{"span", halves, false}, Row{"same", colours, true}, Row{"each", colours, false}}) {
    SCOPED_TRACE(row.mode);
    ChildProcess child(session.brivora(
        {"--bundle", row.bundle.folder().string(), "-fullscreen", "--monitors", row.mode}));
    const bool span = std::string(row.mode) == "span";
    const std::optional<int> first = waitForColour(session, "HEADLESS-1", firstFrameLimit,
                                                   span ? std::optional(leftPart) : std::nullopt);
    const std::optional<int> second = waitForColour(session, "HEADLESS-2", firstFrameLimit);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first == *second, row.sameColour);
    if (span) {
      EXPECT_EQ(*first, 0);
      EXPECT_EQ(*second, 2);
    }
    if (std::string(row.mode) == "each") {
      // A third output, covered within a second by a wallpaper no other output shows.
      ASSERT_TRUE(session.command("create_output"));
      const auto plugged = Clock::now();
      const std::optional<int> third = waitForColour(session, "HEADLESS-3", 10s);
      const auto covered = Clock::now() - plugged;
      ASSERT_TRUE(third) << "the new output is not covered";
      EXPECT_LE(covered, testing::newMonitorLimit)
          << std::chrono::duration_cast<std::chrono::milliseconds>(covered).count() << " ms";
      EXPECT_EQ((std::set<std::optional<int>>{outputColour(session, "HEADLESS-1"),
                                              outputColour(session, "HEADLESS-2"), third})
                    .size(),
                3u);
    }
    // Standalone, it ends when the user is back.
    ASSERT_TRUE(session.type({"a"}));
    EXPECT_EQ(child.waitFor(2s), 0);
  }
}

// A connection of its own handed over in WAYLAND_SOCKET, as a locker does.
int lockerConnection(const SwaySession& session) {
  std::string runtime, display;
  for (const std::string& variable : session.waylandEnvironment()) {
    if (variable.starts_with("XDG_RUNTIME_DIR=")) runtime = variable.substr(16);
    if (variable.starts_with("WAYLAND_DISPLAY=")) display = variable.substr(16);
  }
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = runtime + "/" + display;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(socket);
    return -1;
  }
  return socket;
}

TEST(WaylandHost, UnderALockerItCoversItsOutputAndLeavesInputAlone) {
  SwaySession session({{1280, 720, 1}, {800, 450, 1}}, false);
  if (!session.started()) GTEST_SKIP() << session.whyNot;
  testing::TempBundle bundle;
  testing::writeColourBundle(bundle, 1000);
  const int connection = lockerConnection(session);
  ASSERT_GE(connection, 0);
  testing::Launch launch = session.brivora({"--bundle", bundle.folder().string(), "-fullscreen"});
  launch.environment.insert(launch.environment.end(),
                            {"WAYLAND_DISPLAY", "WAYLAND_SOCKET=" + std::to_string(connection),
                             "SWAYLOCK_PLUGIN_OUTPUT_NAME=HEADLESS-2"});
  ChildProcess child(launch);
  close(connection);
  EXPECT_TRUE(waitForColour(session, "HEADLESS-2", firstFrameLimit));
  EXPECT_FALSE(outputColour(session, "HEADLESS-1")) << "an output the locker did not name";
  ASSERT_TRUE(session.type({"a"}));
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(child.status()) << "it ended on a key the locker owns";
  child.signal(SIGTERM);
  EXPECT_EQ(child.waitFor(2s), 0);
}

TEST(WaylandHost, AWindowEndsOnEscapeAndALostCompositorEndsTheRun) {
  testing::TempBundle bundle;
  testing::writeColourBundle(bundle, 1000);
  {
    SwaySession session({{1280, 720, 1}}, false);
    if (!session.started()) GTEST_SKIP() << session.whyNot;
    ChildProcess child(session.brivora({"--bundle", bundle.folder().string(), "-window"}));
    // Sway tiles the window over the output, inside its border and title bar.
    ASSERT_TRUE(
        waitForColour(session, "HEADLESS-1", firstFrameLimit, PixelRect{40, 80, 1200, 600}));
    ASSERT_TRUE(session.type({"a"}));
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(child.status()) << "a window ends only on q or Escape";
    ASSERT_TRUE(session.type({"-k", "Escape"}));
    EXPECT_EQ(child.waitFor(2s), 0);
  }
  SwaySession session({{1280, 720, 1}}, false);
  testing::Launch launch = session.brivora({"--bundle", bundle.folder().string(), "-fullscreen"});
  launch.output = bundle.folder() / "run.log";
  ChildProcess child(launch);
  ASSERT_TRUE(waitForColour(session, "HEADLESS-1", firstFrameLimit));
  session.kill();
  EXPECT_EQ(child.waitFor(1s), 2);
  EXPECT_EQ(testing::readText(launch.output),
            "brivora: lost the connection to the Wayland compositor\n");
}

// Weston has no layer shell: each output gets a full-screen xdg toplevel instead.
TEST(WaylandHost, WithoutTheLayerShellOutputsGetFullScreenWindows) {
  for (const char* program : {"weston", "weston-screenshooter"}) {
    if (testing::findProgram(program).empty()) GTEST_SKIP() << program << " is not installed";
  }
  testing::TempBundle scratch;
  std::string whyNot;
  const std::optional<testing::TestAccount> account =
      testing::ordinaryAccount(scratch.folder(), whyNot);
  if (!account) GTEST_SKIP() << whyNot;
  const std::filesystem::path runtime = scratch.folder() / "runtime";
  std::filesystem::create_directory(runtime);
  testing::writeColourBundle(scratch, 1000);
  testing::openToEveryone(scratch.folder());
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  ASSERT_EQ(chown(runtime.c_str(), account->uid, account->gid), 0);
  const std::vector<std::string> environment = {"XDG_RUNTIME_DIR=" + runtime.string(),
                                                "WAYLAND_DISPLAY=wayland-weston"};
  ChildProcess weston(
      {account->run({"env", "XDG_RUNTIME_DIR=" + runtime.string(), "weston",
                     "--backend=headless-backend.so", "--use-pixman", "--socket=wayland-weston",
                     "--width=800", "--height=480", "--debug", "--idle-time=0"}),
       {},
       scratch.folder() / "weston.log"});
  testing::waitUntil([&] { return std::filesystem::exists(runtime / "wayland-weston"); }, 20s);
  testing::Launch launch =
      ChildProcess::brivora({"--bundle", scratch.folder().string(), "-fullscreen"});
  launch.environment.insert(launch.environment.end(), environment.begin(), environment.end());
  ChildProcess child(launch);
  // The screenshooter writes wayland-screenshot-*.png into its working folder.
  const std::filesystem::path shots = scratch.folder() / "shots";
  std::filesystem::create_directory(shots);
  std::optional<int> colour;
  testing::waitUntil(
      [&] {
        std::filesystem::remove_all(shots);
        std::filesystem::create_directory(shots);
        testing::Launch shoot{{"sh", "-c", "cd \"$0\" && weston-screenshooter", shots.string()},
                              environment};
        ChildProcess(shoot).waitFor(10s);
        for (const auto& file : std::filesystem::directory_iterator(shots)) {
          const DecodeResult decoded = decodeImage(testing::readText(file.path()), Size{1e6, 1e6});
          if (const auto* image = std::get_if<DecodedImage>(&decoded)) {
            const ImagePixels& pixels = image->pixels;
            colour = testing::colourFilling({0, 0, pixels.width, pixels.height}, [&](int x, int y) {
              return pixels.argb[static_cast<std::size_t>(y * pixels.width + x)] & 0xFFFFFF;
            });
          }
        }
        return colour.has_value();
      },
      firstFrameLimit, 0ms);
  EXPECT_TRUE(colour) << "the output is not covered";
  child.signal(SIGTERM);
  EXPECT_EQ(child.waitFor(2s), 0);
  weston.signal(SIGTERM);
}

}  // namespace
}  // namespace brivora
