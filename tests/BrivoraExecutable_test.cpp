// The program as scripts see it: exit status and where its messages go.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

// Runs `brivora` with `arguments` (split at spaces), after the `environment` changes.
testing::Finished runBrivora(const std::string& arguments,
                             std::vector<std::string> environment = {}) {
  std::istringstream in(arguments);
  testing::Launch launch = testing::ChildProcess::brivora(
      std::vector<std::string>{std::istream_iterator<std::string>(in), {}});
  launch.environment.insert(launch.environment.end(), environment.begin(), environment.end());
  return testing::runToEnd(launch, std::chrono::minutes(1));
}

// Which call is a usage or environment error is pinned in-process (CommandLine_test); here, that
// the program turns each kind of outcome into its status and its stdout and stderr.
TEST(BrivoraExecutable, GivesEachExitStatusWithResultsOnStdoutAndProblemsOnStderr) {
  // A font configuration that knows only DejaVu: no rounded family, no Inter.
  testing::TempBundle bundle;
  bundle.write("fonts.conf",
               "<?xml version=\"1.0\"?><fontconfig>"
               "<dir>/usr/share/fonts/truetype/dejavu</dir>"
               "<cachedir>" +
                   (bundle.folder() / "cache").string() + "</cachedir></fontconfig>");
  bundle.write("theme.json", R"({"clockColr": "#FFFFFF", "clockFamily": "rounded"})");
  bundle.makeFolder("wallpapers");
  // Arguments, status, stdout, and the lines stderr holds (an exit 2 holds one line alone).
  const std::tuple<std::string, int, std::string, std::vector<std::string>> rows[] = {
      {"inspect color -00000", 0, "[0.0, 0.0, 0.0, 1.0]\n", {}},
      {"check --bundle " + bundle.folder().string(),
       1,
       "",
       {"brivora: theme.json:1:2: unknown key \"clockColr\"",
        "\"clockFamily\" asks for the rounded design, but none of its fonts is installed "
        "(Comfortaa, Quicksand or M PLUS Rounded 1c)",
        "brivora: wallpapers: holds no .jpg, .jpeg, .png or .heic file"}},
      {"bogus", 2, "", {"brivora: unknown command 'bogus' (see brivora --help)\n"}},
      {"inspect theme --bundle /none", 2, "", {"brivora: bundle folder not found: /none\n"}},
  };
  for (const auto& [arguments, status, out, err] : rows) {
    const testing::Finished finished =
        runBrivora(arguments, {"FONTCONFIG_FILE=" + (bundle.folder() / "fonts.conf").string()});
    EXPECT_EQ(finished.status, status) << arguments << ": " << finished.err;
    EXPECT_EQ(finished.out, out) << arguments;
    EXPECT_TRUE(status != 2 || finished.err == err[0]) << finished.err;
    for (const std::string& line : err) {
      EXPECT_NE(finished.err.find(line), std::string::npos) << line << " in\n" << finished.err;
    }
  }
}

// Short cycles with a crossfade of many frames, so a small run crosses several cycle changes.
TEST(BrivoraExecutable, BenchTimesEveryKindOfFrameAndPrintsOneJsonObject) {
  testing::TempBundle bundle;
  bundle.write("theme.json", R"({"cycleSeconds": 2, "crossfadeSeconds": 1,
      "countdownTo": "2099-01-01T00:00:00Z", "credit": "Bench"})");
  const auto red = testing::solidPicture(96, 54, {200, 0, 0, 255});
  bundle.write("wallpapers/a.jpg", testing::encodeJpeg(red));
  bundle.write("wallpapers/b.png", testing::encodePng(red));
  const testing::Finished finished =
      runBrivora("bench --json --frames 20 --size 160x90 --bundle " + bundle.folder().string());
  ASSERT_EQ(finished.status, 0) << finished.err;
  const auto report = nlohmann::ordered_json::parse(finished.out);
  std::string keys;
  for (const auto& item : report.items()) keys += item.key() + " ";
  EXPECT_EQ(keys,
            "size frames holding_ms crossfade_ms cycle_change_ms first_frame_ms peak_rss_mb ");
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
