// The words the field table lists for a theme field (which `check` accepts and names) are the
// words the view follows: in any case, and with one of them, the one `check` names as used,
// drawn for every other text.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "Brivora/ThemeFields.h"
#include "hosts/cli/CommandLine.h"
#include "platform/UnicodeText.h"
#include "tests/support/TempBundle.h"
#include "tests/support/TestImageFiles.h"

namespace brivora {
namespace {

// The draw list `render` writes for a frame with every overlay showing, with `key` set to
// `value` after the members in `alsoSet`.
std::string drawList(const testing::TempBundle& bundle, const std::string& alsoSet,
                     std::string_view key, const std::string& value) {
  // A row may take the countdown away.
  const std::string countdown =
      alsoSet.find("countdownTo") == std::string::npos ? R"("countdownTo": "2030-01-01", )" : "";
  bundle.write("theme.json", "{" + countdown + R"("credit": "Photo: Test", )" + alsoSet + "\"" +
                                 std::string(key) + "\": \"" + value + "\"}");
  const std::string out = (bundle.folder() / "frame.json").string();
  std::ostringstream output, errors;
  std::vector<std::string> arguments = {"render", "--bundle", bundle.folder().string(), "--out",
                                        out};
  std::istringstream options("--size 640x360 --now 2026-12-06T12:00:00Z --seed 1 --elapsed 2");
  for (std::string option; options >> option;) arguments.push_back(option);
  EXPECT_EQ(cli::runCommandLine(arguments, {output, errors}), 0) << errors.str();
  return testing::readText(out);
}

TEST(CheckAgreesWithView, TheViewFollowsEveryListedWordInAnyCaseAndNoOther) {
  const testing::TempBundle bundle;
  // One wallpaper and a caption for it, so that every overlay shows.
  bundle.write("wallpapers/01-keeper.png",
               testing::encodePng(testing::quadrantPicture(64, 36, testing::quadrantColours)));
  bundle.write("meta.json", R"({"default": {"name": "Ada", "subtitle": "S", "fact": "F"}})");
  for (const ThemeField& field : themeFields()) {
    if (!field.words) continue;
    SCOPED_TRACE(field.key);
    const auto& words = field.words->words;
    const std::string alsoSet = field.key == "creditFallbackPosition"
                                    ? R"("countdownTo": "", "creditPosition": "inside-countdown", )"
                                    : "";
    // A listed word behind a space is no listed word: nothing is trimmed.
    const std::string outside =
        drawList(bundle, alsoSet, field.key, " " + std::string(words.back()));
    EXPECT_EQ(drawList(bundle, alsoSet, field.key, "unlisted"), outside);
    const bool otherwiseListed =
        std::find(words.begin(), words.end(), field.words->otherwise) != words.end();
    int likeOutside = 0;
    for (const std::string_view word : words) {
      const std::string drawn = drawList(bundle, alsoSet, field.key, std::string(word));
      likeOutside += drawn == outside;
      EXPECT_TRUE(!otherwiseListed || (drawn == outside) == (word == field.words->otherwise))
          << word;
      EXPECT_TRUE(drawList(bundle, alsoSet, field.key, unicode::uppercased(word)) == drawn) << word;
    }
    EXPECT_EQ(likeOutside, 1);
  }
}

}  // namespace
}  // namespace brivora
