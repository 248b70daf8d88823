// `brivora render` run in-process: draw lists and PNG frames (its refusals: CommandLine_test).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>
#include <sstream>

#include "hosts/cli/CommandLine.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora::cli {
namespace {

using brivora::testing::TempBundle;
using nlohmann::json;

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
    return json::parse(testing::readText(out));
  }

  TempBundle bundle;
};

TEST_F(RenderCommand, DrawListHoldsEveryCallInOrderWithItsValuesForTheSeedAndMoment) {
  const std::vector<std::string> moment = {"--elapsed", "9",     "--seed",
                                           "3",         "--now", "2026-06-11T16:00:00Z"};
  const json calls = drawList(moment);
  // The same seed and moment give the same frame; the seed picks the first wallpaper.
  EXPECT_EQ(drawList(moment), calls);
  std::set<std::string> firstFiles;
  for (int seed = 0; seed < 12; ++seed) {
    firstFiles.insert(drawList({"--seed", std::to_string(seed)})[1]["file"].get<std::string>());
  }
  EXPECT_EQ(firstFiles.size(), 2u);
  // Black, two images, the scrim, then the clock's time and date.
  std::vector<std::string> ops;
  for (const json& call : calls) ops.push_back(call["op"]);
  EXPECT_EQ(ops,
            (std::vector<std::string>{"fillRect", "image", "image", "gradient", "text", "text"}));
  EXPECT_EQ(calls[0], json::parse(R"({"op": "fillRect", "rect": [0, 0, 320, 180],
                                      "color": [0, 0, 0, 1]})"));
  EXPECT_EQ(calls[1]["fraction"], 1);
  EXPECT_NE(calls[2]["file"], calls[1]["file"]);
  // The crossfade began at the first tick at or after 8 s, so it is half way at 9 s.
  EXPECT_NEAR(calls[2]["fraction"].get<double>(), 0.5, 1.0 / 60);
  // The incoming image is unzoomed: exactly the view's cover rectangle.
  EXPECT_EQ(calls[2]["rect"], json::parse("[0, -30, 320, 240]"));
  EXPECT_EQ(calls[3]["angle"], 90);
}

// Layout and styles are pinned by the overlays' own tests; here, that render reads the bundle's
// meta and theme, and its --now and --tz, and draws every overlay.
TEST_F(RenderCommand, DrawListShowsEveryOverlayAtTheMomentAndZoneAsked) {
  bundle.write("theme.json", R"({"showAmPm": true, "countdownTo": "2026-06-12T16:00:00Z",
    "countdownBgEnabled": true, "credit": "Photo: Brivora"})");
  bundle.write("meta.json", R"({"default": {"name": "Mira Solberg", "subtitle": "MIDFIELD",
                                            "fact": "Nine goals"}})");
  const json calls = drawList(
      {"--elapsed", "3", "--seed", "1", "--now", "2026-06-11T16:00:00Z", "--tz", "Europe/Berlin"});
  std::vector<std::string> texts;
  for (const json& call : calls) {
    if (call["op"] == "text") texts.push_back(call["text"]);
  }
  // 18:00 in Berlin, one day before the countdown's target.
  EXPECT_EQ(texts, (std::vector<std::string>{"6:00", " PM", "THURSDAY, JUN 11", "KOVALTA COUNTDOWN",
                                             "1 天  00:00:00", "Mira Solberg", "MIDFIELD",
                                             "Nine goals", "Photo: Brivora"}));
}

TEST_F(RenderCommand, WritesAPngOfTheAskedSize) {
  const std::filesystem::path single = bundle.folder() / "one.png";
  render({"--bundle", bundle.folder().string(), "--size", "96x54", "--out", single.string()});
  // The signature, then the IHDR chunk: width and height, big-endian.
  EXPECT_EQ(testing::readText(single).substr(0, 24),
            std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x60\0\0\0\x36", 24));
}

}  // namespace
}  // namespace brivora::cli
