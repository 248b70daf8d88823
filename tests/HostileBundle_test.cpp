// The program on bundles made to break it (tests/make-hostile-bundle): it keeps drawing within
// bounded time and memory, and `check` names every bad file and value.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ExecBrivora.h"
#include "tests/support/HostileBundles.h"
#include "tests/support/TempBundle.h"
#include "tests/support/VirtualDisplay.h"

namespace brivora {
namespace {

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

const std::vector<std::string> bundleNames = {
    "short-cycle",   "huge-theme",     "deep-theme",     "device-json",
    "many-patterns", "extremes-large", "extremes-small", "crossfade-longer",
};

// The wallpapers folder of every hostile bundle, but for good.jpg: each name check must give.
const std::vector<std::string> badWallpapers = {
    "x.jpg",
    "z.png",
    "gone.jpg",
    "loop.png",
    "empty.jpg",
    "cut.jpg",
    "cut-in-header.jpg",
    "cut.png",
    "cut.heic",
    "cut-in-header.heic",
    "huge.png",
    "huge.jpg",
    "garbage.jpg",
    "garbage.jpeg",
    "garbage.png",
    "garbage.heic",
    "GARBAGE.JPG",
    "signature-only.jpg",
    "signature-only.png",
    "signature-only.heic",
    "d.jpeg",
    "locked.jpg",
    "not-utf8-\xff\xfe.png",
};

struct ChildRun {
  int status = -1;  // the exit status; -1 when killed at the limit or by a signal
  bool timedOut = false;
  long peakMemoryKiB = 0;
  std::string out;
  std::string err;
};

// Runs `brivora` with `arguments`, its output in files under `scratch`; kills it at `limit`.
ChildRun runBrivora(const std::vector<std::string>& arguments, const std::filesystem::path& scratch,
                    std::chrono::milliseconds limit = runLimit) {
  const std::string outPath = (scratch / "stdout").string();
  const std::string errPath = (scratch / "stderr").string();
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int nothing = open("/dev/null", O_RDONLY);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    dup2(nothing, STDIN_FILENO);
    testing::execBrivora(arguments);
  }
  ChildRun run;
  const auto until = std::chrono::steady_clock::now() + limit;
  int status = 0;
  rusage usage{};
  for (;;) {
    if (wait4(child, &status, WNOHANG, &usage) == child) break;
    if (std::chrono::steady_clock::now() > until) {
      kill(child, SIGKILL);
      wait4(child, &status, 0, &usage);
      run.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(10ms);
  }
  run.status = !run.timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peakMemoryKiB = usage.ru_maxrss;
  run.out = readText(outPath);
  run.err = readText(errPath);
  return run;
}

TEST(HostileBundle, RenderKeepsDrawingInBoundedTimeAndMemory) {
  constexpr int frames = 20;
  for (const std::string& name : bundleNames) {
    SCOPED_TRACE(name);
    testing::TempBundle scratch;
    const std::filesystem::path out = scratch.folder() / "frames";
    // Ten simulated seconds first: forty cycle changes at a quarter second, three hundred
    // when the cycle has no length.
    const ChildRun run = runBrivora(
        {"render", "--bundle", (hostileBundles() / name).string(), "--size", "320x180", "--seed",
         "11", "--elapsed", "10", "--frames", std::to_string(frames), "--out", out.string()},
        scratch.folder());
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_LT(run.peakMemoryKiB, peakMemoryLimitKiB);
    for (int frame = 1; frame <= frames; ++frame) {
      char file[32];
      std::snprintf(file, sizeof file, "frame-%04d.png", frame);
      EXPECT_TRUE(readText(out / file).starts_with("\x89PNG")) << file;
    }
  }
}

// bench steps through cycles as fast as it can, so a cycle of no length, of a billion seconds,
// or a crossfade longer than the cycle must still give a report and end.
TEST(HostileBundle, BenchReportsOnEveryBundleAndEnds) {
  for (const std::string& name : bundleNames) {
    SCOPED_TRACE(name);
    testing::TempBundle scratch;
    const ChildRun run = runBrivora({"bench", "--bundle", (hostileBundles() / name).string(),
                                     "--size", "320x180", "--frames", "20", "--json"},
                                    scratch.folder());
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"peak_rss_mb\""), std::string::npos) << run.out;
    EXPECT_LT(run.peakMemoryKiB, peakMemoryLimitKiB);
  }
  // A cycle too long to simulate, its crossfade never reached.
  testing::TempBundle longCycle;
  longCycle.write("theme.json", R"({"cycleSeconds": 1e300, "crossfadeSeconds": 1})");
  longCycle.write("wallpapers/good.jpg",
                  readText(hostileBundles() / "short-cycle" / "wallpapers" / "good.jpg"));
  const ChildRun run = runBrivora(
      {"bench", "--bundle", longCycle.folder().string(), "--size", "64x36", "--frames", "4"},
      longCycle.folder());
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.status, 0) << run.err;
}

TEST(HostileBundle, CheckNamesEveryBadFileAndValue) {
  struct Row {
    std::string bundle;
    std::vector<std::string> messages;  // besides one for every bad wallpaper
  };
  const std::vector<Row> rows = {
      {"short-cycle", {}},
      {"huge-theme", {"theme.json: cannot be read: it is too large (over 16 MiB)"}},
      {"deep-theme", {"theme.json:1:", "nested deeper than 512 levels"}},
      {"device-json",
       {"theme.json: cannot be read: it is not a regular file",
        "meta.json: cannot be read: it is not a regular file"}},
      {"many-patterns",
       {"patterns[0] (\"pattern-1\") matches no wallpaper",
        "patterns[99998] (\"pattern-99999\") matches no wallpaper"}},
      {"extremes-large",
       {"\"clockSizeRatio\" 1e+09 is out of range", "\"scrimOpacity\" 3 is out of range",
        "\"creditOpacity\" 3 is out of range", "\"credit\" is 10000 characters long",
        "\"cycleSeconds\" 0 is out of range", "\"kenBurnsZoom\" 1e+09 is out of range",
        "\"countdownBgCornerRadius\" 1e+09 is out of range"}},
      {"extremes-small",
       {"\"clockSizeRatio\" 0 is out of range", "\"dateSizeRatio\" -1 is out of range",
        "\"scrimOpacity\" -1 is out of range", "\"playerFactSizeRatio\" -1e+09 is out of range",
        "\"cycleSeconds\" -1 is out of range", "\"crossfadeSeconds\" -1 is out of range"}},
      {"crossfade-longer", {"\"crossfadeSeconds\" 5 is longer than the cycle (1 second)"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bundle);
    testing::TempBundle scratch;
    const ChildRun run = runBrivora({"check", "--bundle", (hostileBundles() / row.bundle).string()},
                                    scratch.folder());
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty()) << run.out;
    for (const std::string& wallpaper : badWallpapers) {
      EXPECT_NE(run.err.find("brivora: wallpapers/" + wallpaper + ": "), std::string::npos)
          << wallpaper;
    }
    EXPECT_EQ(run.err.find("wallpapers/good.jpg"), std::string::npos);
    EXPECT_EQ(run.err.find("(\"good\")"), std::string::npos) << "the good pattern matches";
    for (const std::string& message : row.messages) {
      EXPECT_NE(run.err.find(message), std::string::npos) << message;
    }
  }
}

TEST(HostileBundle, WindowHostKeepsRunningAndEndsOnTermination) {
  testing::VirtualDisplay server;
  if (server.display.empty()) GTEST_SKIP() << "Xvfb is not installed";
  for (const char* name : {"short-cycle", "device-json", "extremes-large"}) {
    SCOPED_TRACE(name);
    const std::string bundle = (hostileBundles() / name).string();
    const pid_t child = fork();
    if (child == 0) {
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, STDERR_FILENO);
      setenv("DISPLAY", server.display.c_str(), 1);
      unsetenv("XSCREENSAVER_WINDOW");
      execl(BRIVORA_EXECUTABLE, BRIVORA_EXECUTABLE, "run", "--bundle", bundle.c_str(), "-window",
            "-geometry", "320x180", static_cast<char*>(nullptr));
      _exit(127);
    }
    // Long enough for a dozen cycle changes at a quarter second each.
    std::this_thread::sleep_for(3s);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "ended early with status " << status;
    kill(child, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + 5s;
    pid_t ended = 0;
    while ((ended = waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(10ms);
    }
    if (ended != child) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      ADD_FAILURE() << "still running 5 s after SIGTERM";
      continue;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }
}

}  // namespace
}  // namespace brivora
