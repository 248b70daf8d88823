// The program on bundles made to break it (tests/make-hostile-bundle): it keeps drawing within
// bounded time and memory, and `check` names every bad file and value.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/HostileBundles.h"
#include "tests/support/TempBundle.h"
#include "tests/support/VirtualDisplay.h"
#include "tests/support/WaitUntil.h"

namespace brivora {
namespace {

using testing::Finished;
using testing::readText;

using namespace std::chrono_literals;
using testing::hostileBundles;

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's shadow memory and quarantine come on top of what the program keeps.
constexpr long peakMemoryLimitKiB = 1024 * 1024;
#else
constexpr long peakMemoryLimitKiB = 256 * 1024;
#endif

// Long enough for a loaded machine and the sanitizer build, far short of a hang.
constexpr auto runLimit = 90s;

Finished runBrivora(const std::vector<std::string>& arguments) {
  return testing::runToEnd(testing::ChildProcess::brivora(arguments), runLimit);
}

// render ticks ten simulated seconds first: forty cycle changes at a quarter second, three
// hundred when the cycle has no length. bench steps through cycles as fast as it can, so a cycle
// of no length, of a billion seconds, or a crossfade longer than the cycle must still give a
// report and end.
TEST(HostileBundle, RenderAndBenchKeepDrawingInBoundedTimeAndMemory) {
  constexpr int frames = 20;
  for (const auto& entry : std::filesystem::directory_iterator(hostileBundles())) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    testing::TempBundle scratch;
    const std::filesystem::path out = scratch.folder() / "frames";
    const std::string bundle = (hostileBundles() / name).string();
    const Finished render =
        runBrivora({"render", "--bundle", bundle, "--size", "320x180", "--seed", "11", "--elapsed",
                    "10", "--frames", std::to_string(frames), "--out", out.string()});
    EXPECT_EQ(render.status, 0) << render.err;
    EXPECT_LT(render.peakMemoryKiB, peakMemoryLimitKiB);
    // Exactly the frames asked for, numbered from 1.
    for (int frame = 1; frame <= frames + 1; ++frame) {
      char file[32];
      std::snprintf(file, sizeof file, "frame-%04d.png", frame);
      EXPECT_EQ(readText(out / file).starts_with("\x89PNG"), frame <= frames) << file;
    }
    const Finished bench =
        runBrivora({"bench", "--bundle", bundle, "--size", "320x180", "--frames", "20", "--json"});
    EXPECT_EQ(bench.status, 0) << bench.err;
    EXPECT_NE(bench.out.find("\"peak_rss_mb\""), std::string::npos) << bench.out;
    EXPECT_LT(bench.peakMemoryKiB, peakMemoryLimitKiB);
  }
  // A cycle too long to simulate, its crossfade never reached.
  testing::TempBundle longCycle;
  longCycle.write("theme.json", R"({"cycleSeconds": 1e300, "crossfadeSeconds": 1})");
  longCycle.write("wallpapers/good.jpg",
                  readText(hostileBundles() / "short-cycle" / "wallpapers" / "good.jpg"));
  const Finished run = runBrivora(
      {"bench", "--bundle", longCycle.folder().string(), "--size", "64x36", "--frames", "4"});
  EXPECT_EQ(run.status, 0) << run.err;
}

TEST(HostileBundle, CheckNamesEveryBadFileAndValue) {
  // Each bundle and what check must say of it, besides naming every bad wallpaper.
  const std::pair<std::string, std::vector<std::string>> rows[] = {
      // Why each kind of bad wallpaper will not show.
      {"short-cycle",
       {"wallpapers/cut.jpg: does not decode: the image data is damaged or cut short",
        "wallpapers/huge.png: is larger than 100 megapixels",
        "wallpapers/garbage.png: is not a JPEG, PNG or HEIC image",
        "wallpapers/empty.jpg: is empty", "wallpapers/d.jpeg: is a folder, not an image",
        "wallpapers/z.png: is not a regular file",
        "wallpapers/gone.jpg: cannot be opened (a broken link?)"}},
      {"huge-theme", {"theme.json: cannot be read: it is too large (over 16 MiB)"}},
      {"deep-theme", {"theme.json:1:", "nested deeper than 512 levels"}},
      {"device-json",
       {"theme.json: cannot be read: it is not a regular file",
        "meta.json: cannot be read: it is not a regular file"}},
      {"many-patterns",
       {"patterns[0] (\"pattern-1\") matches no wallpaper",
        "patterns[99998] (\"pattern-99999\") matches no wallpaper"}},
      // One of each kind of range, and its bounds written as the numbers were.
      {"extremes-large",
       {"\"clockSizeRatio\" 1e+09 is out of range", "\"cycleSeconds\" 0 is out of range",
        "\"credit\" is 10000 characters long"}},
      {"extremes-small",
       {"\"clockSizeRatio\" 0 is out of range", "\"crossfadeSeconds\" -1 is out of range"}},
      {"crossfade-longer", {"\"crossfadeSeconds\" 5 is longer than the cycle (1 second)"}},
  };
  for (const auto& [bundle, messages] : rows) {
    SCOPED_TRACE(bundle);
    const Finished run = runBrivora({"check", "--bundle", (hostileBundles() / bundle).string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty()) << run.out;
    // Every file the script made in wallpapers/ is bad but good.jpg.
    const auto folder = hostileBundles() / bundle / "wallpapers";
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      EXPECT_EQ(run.err.find("brivora: wallpapers/" + name + ": ") != std::string::npos,
                name != "good.jpg")
          << name;
    }
    EXPECT_EQ(run.err.find("(\"good\")"), std::string::npos) << "the good pattern matches";
    for (const std::string& message : messages) {
      EXPECT_NE(run.err.find(message), std::string::npos) << message;
    }
  }
}

TEST(HostileBundle, WindowHostKeepsRunningAndEndsOnTermination) {
  testing::VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  for (const char* name : {"short-cycle", "device-json", "extremes-large"}) {
    SCOPED_TRACE(name);
    testing::ChildProcess child(testing::ChildProcess::brivora(
        {"run", "--bundle", (hostileBundles() / name).string(), "-window", "-geometry", "320x180"},
        server.display));
    // Long enough for a dozen cycle changes at a quarter second each.
    std::this_thread::sleep_for(3s);
    ASSERT_FALSE(child.status()) << "ended early with status " << *child.status();
    child.signal(SIGTERM);
    EXPECT_EQ(child.waitFor(testing::endLimit), 0);
  }
}

}  // namespace
}  // namespace brivora
