// The `brivora` command run in-process: inspect output formats, usage errors and check reports.
#include "hosts/cli/CommandLine.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Brivora/ThemeFields.h"
#include "platform/Date.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora::cli {
namespace {

using brivora::testing::TempBundle;
using nlohmann::ordered_json;
using namespace std::string_literals;

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
  std::vector<std::string> keys, expectedKeys;
  for (const auto& [key, value] : theme.items()) keys.push_back(key);
  for (const ThemeField& field : themeFields()) expectedKeys.emplace_back(field.key);
  EXPECT_EQ(keys, expectedKeys);
  // A flag printed as a number, or a number as text, compares unequal.
  for (const ThemeField& field : themeFields()) {
    const std::string key(field.key);
    std::visit(
        [&](auto member) {
          const ordered_json expected =
              set.contains(key) ? set.at(key) : ordered_json(Theme::fallback().*member);
          EXPECT_EQ(theme[key], expected) << key;
        },
        field.member);
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
  // How patterns combine is Meta's own test; these check that the loaded file is used.
  const std::pair<std::string, std::string> rows[] = {
      {"03-striker-2.jpg", R"({"name": "Cy", "subtitle": "Wing", "fact": "F2"})"},
      // The match is found in a canonically equivalent (precomposed) file name.
      {"04-Müller.png", R"({"name": "Mü", "subtitle": "Keeper", "fact": "F1"})"},
  };
  for (const auto& [fileName, expected] : rows) {
    const Result result = inspect(bundle, "meta", {"--resolve", fileName});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(parsed(result.out), parsed(expected)) << fileName;
  }
}

class InspectText : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(setCurrentTimeZone("America/New_York")); }
  void TearDown() override { setCurrentTimeZone("UTC"); }
};

// The exact text scripts read; the conversions themselves are tested beside their code.
TEST_F(InspectText, PrintsOneJsonValueForColourWeightDateAndTheCountdown) {
  const std::pair<std::vector<std::string>, std::string> rows[] = {
      {{"color", "#E5B80B"},
       "[0.8980392156862745, 0.7215686274509804, 0.043137254901960784, 1.0]\n"},
      {{"color", "-00000"}, "[0.0, 0.0, 0.0, 1.0]\n"},  // a TEXT starting with "-" is no option
      {{"color", "#FFF"}, "null\n"},
      {{"weight", "BOLD"}, "\"bold\"\n"},
      {{"date", "2026-06-11"}, "\"2026-06-11T04:00:00.000Z\"\n"},
      // The countdown's target from the bundle's theme.json.
      {{"countdown", R"({"countdownTo": "2026-06-11T18:00:00+02:00"})"},
       "\"2026-06-11T16:00:00.000Z\"\n"},
      {{"countdown", R"({"countdownTo": "next June"})"}, "null\n"},
  };
  for (const auto& [arguments, expected] : rows) {
    TempBundle bundle;
    std::vector<std::string> call = {"inspect", arguments[0]};
    if (arguments[0] == "countdown") {
      bundle.write("theme.json", arguments[1]);
      call.insert(call.end(), {"--bundle", bundle.folder().string()});
    } else {
      call.push_back(arguments[1]);
    }
    const Result result = run(call);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, expected) << arguments[0] << " " << arguments[1];
  }
}

TEST(CommandLine, RefusesMistakenCallsAsUsageOrEnvironmentErrors) {
  TempBundle bundle;
  bundle.write("a-file", "");
  const std::string folder = bundle.folder().string();
  const std::string missing = folder + "/missing";
  const std::vector<std::string> usageMistakes[] = {
      {"frobnicate"},
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
      {"bench", "--size", "8x8", "--fast"}};
  for (const std::vector<std::string>& arguments : usageMistakes) {
    EXPECT_THROW(run(arguments), UsageError) << arguments.back();
  }
  const std::vector<std::string> missingBundles[] = {
      {"inspect", "theme", "--bundle", missing},
      {"inspect", "wallpapers", "--bundle=" + missing},
      {"check", "--images=" + folder + "/a-file"},
      {"run", "--images", missing, "--watch"},
      {"bench", "--images", missing, "--size", "8x8"}};
  for (const std::vector<std::string>& arguments : missingBundles) {
    EXPECT_THROW(run(arguments), EnvironmentError) << arguments.back();
  }
}

TEST(CommandLine, PrintsUsageForHelpWithEachSubcommandsOptions) {
  struct Row {
    std::vector<std::string> arguments;
    std::vector<std::string> shown;
    std::vector<std::string> notShown = {};
  };
  const Row rows[] = {
      {{"--help"},
       {"brivora [run]", "brivora inspect", "brivora render", "brivora check", "brivora bench",
        "--images-recursive", "--watch"}},
      {{"help", "run"}, {"brivora [run]", "--images DIR", "--watch"}, {"brivora check"}},
      {{"check", "-h"}, {"brivora check", "--images DIR"}, {"brivora render", "--watch"}},
  };
  for (const Row& row : rows) {
    const Result result = run(row.arguments);
    EXPECT_EQ(result.status, 0) << row.arguments[0];
    for (const std::string& text : row.shown) {
      EXPECT_NE(result.out.find(text), std::string::npos) << text << " in\n" << result.out;
    }
    for (const std::string& text : row.notShown) {
      EXPECT_EQ(result.out.find(text), std::string::npos) << text << " in\n" << result.out;
    }
  }
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

TEST(CheckCommand, PassesCleanBundlesWithoutAProblemLine) {
  TempBundle plain, everyKind;
  // "$schema" is for editors and no unknown key; the older margin name alone still works.
  plain.write("theme.json", R"({"$schema": "./theme.schema.json", "clockColor": "#E5B80B",
                               "cycleSeconds": 20, "countdownTo": "2099-01-01",
                               "bottomMarginRatio": 0.05, "kenBurnsZoom": 1.04})");
  plain.write("meta.json", R"({"default": {"name": "Ada"},
                              "patterns": [{"match": "keeper", "name": "Bo"}]})");
  plain.write("wallpapers/01-keeper.jpg", jpegBytes);
  everyKind.write("wallpapers/a.jpg", jpegBytes);
  everyKind.write("wallpapers/b.png", pngBytes);
  // None where libheif has no HEVC encoder to make one with.
  if (const auto heicBytes = testing::encodeHeic(wallpaperPicture)) {
    everyKind.write("wallpapers/c.heic", *heicBytes);
  }
  // The bytes decide how a file decodes, not its extension.
  everyKind.write("wallpapers/d.jpg", pngBytes);
  for (const TempBundle* bundle : {&plain, &everyKind}) {
    const Result result = check(*bundle);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err.find("brivora:"), std::string::npos) << result.err;
  }
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
      {theme,
       "{\n  \"clockColor\": \"#FFFFFF\"\n  \"dateColor\": \"#FFFFFF\"\n}",
       {"theme.json:3:3:", "expected ',' or '}'"}},
      // Columns count characters, not bytes.
      {theme, "{\n  \"name\": \"Ünïcode\" x\n}", {"theme.json:2:21:"}},
      {meta, R"({"default": {"name": "A",}})", {"meta.json:1:26:"}},
      {theme,
       "{\n  \"clockColr\": \"#FFFFFF\"\n}",
       {"theme.json:2:3:", R"(did you mean "clockColor")"}},
      {theme, R"({"ClockColor": "#FFFFFF"})", {R"("ClockColor")", R"("clockColor")"}},
      {theme, R"({"zzz": 1})", {R"("zzz")"}, {"did you mean"}},
      {theme, "{\n  \"cycleSeconds\": \"10\"\n}", {"theme.json:2:3:", "cycleSeconds", R"("10")"}},
      {theme, R"({"clockColor": "#FFF"})", {"clockColor", "#FFF"}},
      {theme, R"({"clockPosition": "middle"})", {"clockPosition", "middle"}},
      // The fonts the tests install: Noto Serif has regular and bold.
      {theme,
       R"({"clockFamily": "Serif", "clockWeight": "Light"})",
       {"theme.json:1:26:", "clockWeight", "Noto Serif", "regular, the nearest"}},
      // Capitals place it as the lower-case word does, but other readers may not.
      {theme,
       R"({"clockPosition": "Top-Right"})",
       {"Top-Right", R"(read as "top-right")"},
       {"bottom"}},
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
      {"wallpapers/x.png", "not an image at all", {"wallpapers/x.png", "not a JPEG, PNG or HEIC"}},
      {"wallpapers/cut.jpg",
       jpegBytes.substr(0, jpegBytes.size() / 2),
       {"wallpapers/cut.jpg", "does not decode", "cut short"}},
      {"wallpapers/huge.png",
       "\x89PNG\r\n\x1A\n"s +
           testing::pngChunk("IHDR", "\x00\x01\x86\xA0\x00\x01\x86\xA0\x08\x06\x00\x00\x00"s),
       {"wallpapers/huge.png", "larger than 100 megapixels"}},
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

TEST(CheckCommand, ListsAFilesProblemsInTheOrderOfTheirLines) {
  TempBundle bundle;
  bundle.write("wallpapers/01-keeper.jpg", jpegBytes);
  bundle.write("theme.json",
               "{\n  \"cycleSeconds\": \"10\",\n  \"scrimOpacity\": 3,\n"
               "  \"clockColor\": \"#FFF\",\n  \"clockColr\": 1\n}");
  const Result result = check(bundle);
  EXPECT_EQ(result.status, 1);
  std::vector<std::string> places;
  std::istringstream lines(result.err);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("brivora: theme.json:")) places.push_back(line.substr(9, 14));
  }
  EXPECT_EQ(places, (std::vector<std::string>{"theme.json:2:3", "theme.json:3:3", "theme.json:4:3",
                                              "theme.json:5:3"}))
      << result.err;
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
  struct Row {
    std::vector<std::string> options;
    std::string wallpapers;
    std::vector<std::string> problems;  // what check says, one line each
  };
  const Row rows[] = {
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
  for (const Row& row : rows) {
    std::vector<std::string> arguments = {"inspect", "wallpapers", "--bundle",
                                          bundle.folder().string()};
    arguments.insert(arguments.end(), row.options.begin(), row.options.end());
    EXPECT_EQ(run(arguments).out, row.wallpapers);
    arguments.erase(arguments.begin(), arguments.begin() + 2);
    arguments.insert(arguments.begin(), "check");
    const Result checked = run(arguments);
    EXPECT_EQ(checked.status, 1);
    EXPECT_EQ(problemLines(checked.err), row.problems.size()) << checked.err;
    for (const std::string& problem : row.problems) {
      EXPECT_NE(checked.err.find("brivora: " + problem), std::string::npos) << checked.err;
    }
    EXPECT_EQ(checked.err.find("with the images in " + images) != std::string::npos,
              row.options[0] == "--images");
  }
  // The view draws them too.
  const std::string out = (bundle.folder() / "frame.json").string();
  ASSERT_EQ(run({"render", "--bundle", bundle.folder().string(), "--images", images, "--size",
                 "64x36", "--out", out})
                .status,
            0);
  std::ifstream drawList(out);
  const ordered_json calls = ordered_json::parse(drawList);
  EXPECT_EQ(calls[1]["op"], "image");
  EXPECT_EQ(calls[1]["file"], "cat.png");
}

TEST(CheckCommand, ReportsAMissingOrEmptyWallpapersFolder) {
  TempBundle noFolder, emptyFolder;
  emptyFolder.makeFolder("wallpapers");
  for (const TempBundle* bundle : {&noFolder, &emptyFolder}) {
    const Result result = run({"check", "--bundle=" + bundle->folder().string()});  // "=" form
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(problemLines(result.err), 1u) << result.err;
    EXPECT_NE(result.err.find("brivora: wallpapers"), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace brivora::cli
