// The `brivora` command run in-process: inspect output formats, usage errors and check reports.
#include "hosts/cli/CommandLine.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "Brivora/ThemeFields.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora::cli {
namespace {

using brivora::testing::TempBundle;
using nlohmann::ordered_json;

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result run(std::vector<std::string> arguments) {
  std::ostringstream out, err;
  const int status = runCommandLine(arguments, {out, err});
  return {status, out.str(), err.str()};
}

Result inspect(const TempBundle& bundle, std::string what, std::vector<std::string> extra = {}) {
  std::vector<std::string> arguments = {"inspect", what, "--bundle", bundle.folder().string()};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return run(arguments);
}

ordered_json parsed(const std::string& text) {
  return ordered_json::parse(text);
}

// Real, small images: check decodes every wallpaper.
const testing::Picture wallpaperPicture =
    testing::quadrantPicture(96, 64, testing::quadrantColours);
const std::string jpegBytes = testing::encodeJpeg(wallpaperPicture);
const std::string pngBytes = testing::encodePng(wallpaperPicture);

// Typing, aliases and kinds a field accepts are Theme's own tests; here, what inspect prints.
TEST(InspectTheme, ListsEveryFieldInRecordOrderFromTheBundleOrItsDefault) {
  TempBundle bundle;
  bundle.write("theme.json", R"({"cycleSeconds": 12.5, "showAmPm": true, "credit": "Ünï\n"})");
  const std::map<std::string, ordered_json> set = {
      {"cycleSeconds", 12.5}, {"showAmPm", true}, {"credit", "Ünï\n"}};
  const Result result = inspect(bundle, "theme");
  ASSERT_EQ(result.status, 0);
  const ordered_json theme = parsed(result.out);
  ASSERT_EQ(theme.size(), themeFieldCount) << result.out;
  // Record order; a flag printed as a number, or a number as text, compares unequal.
  auto item = theme.items().begin();
  for (const ThemeField& field : themeFields()) {
    const std::string key(field.key);
    EXPECT_EQ(item.key(), key);
    std::visit(
        [&](auto member) {
          const ordered_json expected =
              set.contains(key) ? set.at(key) : ordered_json(Theme::fallback().*member);
          EXPECT_EQ(item.value(), expected) << key;
        },
        field.member);
    ++item;
  }
}

TEST(InspectMeta, PrintsCaptionsAndResolvesFileNamesWithLaterPatternsWinningLineByLine) {
  TempBundle bundle;
  bundle.write("meta.json", R"({"default": {"name": "Ada", "subtitle": "Keeper", "fact": "F1"},
    "patterns": [{"match": "striker", "name": "Bo", "fact": "F2"},
                 {"match": "striker-2", "subtitle": "Wing", "name": "Cy"},
                 {"match": "Mu\u0308ller", "name": "Mü"}]})");
  EXPECT_EQ(parsed(inspect(bundle, "meta").out), parsed(R"({
    "defaultPlayer": {"name": "Ada", "subtitle": "Keeper", "fact": "F1"},
    "patterns": [{"match": "striker", "overrides": {"name": "Bo", "fact": "F2"}},
                 {"match": "striker-2", "overrides": {"subtitle": "Wing", "name": "Cy"}},
                 {"match": "Mu\u0308ller", "overrides": {"name": "Mü"}}]})"));
  // How patterns combine is Meta's own test; these check that the loaded file is used, and
  // that the match is found in a canonically equivalent (precomposed) file name.
  EXPECT_EQ(parsed(inspect(bundle, "meta", {"--resolve", "03-striker-2.jpg"}).out),
            parsed(R"({"name": "Cy", "subtitle": "Wing", "fact": "F2"})"));
  EXPECT_EQ(parsed(inspect(bundle, "meta", {"--resolve", "04-Müller.png"}).out),
            parsed(R"({"name": "Mü", "subtitle": "Keeper", "fact": "F1"})"));
}

// The exact text scripts read; the conversions themselves are tested beside their code.
TEST(InspectText, PrintsOneJsonValueForColourWeightDateAndTheCountdown) {
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{"inspect", "color", "#E5B80B"},
       "[0.8980392156862745, 0.7215686274509804, 0.043137254901960784, 1.0]\n"},
      {{"inspect", "color", "#FFF"}, "null\n"},
      {{"inspect", "weight", "BOLD"}, "\"bold\"\n"},
      {{"inspect", "date", "2026-06-11T10:30:00-05:30"}, "\"2026-06-11T16:00:00.000Z\"\n"},
  };
  for (const auto& [arguments, expected] : rows) {
    EXPECT_EQ(run(arguments).out, expected) << arguments[2];
  }
  // The countdown's target from the bundle's theme.json.
  TempBundle bundle;
  bundle.write("theme.json", R"({"countdownTo": "2026-06-11T18:00:00+02:00"})");
  EXPECT_EQ(inspect(bundle, "countdown").out, "\"2026-06-11T16:00:00.000Z\"\n");
  bundle.write("theme.json", R"({"countdownTo": "next June"})");
  EXPECT_EQ(inspect(bundle, "countdown").out, "null\n");
}

TEST(CommandLine, RefusesMistakenCallsAsUsageOrEnvironmentErrors) {
  TempBundle bundle;
  bundle.write("a-file", "");
  const std::string folder = bundle.folder().string();
  const std::string missing = folder + "/missing";
  const std::string out = folder + "/x.png";
  const std::vector<std::string> usageMistakes[] = {
      {"--frobnicate"},
      {"check", "--frobnicate"},
      {"check", "--bundle"},
      {"check", "--bundle", folder, "extra"},
      {"inspect"},
      {"inspect", "nothing", "--bundle", folder},
      {"inspect", "theme", "--bundle", folder, "extra"},
      {"inspect", "theme", "--bundle", folder, "--resolve", "x.jpg"},
      {"inspect", "color"},
      {"inspect", "color", "#FFFFFF", "extra"},
      {"run", "-fullscreen", "--monitors", "mirror"},
      {"-root", "-monitors=Each"},
      {"bench"},
      {"bench", "--size", "64x36", "--frames", "1"},
      {"bench", "--size", "8x8", "--fast"},
      {"render", "--out", out},
      {"render", "--size", "320x180"},
      {"render", "--size", "0x180", "--out", out},
      {"render", "--size", "320", "--out", out},
      {"render", "--size", "320x180x2", "--out", out},
      {"render", "--size", "99999x10", "--out", out},
      {"render", "--size", "320x180", "--frames", "2", "--out", out},
      {"render", "--size", "320x180", "--elapsed", "-1", "--out", out},
      {"render", "--size", "320x180", "--elapsed", "nan", "--out", out},
      {"render", "--size", "320x180", "--elapsed", "1e9", "--out", out},
      {"render", "--size", "320x180", "--now", "tomorrow", "--out", out},
      {"render", "--size", "320x180", "--seed", "-4", "--out", out},
      {"render", "--size", "320x180", "--tz", "Mars/Olympus", "--out", out},
      {"render", "--size", "320x180", "--out", out, "--frobnicate"}};
  for (const std::vector<std::string>& arguments : usageMistakes) {
    EXPECT_THROW(run(arguments), UsageError) << ::testing::PrintToString(arguments);
  }
  const std::vector<std::string> missingBundles[] = {
      {"inspect", "wallpapers", "--bundle=" + missing},
      {"check", "--images=" + folder + "/a-file"},
      {"run", "--images", missing, "--watch"},
      {"bench", "--images", missing, "--size", "8x8"},
      {"render", "--bundle", missing, "--size", "8x8", "--out", out},
      {"render", "--bundle", folder, "--size", "8x8", "--out", folder + "/no/such/x.png"}};
  for (const std::vector<std::string>& arguments : missingBundles) {
    EXPECT_THROW(run(arguments), EnvironmentError) << ::testing::PrintToString(arguments);
  }
}

TEST(CommandLine, PrintsUsageForHelpWithEachSubcommandsOptions) {
  const std::string all = run({"--help"}).out;
  for (const char* text : {"brivora [run]", "brivora inspect", "brivora render", "brivora check",
                           "brivora bench", "--images-recursive", "--watch"}) {
    EXPECT_NE(all.find(text), std::string::npos) << text << " in\n" << all;
  }
  // "help CMD" and "CMD -h": that subcommand alone, and the run options only for run.
  const std::string runHelp = run({"help", "run"}).out;
  const std::string checkHelp = run({"check", "-h"}).out;
  EXPECT_NE(runHelp.find("--watch"), std::string::npos) << runHelp;
  EXPECT_EQ(runHelp.find("brivora check"), std::string::npos) << runHelp;
  EXPECT_NE(checkHelp.find("brivora check   [--bundle DIR] [--images DIR]"), std::string::npos);
  EXPECT_EQ(checkHelp.find("brivora render"), std::string::npos) << checkHelp;
  EXPECT_EQ(checkHelp.find("--watch"), std::string::npos) << checkHelp;
}

std::size_t problemLines(const std::string& err) {
  std::size_t count = 0;
  std::istringstream lines(err);
  for (std::string line; std::getline(lines, line);) count += line.starts_with("brivora: ");
  return count;
}

Result check(const TempBundle& bundle) {
  return run({"check", "--bundle", bundle.folder().string()});
}

TEST(CheckCommand, PassesACleanBundleWithoutAProblemLine) {
  TempBundle bundle;
  // "$schema" is for editors and no unknown key; the older margin name alone still works.
  bundle.write("theme.json", R"({"$schema": "./theme.schema.json", "clockColor": "#E5B80B",
                                "cycleSeconds": 20, "countdownTo": "2099-01-01",
                                "bottomMarginRatio": 0.05, "kenBurnsZoom": 1.04})");
  bundle.write("meta.json", R"({"default": {"name": "Ada"},
                               "patterns": [{"match": "keeper", "name": "Bo"}]})");
  bundle.write("wallpapers/01-keeper.jpg", jpegBytes);
  bundle.write("wallpapers/b.png", pngBytes);
  bundle.write("wallpapers/c.heic",
               testing::readText(BRIVORA_SOURCE_DIR "/Brivora/Resources/wallpapers/"
                                                    "03-captain-aurora-ridge.heic"));
  // The bytes decide how a file decodes, not its extension.
  bundle.write("wallpapers/d.jpg", pngBytes);
  const Result result = check(bundle);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err.find("brivora:"), std::string::npos) << result.err;
}

TEST(CheckCommand, ReportsEachProblemOnceWithItsPlaceAndExitsOne) {
  const std::string theme = "theme.json", meta = "meta.json";
  const std::string patterns = R"({"default": {"name": "Ada"}, "patterns": )";
  struct Row {
    std::string path;  // written into a bundle holding wallpapers/01-keeper.jpg; "dir/" a folder
    std::string contents;
    std::vector<std::string> expected;
    std::vector<std::string> unexpected = {};
  };
  const Row rows[] = {
      {theme, "{\"a\": 1\n  \"b\": 2}", {"theme.json:2:3:", "expected ',' or '}'"}},
      // Columns count characters, not bytes.
      {theme, "{\n  \"name\": \"Ünïcode\" x\n}", {"theme.json:2:21:"}},
      {theme, "{\n  \"clockColr\": 1\n}", {"theme.json:2:3:", R"(did you mean "clockColor")"}},
      {theme, R"({"zzz": 1})", {R"("zzz")"}, {"did you mean"}},
      {theme, "{\n  \"cycleSeconds\": \"10\"\n}", {"theme.json:2:3:", "cycleSeconds", R"("10")"}},
      {theme, R"({"clockColor": "#FFF"})", {"clockColor", "#FFF"}},
      {theme, R"({"clockPosition": "middle"})", {"clockPosition", "middle"}},
      // The fonts the tests install: Noto Serif has regular and bold.
      {theme,
       R"({"clockFamily": "Serif", "clockWeight": "Light"})",
       {"theme.json:1:26:", "clockWeight", "Noto Serif", "regular, the nearest"}},
      // Capitals place it as the lower-case word does, but other readers may not.
      {theme, R"({"clockPosition": "Top-Right"})", {R"(read as "top-right")"}, {"bottom"}},
      {theme, R"({"countdownTo": "next June"})", {"countdownTo", "next June"}},
      {theme, R"({"countdownTo": " 2030-01-01"})", {"countdownTo", R"(" 2030-01-01")", "space"}},
      {theme, R"({"countdownTo": "2001-01-01"})", {"countdownTo", "2001-01-01", "passed"}},
      {theme, R"({"scrimOpacity": 3})", {"scrimOpacity", "3", "range"}},
      {theme, R"({"crossfadeSeconds": 40})", {"crossfadeSeconds"}},
      // The drift outruns the zoom: 0.5 % of 1920 pixels uncovered.
      {theme, R"({"kenBurnsZoom": 1.03})", {"kenBurnsZoom", "10 pixels", "1.04 or more"}},
      {theme, R"({"kenBurnsZoom": 0.5})", {"out of range"}, {"pixels"}},
      {theme, "{\n  \"name\": \"a\",\n  \"name\": \"b\"\n}", {"theme.json:2:3:", "\"name\""}},
      {theme, R"([{"name": "a"}])", {"theme.json"}},
      {meta, R"({"default": {"subtitle": "x"}})", {meta, R"("name")"}},
      {meta, patterns + R"([{"match": "keeper", "name": "Bo"}, 3]})", {"patterns[1]"}},
      {meta, patterns + R"([{"name": "Bo"}]})", {"patterns[0]", R"("match")"}},
      {meta, patterns + R"([{"match": "", "name": "Bo"}]})", {"patterns[0]", "empty"}},
      {meta,
       patterns + R"([{"match": "keeper", "name": 5, "fact": "F"}]})",
       {"patterns[0]", R"("name")", "5"}},
      {"wallpapers/anim.gif", "GIF89a", {"wallpapers/anim.gif"}},
      {"wallpapers/more/", "", {"wallpapers/more"}},
  };
  for (const Row& row : rows) {
    TempBundle bundle;
    bundle.write("wallpapers/01-keeper.jpg", jpegBytes);
    if (row.path.ends_with('/')) {
      bundle.makeFolder(row.path);
    } else {
      bundle.write(row.path, row.contents);
    }
    const Result result = check(bundle);
    const std::string label = row.path + " " + row.contents + "\n" + result.err;
    EXPECT_EQ(result.status, 1) << label;
    EXPECT_EQ(problemLines(result.err), 1u) << label;
    const std::string file = row.path.starts_with("wallpapers/") ? "wallpapers/" : row.path;
    EXPECT_NE(result.err.find("brivora: " + file), std::string::npos) << label;
    for (const std::string& text : row.expected) {
      EXPECT_NE(result.err.find(text), std::string::npos) << "no " << text << " in " << label;
    }
    for (const std::string& text : row.unexpected) {
      EXPECT_EQ(result.err.find(text), std::string::npos) << text << " in " << label;
    }
  }
}

// No wallpapers folder at all here: that is a problem of its own, after theme.json's.
TEST(CheckCommand, ListsAFilesProblemsInTheOrderOfTheirLines) {
  TempBundle bundle;
  bundle.write("theme.json",
               "{\n  \"cycleSeconds\": \"10\",\n  \"scrimOpacity\": 3,\n"
               "  \"clockColor\": \"#FFF\",\n  \"clockColr\": 1\n}");
  const std::string err = check(bundle).err;
  std::size_t last = 0;
  for (const char* place : {"theme.json:2:3:", "theme.json:3:3:", "theme.json:4:3:",
                            "theme.json:5:3:", "wallpapers: there is no wallpapers folder"}) {
    const std::size_t at = err.find("brivora: " + std::string(place));
    EXPECT_TRUE(at != std::string::npos && at >= last) << place << " in\n" << err;
    last = at;
  }
}

TEST(ImagesOption, ShowsAFolderOfPicturesAloneOrWithItsSubFolders) {
  TempBundle bundle, photos;
  bundle.write("wallpapers/own.jpg", jpegBytes);
  bundle.write("wallpapers/more/deep.jpg", jpegBytes);
  bundle.write("meta.json", R"({"default": {"name": "Ada"},
                              "patterns": [{"match": "beach", "name": "Sea"}]})");
  photos.write("cat.png", pngBytes);
  photos.write("2024/beach.jpg", jpegBytes);
  photos.write("2024/broken.jpg", "not a picture");
  const std::string images = photos.folder().string();
  const std::string unmatched = R"(meta.json: patterns[0] ("beach") matches no wallpaper)";
  // The options; what inspect lists; what check says, one line each.
  using Strings = std::vector<std::string>;
  const std::tuple<Strings, std::string, Strings> rows[] = {
      {{"--images", images},
       "cat.png\n",
       {images + "/2024: is a folder; add --images-recursive", unmatched}},
      // Captions match the names found below; check judges those files too.
      {{"--images", images, "--images-recursive"},
       "2024/beach.jpg\n2024/broken.jpg\ncat.png\n",
       {images + "/2024/broken.jpg: is not a JPEG, PNG or HEIC image"}},
      // Alone, it searches the bundle's own folder.
      {{"--images-recursive"}, "more/deep.jpg\nown.jpg\n", {unmatched}},
  };
  for (const auto& [options, wallpapers, problems] : rows) {
    std::vector<std::string> arguments = {"inspect", "wallpapers", "--bundle",
                                          bundle.folder().string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    EXPECT_EQ(run(arguments).out, wallpapers);
    arguments.erase(arguments.begin(), arguments.begin() + 2);
    arguments.insert(arguments.begin(), "check");
    const Result checked = run(arguments);
    EXPECT_EQ(problemLines(checked.err), problems.size()) << checked.err;
    for (const std::string& problem : problems) {
      EXPECT_NE(checked.err.find("brivora: " + problem), std::string::npos) << checked.err;
    }
    EXPECT_EQ(checked.err.find("with the images in " + images) != std::string::npos,
              options[0] == "--images");
  }
  // The view draws them too.
  const std::string out = (bundle.folder() / "frame.json").string();
  run({"render", "--bundle", bundle.folder().string(), "--images", images, "--size", "64x36",
       "--out", out});
  EXPECT_EQ(parsed(testing::readText(out))[1]["file"], "cat.png");
}

}  // namespace
}  // namespace brivora::cli
