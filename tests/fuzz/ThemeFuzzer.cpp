// theme.json as the view reads it: parsed, laid over the defaults, then every text the view
// turns into a colour, a weight, a design or a date.
#include <array>
#include <string>

#include "Brivora/CountdownTarget.h"
#include "Brivora/SrgbHexColor.h"
#include "Brivora/ThemeFields.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTargets.h"

namespace brivora::fuzzing {

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

}  // namespace brivora::fuzzing
