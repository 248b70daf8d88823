// The bundle's JSON files as the view reads them. theme.json: parsed, laid over the defaults,
// then every text the view turns into a colour, a weight, a design or a date; and those texts
// alone, each read as the view reads it and written back where the program writes it.
// meta.json, and the caption of a file name taken from the input.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Brivora/CountdownTarget.h"
#include "Brivora/Meta.h"
#include "Brivora/SrgbHexColor.h"
#include "Brivora/Theme.h"
#include "Brivora/ThemeFields.h"
#include "platform/FontWeight.h"
#include "platform/UnicodeText.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTargets.h"

namespace brivora::fuzzing {

namespace {

bool isByteLevel(double component) {
  const double scaled = component * 255;
  return scaled >= 0 && scaled <= 255 && std::abs(scaled - std::round(scaled)) < 1e-9;
}

std::string hexOf(const Color& colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X",
                static_cast<unsigned>(std::lround(colour.r * 255)),
                static_cast<unsigned>(std::lround(colour.g * 255)),
                static_cast<unsigned>(std::lround(colour.b * 255)));
  return text;
}

// Internet date-times are written with milliseconds, so reading one back may differ by half.
constexpr double writtenPrecisionSeconds = 0.0005;

}  // namespace

void fuzzTheme(std::string_view input) {
  const JsonParseResult parsed = parseJson(input);
  if (!parsed.value) {
    // `brivora check` prints these; a zero would point before the file's first character.
    requireThat(parsed.error.line >= 1 && parsed.error.column >= 1,
                "a syntax error's line and column count from 1");
    return;
  }
  if (!parsed.value->isObject()) return;
  const Theme theme = themeFromJson(*parsed.value);
  static_cast<void>(theme.nsFontWeight());
  static_cast<void>(theme.clockDesign());
  const std::array<const std::string*, 4> colours = {
      &theme.clockColor, &theme.dateColor, &theme.countdownTextColor, &theme.countdownBgColor};
  for (const std::string* text : colours) static_cast<void>(colorFromSrgbHex(*text));
  static_cast<void>(parseDate(theme.countdownTo));
}

// One text read as a colour (clockColor and the like) and as a weight (clockWeight).
void fuzzColorAndWeight(std::string_view input) {
  if (const std::optional<Color> colour = colorFromSrgbHex(input)) {
    requireThat(isByteLevel(colour->r) && isByteLevel(colour->g) && isByteLevel(colour->b) &&
                    colour->a == 1,
                "a hex colour is opaque with components in 255ths");
    requireThat(colorFromSrgbHex(hexOf(*colour)) == colour,
                "a colour written back as hex reads the same");
  }

  if (const std::optional<FontWeight> weight = fontWeightNamed(input)) {
    requireThat(fontWeightName(*weight) == input, "a weight found by name has that name");
  }
  Theme theme;
  theme.clockWeight = std::string(input);
  const FontWeight clockWeight = theme.nsFontWeight();
  requireThat(fontWeightNamed(fontWeightName(clockWeight)) == clockWeight,
              "the clock's weight has a name that reads back");
}

// One text read as countdownTo.
void fuzzDate(std::string_view input) {
  const std::optional<Date> date = parseDate(input);
  if (!date) return;
  requireThat(std::isfinite(date->secondsSince1970), "a countdown target is a finite moment");
  // `inspect countdown` prints the target this way; a four-digit year must read back.
  const std::string written = formatInternetDateTime(*date);
  if (written.size() != 24 || written[0] < '0' || written[0] > '9') return;
  const std::optional<Date> reread = parseInternetDateTime(written, FractionalSeconds::required);
  requireThat(reread.has_value(), "a written countdown target parses");
  // Far from 1970 a double holds seconds less finely (about 30 µs in the year 9999).
  const double representable = std::abs(date->secondsSince1970) * 4e-16 + 1e-6;
  requireThat(std::abs(reread->secondsSince1970 - date->secondsSince1970) <=
                  writtenPrecisionSeconds + representable,
              "a written countdown target reads back as the same moment");
}

void fuzzMeta(std::string_view input) {
  // Without a line break the whole input is meta.json and the file name is empty.
  const std::size_t lineEnd = input.find('\n');
  const std::string_view filename =
      lineEnd == std::string_view::npos ? std::string_view() : input.substr(0, lineEnd);
  const std::string_view json =
      lineEnd == std::string_view::npos ? input : input.substr(lineEnd + 1);

  const JsonParseResult parsed = parseJson(json);
  if (!parsed.value || !parsed.value->isObject()) return;
  const Meta meta = metaFromJson(*parsed.value);
  static_cast<void>(meta.resolve(filename));
  for (const MetaPattern& pattern : meta.patterns) {
    // A wallpaper named exactly as a pattern's match must get that pattern's lines.
    requireThat(pattern.match.empty() || unicode::contains(pattern.match, pattern.match),
                "a pattern's match is found in a file name equal to it");
    static_cast<void>(meta.resolve(pattern.match));
  }
}

}  // namespace brivora::fuzzing
