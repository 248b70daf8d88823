#include "platform/UnicodeText.h"

#include <gtest/gtest.h>

namespace brivora::unicode {
namespace {

TEST(UnicodeCase, MapsFullyAndWithoutLocale) {
  EXPECT_EQ(uppercased("stra\u00DFe"), "STRASSE");
  EXPECT_EQ(uppercased("\xC3\xA9t\xC3\xA9"), "\xC3\x89T\xC3\x89");
  EXPECT_EQ(lowercased("\xCE\x9F\xCE\xA3"), "\xCE\xBF\xCF\x82");  // final sigma
  EXPECT_EQ(lowercased("TITLE"), "title");                        // no Turkish dotless i
  EXPECT_EQ(lowercased("\377A"), "\uFFFDa");                      // bad UTF-8 becomes U+FFFD
}

TEST(UnicodeTrim, RemovesWhiteSpaceAndLineBreaksAtBothEndsOnly) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"  a b  ", "a b"},
      {"\t\n\r\v\fa\n", "a"},
      {"\u00A0\u3000a\u2028\u0085", "a"},  // NBSP, ideographic space, LS, NEL
      {"\u200Ba", "\u200Ba"},              // zero-width space stays
      {"   ", ""},
      {"", ""},
  };
  for (const auto& [text, trimmed] : cases) {
    EXPECT_EQ(trimmingWhitespaceAndNewlines(text), trimmed) << text;
  }
}

TEST(UnicodeOrder, ComparesNfcCodePoints) {
  EXPECT_EQ(compareNfc("\xC3\xA9", "e\xCC\x81"), 0);
  EXPECT_LT(compareNfc("Z", "a"), 0);
  EXPECT_LT(compareNfc("10.jpg", "2.jpg"), 0);
  EXPECT_LT(compareNfc("z", "\xC3\xA9"), 0);
  // Code-point order, not UTF-16 order: U+FF5E sorts before U+1F600.
  EXPECT_LT(compareNfc("\xEF\xBD\x9E", "\xF0\x9F\x98\x80"), 0);
  EXPECT_EQ(nfc("e\xCC\x81"), "\xC3\xA9");
}

TEST(UnicodeContains, MatchesWholeCharactersUnderCanonicalEquivalence) {
  const struct {
    std::string_view text, part;
    bool contained;
  } cases[] = {
      {"keeper-01.jpg", "01", true},
      {"keeper-01.jpg", "Keeper", false},
      {"keeper-01.jpg", "", false},
      {"", "a", false},
      {"caf\xC3\xA9", "cafe\xCC\x81", true},
      {"cafe\xCC\x81", "caf\xC3\xA9", true},
      {"cafe\xCC\x81", "cafe", false},
      {"a\r\nb", "\r", false},  // CR LF is one character
      {"a\r\nb", "\r\n", true},
      {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA", "\xF0\x9F\x87\xA9", false},  // half a flag
  };
  for (const auto& row : cases) {
    EXPECT_EQ(contains(row.text, row.part), row.contained) << row.text << " / " << row.part;
  }
}

TEST(UnicodeCharacterCount, CountsUserPerceivedCharacters) {
  const std::pair<std::string_view, std::size_t> cases[] = {
      {"", 0},
      {"FFFFFF", 6},
      {"FFFFF\xCC\x81", 5},
      {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA", 1},
      {"\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7", 1},
      {"\r\n", 1},
  };
  for (const auto& [text, count] : cases) EXPECT_EQ(characterCount(text), count) << text;
}

}  // namespace
}  // namespace brivora::unicode
