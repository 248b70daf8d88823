// The program as scripts see it: exit status and where its messages go.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <variant>

#include <nlohmann/json.hpp>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

struct Finished {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `brivora` with `arguments` (split at spaces), after the `environment` changes.
Finished runBrivora(const std::string& arguments, std::vector<std::string> environment = {}) {
  testing::TempBundle scratch;
  std::istringstream in(arguments);
  const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
  testing::Launch launch = testing::ChildProcess::brivora(words);
  launch.environment.insert(launch.environment.end(), environment.begin(), environment.end());
  launch.output = scratch.folder() / "stdout";
  launch.errors = scratch.folder() / "stderr";
  const std::optional<int> status = testing::ChildProcess(launch).waitFor(std::chrono::minutes(1));
  return {status.value_or(-1), testing::readText(launch.output), testing::readText(launch.errors)};
}

TEST(BrivoraExecutable, ExitsTwoWithOneLineOnStderrForUsageAndEnvironmentErrors) {
  for (const char* arguments :
       {"bogus", "inspect", "check --frobnicate", "inspect theme --bundle /nonexistent/x", "bench",
        "bench --size 0x10", "bench --size 64x36 --frames 1", "bench --size 8x8 --fast"}) {
    const Finished finished = runBrivora(arguments);
    EXPECT_EQ(finished.status, 2) << arguments;
    EXPECT_TRUE(finished.out.empty()) << arguments;
    EXPECT_TRUE(finished.err.starts_with("brivora: ")) << arguments << ": " << finished.err;
    EXPECT_EQ(std::count(finished.err.begin(), finished.err.end(), '\n'), 1) << arguments;
  }
}

TEST(BrivoraExecutable, PrintsResultsOnStdoutAndProblemsOnStderr) {
  const Finished color = runBrivora("inspect color -00000");
  EXPECT_EQ(color.status, 0);
  EXPECT_EQ(color.out, "[0.0, 0.0, 0.0, 1.0]\n");

  testing::TempBundle bundle;
  bundle.write("theme.json", "{\"clockColr\": \"#FFFFFF\"}");
  const Finished check = runBrivora("check --bundle " + bundle.folder().string());
  EXPECT_EQ(check.status, 1);
  EXPECT_TRUE(check.out.empty());
  EXPECT_NE(check.err.find("brivora: theme.json:1:2: unknown key \"clockColr\""), std::string::npos)
      << check.err;
}

TEST(BrivoraExecutable, CheckSaysWhenTheClockDesignIsNotInstalled) {
  // A font configuration that knows only DejaVu: no rounded family, no Inter.
  testing::TempBundle bundle;
  bundle.write("fonts.conf",
               "<?xml version=\"1.0\"?><fontconfig>"
               "<dir>/usr/share/fonts/truetype/dejavu</dir>"
               "<cachedir>" +
                   (bundle.folder() / "cache").string() + "</cachedir></fontconfig>");
  bundle.write("theme.json", R"({"clockFamily": "rounded", "clockWeight": "regular"})");
  bundle.makeFolder("wallpapers");
  const Finished finished =
      runBrivora("check --bundle " + bundle.folder().string(),
                 {"FONTCONFIG_FILE=" + (bundle.folder() / "fonts.conf").string()});
  EXPECT_EQ(finished.status, 1) << finished.err;
  EXPECT_NE(finished.err.find("\"clockFamily\" asks for the rounded design, but none of its fonts "
                              "is installed (Comfortaa, Quicksand or M PLUS Rounded 1c)"),
            std::string::npos)
      << finished.err;
}

// Short cycles with a crossfade of many frames, so a small run crosses several cycle changes.
TEST(BrivoraExecutable, BenchTimesEveryKindOfFrameAndPrintsOneJsonObject) {
  testing::TempBundle bundle;
  bundle.write("theme.json", R"({"cycleSeconds": 2, "crossfadeSeconds": 1,
      "countdownTo": "2099-01-01T00:00:00Z", "credit": "Bench"})");
  const auto red = testing::solidPicture(96, 54, {200, 0, 0, 255});
  bundle.write("wallpapers/a.jpg", testing::encodeJpeg(red));
  bundle.write("wallpapers/b.png", testing::encodePng(red));
  const Finished finished =
      runBrivora("bench --json --frames 20 --size 160x90 --bundle " + bundle.folder().string());
  ASSERT_EQ(finished.status, 0) << finished.err;
  const auto report = nlohmann::ordered_json::parse(finished.out);
  const std::vector<std::string> keys = {"size",         "frames",          "holding_ms",
                                         "crossfade_ms", "cycle_change_ms", "first_frame_ms",
                                         "peak_rss_mb"};
  std::vector<std::string> found;
  for (const auto& item : report.items()) found.push_back(item.key());
  EXPECT_EQ(found, keys);
  EXPECT_EQ(report["size"], "160x90");
  EXPECT_EQ(report["frames"], 20);
  for (const char* kind : {"holding_ms", "crossfade_ms"}) {
    EXPECT_GT(report[kind]["median"].get<double>(), 0) << kind;
    EXPECT_GE(report[kind]["p99"].get<double>(), report[kind]["median"].get<double>()) << kind;
  }
  EXPECT_GT(report["cycle_change_ms"]["max"].get<double>(), 0);
  EXPECT_GT(report["first_frame_ms"].get<double>(), 0);
  EXPECT_GT(report["peak_rss_mb"].get<double>(), 1);
}

// Interrupted, render and bench end at once, as interrupted programs do (by the signal, so that
// a script does not go on as if they had finished), and render leaves only whole frames.
TEST(BrivoraExecutable, RenderAndBenchEndAtOnceWhenInterruptedLeavingOnlyWholeFiles) {
  testing::TempBundle bundle;
  bundle.write("wallpapers/a.png",
               testing::encodePng(testing::quadrantPicture(1280, 720, testing::quadrantColours)));
  const std::filesystem::path frames = bundle.folder() / "frames";
  const std::string folder = bundle.folder().string();
  for (const int signal : {SIGINT, SIGTERM}) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"render", "--bundle", folder, "--size", "1280x720", "--frames",
                                   "100000", "--out", frames.string()},
          std::vector<std::string>{"bench", "--bundle", folder, "--size", "1280x720", "--frames",
                                   "100000"}}) {
      SCOPED_TRACE(arguments.front() + " signal " + std::to_string(signal));
      testing::ChildProcess child(testing::ChildProcess::brivora(arguments));
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      ASSERT_FALSE(child.status());
      child.signal(signal);
      EXPECT_EQ(child.waitFor(std::chrono::milliseconds(200)), 128 + signal);
    }
  }
  int whole = 0;
  for (const auto& item : std::filesystem::directory_iterator(frames)) {
    EXPECT_TRUE(item.path().filename().string().starts_with("frame-")) << item.path();
    const DecodeResult decoded = decodeImage(testing::readText(item.path()), Size{16, 9});
    EXPECT_TRUE(std::holds_alternative<DecodedImage>(decoded)) << item.path();
    ++whole;
  }
  EXPECT_GT(whole, 0);
}

}  // namespace
}  // namespace brivora
