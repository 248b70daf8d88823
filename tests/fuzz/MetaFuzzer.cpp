// meta.json as the view reads it, and the caption of a file name taken from the input.
#include "Brivora/Meta.h"
#include "platform/UnicodeText.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/FuzzTargets.h"

namespace brivora::fuzzing {

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
