// What `check` says the view will do with a position must be what the view draws: for each
// position it remarks on, the word it names as the one used places everything exactly as the
// written value does.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Brivora/ThemeFields.h"
#include "hosts/cli/CommandLine.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

struct Claim {
  std::string key;
  std::string value;
  std::string alsoSet = {};  // more members of theme.json
};

int runBrivora(const std::vector<std::string>& arguments, std::string& err) {
  std::ostringstream out, errors;
  const int status = cli::runCommandLine(arguments, {out, errors});
  err = errors.str();
  return status;
}

// The draw list of a frame with every overlay showing, for a theme with `key` set to `value`.
std::string drawList(const testing::TempBundle& bundle, const Claim& claim,
                     const std::string& value) {
  // A row may take the countdown away.
  const std::string countdown = claim.alsoSet.find("countdownTo") == std::string::npos
                                    ? R"("countdownTo": "2030-01-01", )"
                                    : "";
  bundle.write("theme.json", "{" + countdown + R"("credit": "Photo: Test", )" + claim.alsoSet +
                                 "\"" + claim.key + "\": \"" + value + "\"}");
  const std::string out = (bundle.folder() / "frame.json").string();
  std::string err;
  EXPECT_EQ(
      runBrivora({"render", "--bundle", bundle.folder().string(), "--size", "640x360", "--now",
                  "2026-12-06T12:00:00Z", "--seed", "1", "--elapsed", "2", "--out", out},
                 err),
      0)
      << err;
  return testing::readText(out);
}

// One wallpaper and a caption for it, so that every overlay shows.
void writeWallpaperAndCaption(const testing::TempBundle& bundle) {
  bundle.write("wallpapers/01-keeper.png",
               testing::encodePng(testing::quadrantPicture(64, 36, testing::quadrantColours)));
  bundle.write("meta.json", R"({"default": {"name": "Ada", "subtitle": "S", "fact": "F"}})");
}

// The word check says the view uses: "...; WORD is used" or "... read as "WORD"...".
std::string namedPosition(const std::string& line) {
  const std::size_t readAs = line.find("read as \"");
  if (readAs != std::string::npos) {
    const std::size_t start = readAs + 9;
    return line.substr(start, line.find('"', start) - start);
  }
  const std::size_t used = line.rfind(" is used");
  const std::size_t start = line.rfind("; ", used);
  if (used == std::string::npos || start == std::string::npos) return {};
  return line.substr(start + 2, used - start - 2);
}

TEST(CheckAgreesWithView, ThePositionCheckNamesIsThePlaceTheViewDraws) {
  const Claim claims[] = {
      {"clockPosition", "Top-Left"},
      {"clockPosition", "TOP-RIGHT"},
      {"clockPosition", "Center"},
      {"clockPosition", "middle"},
      {"countdownPosition", "Top-Left"},
      {"countdownPosition", "center"},
      {"playerOverlayPosition", "Bottom-Right"},
      {"playerOverlayPosition", "bottom-center"},
      {"creditPosition", "Under-Clock"},
      {"creditPosition", "nowhere"},
      {"creditFallbackPosition", "inside-countdown",
       R"("countdownTo": "", "creditPosition": "inside-countdown", )"},
  };
  const testing::TempBundle bundle;
  writeWallpaperAndCaption(bundle);
  for (const Claim& claim : claims) {
    SCOPED_TRACE(claim.key + ": " + claim.value);
    const std::string written = drawList(bundle, claim, claim.value);
    std::string report;
    EXPECT_EQ(runBrivora({"check", "--bundle", bundle.folder().string()}, report), 1);
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line) && line.find("\"" + claim.key + "\"") == std::string::npos) {
    }
    const std::string named = namedPosition(line);
    ASSERT_FALSE(named.empty()) << report;
    EXPECT_EQ(drawList(bundle, claim, named), written) << "check said: " << line;
  }
}

// The view follows every word a field's row lists: only the one it uses for any other word
// draws as a word outside the list does.
TEST(CheckAgreesWithView, TheViewFollowsEveryListedWord) {
  const testing::TempBundle bundle;
  writeWallpaperAndCaption(bundle);
  const std::string noCountdown = R"("countdownTo": "", "creditPosition": "inside-countdown", )";
  for (const ThemeField& field : themeFields()) {
    if (!field.words) continue;
    const Claim claim{std::string(field.key), "",
                      field.key == "creditFallbackPosition" ? noCountdown : ""};
    const std::string outside = drawList(bundle, claim, "nowhere");
    int likeOutside = 0;
    for (const std::string_view word : field.words->words) {
      likeOutside += drawList(bundle, claim, std::string(word)) == outside;
    }
    EXPECT_EQ(likeOutside, 1) << field.key;
  }
}

}  // namespace
}  // namespace brivora
