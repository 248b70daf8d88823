#include "Brivora/Meta.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempBundle.h"

namespace brivora {
namespace {

using testing::TempBundle;

Meta loadMetaText(std::string_view json) {
  TempBundle bundle;
  bundle.write("meta.json", json);
  return Meta::load(bundle.bundle());
}

TEST(MetaLoad, UnusableFilesGiveTheEmptyMeta) {
  // Not JSON, not an object, and a trailing comma.
  for (const std::string_view text : {"", "not json", "[]", R"([{"default": {}}])", R"("x")",
                                      "null", R"({"default": {"name": "A"},})"}) {
    EXPECT_EQ(loadMetaText(text), Meta::empty()) << text;
  }
}

TEST(MetaLoad, ReadsTheDefaultLinesAndOnlyStrings) {
  const std::pair<std::string_view, PlayerMeta> cases[] = {
      {R"({"default": {"name": "A", "subtitle": "B", "fact": "C"}})", {"A", "B", "C"}},
      {R"({"default": {"name": 10, "subtitle": "B"}})", {"", "B", ""}},
      {R"({"default": {"name": null, "fact": ["C"]}})", {"", "", ""}},
      {R"({"default": ["A"]})", {"", "", ""}},
      {R"({"default": {"name": " A "}})", {" A ", "", ""}},
  };
  for (const auto& [json, player] : cases) {
    EXPECT_EQ(loadMetaText(json).defaultPlayer, player) << json;
  }
}

TEST(MetaLoad, ReadsPatternsInOrderAndDropsOnlyTheBrokenOnes) {
  const Meta meta = loadMetaText(R"({
    "patterns": [
      {"match": "keeper", "name": "K", "fact": "F", "number": 1},
      {"name": "no match"},
      {"match": 7, "name": "numeric match"},
      {},
      {"match": "", "name": "E"},
      {"match": "only"},
      {"match": "extra", "team": "T"}
    ]})");
  EXPECT_EQ(meta.defaultPlayer, PlayerMeta{});
  const std::vector<MetaPattern> expected = {
      {"keeper", {{"name", "K"}, {"fact", "F"}}},
      {"", {{"name", "E"}}},
      {"only", {}},
      {"extra", {{"team", "T"}}},
  };
  EXPECT_EQ(meta.patterns, expected);
}

TEST(MetaLoad, OneElementThatIsNotAnObjectVoidsEveryPattern) {
  const char* texts[] = {
      R"({"default": {"name": "D"}, "patterns": [{"match": "a", "name": "A"}, 3]})",
      R"({"default": {"name": "D"}, "patterns": [null]})",
      R"({"default": {"name": "D"}, "patterns": {"match": "a", "name": "A"}})",
  };
  for (const char* text : texts) {
    const Meta meta = loadMetaText(text);
    EXPECT_EQ(meta.defaultPlayer.name, "D") << text;
    EXPECT_TRUE(meta.patterns.empty()) << text;
  }
}

TEST(MetaResolve, AppliesEveryMatchingPatternLineByLine) {
  const Meta meta{{"Default", "Sub", "Fact"},
                  {
                      {"01", {{"name", "First"}, {"fact", "First fact"}}},
                      {"keeper", {{"name", "Keeper"}}},
                      {"Keeper", {{"subtitle", "capital"}}},
                      {"", {{"name", "never"}}},
                      {"keep", {}},
                      {"blank", {{"name", ""}}},
                      {"team", {{"team", "ignored"}}},
                      {"caf\xC3\xA9", {{"subtitle", "composed"}}},
                      {"cafe", {{"fact", "plain cafe"}}},
                  }};
  const std::pair<std::string_view, PlayerMeta> cases[] = {
      {"keeper-01.jpg", {"Keeper", "Sub", "First fact"}},
      {"other.jpg", {"Default", "Sub", "Fact"}},
      {"Keeper.png", {"Default", "capital", "Fact"}},
      {"blank-01.jpg", {"", "Sub", "First fact"}},
      {"team.jpg", {"Default", "Sub", "Fact"}},
      // The decomposed name is canonically equivalent to the composed pattern.
      // A plain "e" does not match the first half of an accented letter.
      {"cafe\xCC\x81.jpg", {"Default", "composed", "Fact"}},
      {"cafe-caf\xC3\xA9.png", {"Default", "composed", "plain cafe"}},
      {"", {"Default", "Sub", "Fact"}},
  };
  for (const auto& [filename, caption] : cases) {
    EXPECT_EQ(meta.resolve(filename), caption) << filename;
  }
}

}  // namespace
}  // namespace brivora
