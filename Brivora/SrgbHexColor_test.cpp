#include "Brivora/SrgbHexColor.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace brivora {
namespace {

using namespace std::literals;

constexpr Color white{1, 1, 1, 1};

Color rgb(int r, int g, int b) {
  return Color{r / 255.0, g / 255.0, b / 255.0, 1.0};
}

TEST(ColorFromSrgbHex, ReadsSixHexDigitsWithOptionalHashAndSurroundingSpace) {
  const std::pair<std::string_view, Color> cases[] = {
      {"#FFFFFF", white},
      {"ffffff", white},
      {" #ffffff\n", white},
      {"\t\r\n#FFFFFF \u3000", white},  // ideographic space is white space too
      {"\u00A0ffffff\u2028", white},
      {"#E5B80B", rgb(229, 184, 11)},
      {"#0a0B0c", rgb(10, 11, 12)},
      {"+FFFFF", rgb(15, 255, 255)},
      {"#+FFFFF", rgb(15, 255, 255)},
      {"-00000", rgb(0, 0, 0)},
  };
  for (const auto& [text, expected] : cases) {
    std::optional<Color> color = colorFromSrgbHex(text);
    ASSERT_TRUE(color.has_value()) << text;
    EXPECT_EQ(*color, expected) << text;
  }
}

TEST(ColorFromSrgbHex, GivesNoColourForAnythingElse) {
  const std::string_view cases[] = {
      "",
      "#",
      "#FFFFFF00",
      "FFFFF",
      "##FFFFFF",
      "#FF FFF",
      "0xFFFF",
      "#GGGGGG",
      "-00001",
      "+-FFFF",
      "#\uFF26FFFFF",   // full-width F is no hex digit
      "FFFFF\u0301F",   // six characters but seven code points
      "#FFFFF\u0301",   // an accented F is not a digit
      "\u200B#FFFFFF",  // zero-width space is not white space
      "#FFFFFF\0"sv,
  };
  for (std::string_view text : cases) {
    EXPECT_FALSE(colorFromSrgbHex(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace brivora
