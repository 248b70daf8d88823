// `brivora render` run in-process: draw lists, PNG frames and the mistakes it refuses.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "hosts/cli/CommandLine.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora::cli {
namespace {

using brivora::testing::TempBundle;
using nlohmann::json;

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

int render(std::vector<std::string> arguments) {
  std::ostringstream out, err;
  arguments.insert(arguments.begin(), "render");
  return runCommandLine(arguments, {out, err});
}

// Two real wallpapers, 10-second cycles with a 2-second crossfade.
class RenderCommand : public ::testing::Test {
 protected:
  RenderCommand() {
    const auto picture = testing::quadrantPicture(64, 48, testing::quadrantColours);
    bundle.write("wallpapers/a.jpg", testing::encodeJpeg(picture));
    bundle.write("wallpapers/b.png", testing::encodePng(picture));
    bundle.write("theme.json", R"({"cycleSeconds": 10, "crossfadeSeconds": 2})");
  }

  json drawList(const std::vector<std::string>& extra) {
    const std::filesystem::path out = bundle.folder() / "frame.json";
    std::vector<std::string> arguments = {
        "--bundle", bundle.folder().string(), "--size", "320x180", "--out", out.string()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    EXPECT_EQ(render(arguments), 0);
    return json::parse(readFile(out));
  }

  TempBundle bundle;
};

TEST_F(RenderCommand, DrawListHoldsEveryCallInOrderWithItsValues) {
  const json calls = drawList({"--elapsed", "9", "--seed", "3", "--now", "2026-06-11T16:00:00Z"});
  // Black, two images, the scrim, then the clock's time and date.
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0], json::parse(R"({"op": "fillRect", "rect": [0, 0, 320, 180],
                                      "color": [0, 0, 0, 1]})"));
  EXPECT_EQ(calls[1]["op"], "image");
  EXPECT_EQ(calls[1]["fraction"], 1);
  EXPECT_EQ(calls[2]["op"], "image");
  EXPECT_NE(calls[2]["file"], calls[1]["file"]);
  // The crossfade began at the first tick at or after 8 s, so it is half way at 9 s.
  EXPECT_NEAR(calls[2]["fraction"].get<double>(), 0.5, 1.0 / 60);
  // The incoming image is unzoomed: exactly the view's cover rectangle.
  const std::vector<double> cover = {0, -30, 320, 240};
  for (std::size_t at = 0; at < cover.size(); ++at) {
    EXPECT_NEAR(calls[2]["rect"][at].get<double>(), cover[at], 1e-9);
  }
  EXPECT_EQ(calls[3]["op"], "gradient");
  EXPECT_EQ(calls[3]["angle"], 90);
  EXPECT_EQ(calls[4]["op"], "text");
  EXPECT_EQ(calls[5]["op"], "text");
}

// The text call drawn with exactly `text`; null when there is none.
json textOp(const json& calls, const std::string& text) {
  for (const json& call : calls) {
    if (call["op"] == "text" && call["text"] == text) return call;
  }
  return nullptr;
}

double coordinate(const json& call, const char* field, std::size_t at) {
  return call[field][at].get<double>();
}

TEST_F(RenderCommand, DrawListShowsEveryOverlayWithItsStyleAndPlace) {
  bundle.write("theme.json", R"({
    "cycleSeconds": 10, "crossfadeSeconds": 2, "clockPosition": "bottom-left", "showAmPm": true,
    "countdownTo": "2026-06-12T16:00:00Z", "countdownPosition": "bottom-right",
    "countdownBgEnabled": true, "credit": "Photo: Brivora", "creditPosition": "inside-countdown",
    "playerOverlayPosition": "top-right"})");
  bundle.write("meta.json", R"({"default": {"name": "Mira Solberg", "subtitle": "MIDFIELD",
                                            "fact": "Nine goals"}})");
  const json calls = drawList(
      {"--elapsed", "3", "--seed", "1", "--now", "2026-06-11T16:00:00Z", "--tz", "Europe/Berlin"});

  // 18:00 in Berlin, in the rounded light clock face with the shared soft shadow.
  const json time = textOp(calls, "6:00");
  ASSERT_FALSE(time.is_null()) << calls.dump();
  EXPECT_EQ(time["font"], json::parse(R"({"size": 18, "weight": "light", "design": "rounded",
                                           "italic": false, "monospacedDigits": false})"));
  EXPECT_EQ(time["color"], json::parse("[1, 1, 1, 1]"));
  EXPECT_EQ(time["kern"], -1);
  EXPECT_EQ(time["shadow"], json::parse(R"({"color": [0, 0, 0, 0.55], "blur": 16,
                                             "offset": [0, -2]})"));
  const json marker = textOp(calls, " PM");
  const json date = textOp(calls, "THURSDAY, JUN 11");
  ASSERT_FALSE(marker.is_null() || date.is_null());
  const double margin = 180 * 0.06;
  EXPECT_NEAR(coordinate(date, "point", 0), margin, 1e-9);
  EXPECT_NEAR(coordinate(date, "point", 1), margin, 1e-9);
  EXPECT_NEAR(coordinate(time, "point", 0), margin, 1e-9);
  EXPECT_NEAR(coordinate(time, "point", 1), margin + coordinate(date, "size", 1) + 8, 1e-9);
  EXPECT_NEAR(coordinate(marker, "point", 0), margin + coordinate(time, "size", 0), 1e-9);

  // The countdown on its yellow box, the credit inside it under the numbers.
  const json number = textOp(calls, "1 天  00:00:00");
  const json label = textOp(calls, "KOVALTA COUNTDOWN");
  const json credit = textOp(calls, "Photo: Brivora");
  ASSERT_FALSE(number.is_null() || label.is_null() || credit.is_null()) << calls.dump();
  EXPECT_TRUE(number["font"]["monospacedDigits"]);
  EXPECT_TRUE(credit["font"]["italic"]);
  EXPECT_EQ(credit["kern"], 1);
  EXPECT_LT(coordinate(credit, "point", 1), coordinate(number, "point", 1));
  EXPECT_LT(coordinate(number, "point", 1), coordinate(label, "point", 1));
  json background = nullptr;
  for (const json& call : calls) {
    if (call["op"] == "roundedRect") background = call;
  }
  ASSERT_FALSE(background.is_null());
  EXPECT_EQ(background["color"][3], 0.92);
  // The box's right edge lies one padding beyond the margin.
  EXPECT_NEAR(coordinate(background, "rect", 0) + coordinate(background, "rect", 2),
              320 - margin + 180 * 0.022, 1e-9);

  // The caption at full strength, each line ending at the right margin.
  for (const char* line : {"Mira Solberg", "MIDFIELD", "Nine goals"}) {
    const json call = textOp(calls, line);
    ASSERT_FALSE(call.is_null()) << line;
    EXPECT_NEAR(coordinate(call, "point", 0) + coordinate(call, "size", 0), 320 - margin, 1e-9);
    EXPECT_EQ(call["shadow"]["blur"], 18);
  }
  // Nothing but these nine texts.
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const json& call) { return call["op"] == "text"; }),
            9);
}

TEST_F(RenderCommand, SameSeedAndMomentGiveTheSameFrame) {
  const std::vector<std::string> moment = {"--elapsed", "4.2", "--seed", "11"};
  EXPECT_EQ(drawList(moment), drawList(moment));
  std::set<std::string> firstFiles;
  for (int seed = 0; seed < 12; ++seed) {
    firstFiles.insert(drawList({"--seed", std::to_string(seed)})[1]["file"].get<std::string>());
  }
  EXPECT_EQ(firstFiles.size(), 2u);
}

TEST_F(RenderCommand, WritesPngFramesOfTheAskedSize) {
  const std::filesystem::path single = bundle.folder() / "one.png";
  ASSERT_EQ(
      render({"--bundle", bundle.folder().string(), "--size", "96x54", "--out", single.string()}),
      0);
  const std::string png = readFile(single);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
  // The IHDR chunk: width and height, big-endian.
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x60\0\0\0\x36", 8));

  const std::filesystem::path folder = bundle.folder() / "frames";
  ASSERT_EQ(render({"--bundle", bundle.folder().string(), "--size", "32x18", "--frames", "3",
                    "--out", folder.string()}),
            0);
  for (const char* name : {"frame-0001.png", "frame-0002.png", "frame-0003.png"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / name)) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "frame-0004.png"));
}

TEST_F(RenderCommand, RefusesMistakenCalls) {
  const std::string folder = bundle.folder().string();
  const std::string out = folder + "/x.png";
  const std::vector<std::string> usageMistakes[] = {
      {"--bundle", folder, "--out", out},
      {"--bundle", folder, "--size", "320x180"},
      {"--bundle", folder, "--size", "0x180", "--out", out},
      {"--bundle", folder, "--size", "320", "--out", out},
      {"--bundle", folder, "--size", "320x180x2", "--out", out},
      {"--bundle", folder, "--size", "99999x10", "--out", out},
      {"--bundle", folder, "--size", "320x180", "--frames", "0", "--out", out},
      {"--bundle", folder, "--size", "320x180", "--frames", "2", "--out", out},
      {"--bundle", folder, "--size", "320x180", "--elapsed", "-1", "--out", out},
      {"--bundle", folder, "--size", "320x180", "--elapsed", "nan", "--out", out},
      {"--bundle", folder, "--size", "320x180", "--elapsed", "1e9", "--out", out},
      {"--bundle", folder, "--size", "320x180", "--now", "tomorrow", "--out", out},
      {"--bundle", folder, "--size", "320x180", "--seed", "-4", "--out", out},
      {"--bundle", folder, "--size", "320x180", "--tz", "Mars/Olympus", "--out", out},
      {"--bundle", folder, "--size", "320x180", "--out", out, "--frobnicate"},
      {"--bundle", folder, "--size", "320x180", "--out"},
  };
  for (const std::vector<std::string>& arguments : usageMistakes) {
    EXPECT_THROW(render(arguments), UsageError) << ::testing::PrintToString(arguments);
  }
  EXPECT_THROW(render({"--bundle", folder + "/missing", "--size", "8x8", "--out", out}),
               EnvironmentError);
  EXPECT_THROW(render({"--bundle", folder, "--size", "8x8", "--out", folder + "/no/such/x.png"}),
               EnvironmentError);
}

}  // namespace
}  // namespace brivora::cli
